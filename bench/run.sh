#!/usr/bin/env bash
# Throughput and memory benchmark of marlune.
#
# Usage: bench/run.sh [MARLUNE_BINARY]
#
#   MARLUNE_BINARY  the marlune executable to measure. Default: bench/.build/marlune,
#                   configured and built (Release, tests off) on the first run
#                   only if it is missing; an existing copy is used as it is
#                   (delete bench/.build to rebuild it).
#
# Environment:
#   BENCH_MB=40        size of the generated level A interchange, in MB (10^6 bytes)
#   BENCH_SCALE=10     the memory check also runs on an input BENCH_SCALE times larger
#   BENCH_RUNS=3       timings are the best (smallest wall time) of this many runs
#   BENCH_NO_PEER=1    skip the npm "edifact" reference parser
#   TMPDIR             where the scratch folder is made (removed at the end)
#
# What it does, in one run:
#   1. gen.py writes a level A interchange (UNA, UNB, ORDERS D.96A messages with
#      escape pairs in free texts, UNZ; one segment per line) into a scratch folder.
#   2. -ab and -ba against tr doing the three-separator mapping on the same files.
#   3. -au against the npm package "edifact" (Parser, encoding UNOC) tokenising the
#      same file and counting segments (peer.js). The package is installed once
#      into bench/.npm-peer with its cache in bench/.npm-cache (both git-ignored).
#   4. -ua on the output of step 3, compared with -au.
#   5. Peak resident memory (/usr/bin/time -v, Debian package "time") of -au on
#      the input and on a BENCH_SCALE times larger one, output to /dev/null.
# MB/s are always megabytes (10^6 bytes) of the named input per second of wall
# time. Ratios are wall-time ratios (lower is better for marlune). Input files are
# read once before timing so that every tool reads them from the page cache.
# The machine is shared and has 2 cores: figures are noisy, best-of-N helps.
set -euo pipefail

BENCH_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
ROOT=$(cd "$BENCH_DIR/.." && pwd)
MB=${BENCH_MB:-40}
SCALE=${BENCH_SCALE:-10}
RUNS=${BENCH_RUNS:-3}

# ---------------------------------------------------------------- binary
if [[ $# -ge 1 ]]; then
    MARLUNE=$(readlink -f "$1")
else
    MARLUNE="$BENCH_DIR/.build/marlune"
    if [[ ! -x $MARLUNE ]]; then
        echo "building a Release copy in $BENCH_DIR/.build ..." >&2
        cmake -S "$ROOT" -B "$BENCH_DIR/.build" -DCMAKE_BUILD_TYPE=Release -DMARLUNE_TESTS=OFF >/dev/null
        cmake --build "$BENCH_DIR/.build" -j2 >/dev/null
    fi
fi
[[ -x $MARLUNE ]] || { echo "error: $MARLUNE is not an executable" >&2; exit 2; }

# ---------------------------------------------------------------- scratch
SCRATCH=$(mktemp -d "${TMPDIR:-/tmp}/marlune-bench.XXXXXX")
cleanup() { rm -rf "$SCRATCH"; }
trap cleanup EXIT INT TERM

# ---------------------------------------------------------------- helpers
now() { date +%s.%N; }

# best "command string": runs it BENCH_RUNS times through bash, sets BEST to the
# smallest wall time in seconds; stops the benchmark if the command fails.
best() {
    local cmd=$1 i t0 t1 dt
    BEST=""
    for ((i = 0; i < RUNS; i++)); do
        t0=$(now)
        if ! bash -c "$cmd"; then
            echo "error: command failed: $cmd" >&2
            exit 1
        fi
        t1=$(now)
        dt=$(awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.4f", b - a }')
        if [[ -z $BEST ]] || awk -v a="$dt" -v b="$BEST" 'BEGIN { exit !(a < b) }'; then
            BEST=$dt
        fi
    done
}

size_of() { stat -c %s "$1"; }
mbps() { awk -v b="$1" -v t="$2" 'BEGIN { if (t > 0) printf "%.1f", b / 1e6 / t; else print "-" }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "-" }'; }
warm() { cat "$@" >/dev/null; }

ROWS=()
row() { ROWS+=("$(printf '%-12s %-26s %9s %9s %9s  %s' "$@")"); }

peak_rss() {  # peak_rss input -> kB, -au to /dev/null
    local log="$SCRATCH/time.log"
    /usr/bin/time -v "$MARLUNE" -au "$1" /dev/null 2>"$log" >/dev/null
    awk -F: '/Maximum resident set size/ { gsub(/ /, "", $2); print $2 }' "$log"
}

# ---------------------------------------------------------------- 1. input
IN="$SCRATCH/in.edi"
echo "generating a ${MB} MB level A interchange ..." >&2
GEN_INFO=$(python3 "$BENCH_DIR/gen.py" "$IN" --mb "$MB")
IN_BYTES=$(size_of "$IN")
NSEG=$(( $(wc -l <"$IN") - 1 ))  # every line but UNA is a segment

echo "marlune: $MARLUNE"
echo "input:   $(awk -v b="$IN_BYTES" 'BEGIN { printf "%.1f", b / 1e6 }') MB, $GEN_INFO (best of $RUNS runs)"
echo

# ---------------------------------------------------------------- 2. -ab / -ba
warm "$IN"
best "'$MARLUNE' -ab '$IN' '$SCRATCH/out.b' 2>/dev/null"; T_AB=$BEST
best "tr \"+:'\" '\\035\\037\\034' <'$IN' >'$SCRATCH/tr.b'"; T_TRAB=$BEST
B_BYTES=$(size_of "$SCRATCH/out.b")
warm "$SCRATCH/out.b"
best "'$MARLUNE' -ba '$SCRATCH/out.b' '$SCRATCH/back.edi' 2>/dev/null"; T_BA=$BEST
best "tr '\\035\\037\\034' \"+:'\" <'$SCRATCH/out.b' >'$SCRATCH/tr.a'"; T_TRBA=$BEST
# The round trip differs only in the UNA line (its "?" releases the blank).
if diff -q <(tail -n +2 "$IN") <(tail -n +2 "$SCRATCH/back.edi") >/dev/null; then RT_AB="identical after UNA"; else RT_AB="DIFFERS"; fi
row "-ab" "marlune -ab" "$(mbps "$IN_BYTES" 1)" "$T_AB" "$(mbps "$IN_BYTES" "$T_AB")" "$(ratio "$T_AB" "$T_TRAB") x tr (goal <= 1.0)"
row "" "tr +:' -> 1D 1F 1C" "" "$T_TRAB" "$(mbps "$IN_BYTES" "$T_TRAB")" ""
row "-ba" "marlune -ba" "$(mbps "$B_BYTES" 1)" "$T_BA" "$(mbps "$B_BYTES" "$T_BA")" "$(ratio "$T_BA" "$T_TRBA") x tr; round trip: $RT_AB"
row "" "tr 1D 1F 1C -> +:'" "" "$T_TRBA" "$(mbps "$B_BYTES" "$T_TRBA")" ""
rm -f "$SCRATCH/out.b" "$SCRATCH/back.edi" "$SCRATCH/tr.b" "$SCRATCH/tr.a"

# ---------------------------------------------------------------- 3. -au vs peer
UNC="$SCRATCH/out.unc"
warm "$IN"
best "'$MARLUNE' -au '$IN' '$UNC' 2>/dev/null"; T_AU=$BEST
UNC_BYTES=$(size_of "$UNC")
row "-au" "marlune -au" "$(mbps "$IN_BYTES" 1)" "$T_AU" "$(mbps "$IN_BYTES" "$T_AU")" "writes $(mbps "$UNC_BYTES" 1) MB"

PEER_DIR="$BENCH_DIR/.npm-peer"
if [[ ${BENCH_NO_PEER:-0} == 1 ]]; then
    row "" "npm edifact Parser" "" "-" "-" "skipped (BENCH_NO_PEER=1)"
elif ! command -v node >/dev/null || ! command -v npm >/dev/null; then
    row "" "npm edifact Parser" "" "-" "-" "skipped: node/npm not installed"
else
    if [[ ! -f $PEER_DIR/node_modules/edifact/parser.js ]]; then
        echo "installing the npm package edifact into $PEER_DIR ..." >&2
        mkdir -p "$PEER_DIR"
        [[ -f $PEER_DIR/package.json ]] || echo '{"name":"marlune-bench-peer","private":true}' >"$PEER_DIR/package.json"
        (cd "$PEER_DIR" && npm install --no-audit --no-fund --cache "$BENCH_DIR/.npm-cache" edifact >/dev/null 2>&1) || true
    fi
    if [[ -f $PEER_DIR/node_modules/edifact/parser.js ]]; then
        PEER_OUT=$(node "$BENCH_DIR/peer.js" "$PEER_DIR" "$IN")
        [[ $PEER_OUT == "$NSEG segments" ]] || echo "warning: peer counted '$PEER_OUT', expected $NSEG segments" >&2
        best "node '$BENCH_DIR/peer.js' '$PEER_DIR' '$IN' >/dev/null"; T_PEER=$BEST
        row "" "npm edifact Parser" "" "$T_PEER" "$(mbps "$IN_BYTES" "$T_PEER")" "marlune -au = $(ratio "$T_AU" "$T_PEER") x peer (goal <= 0.2)"
    else
        row "" "npm edifact Parser" "" "-" "-" "skipped: npm install edifact failed"
    fi
fi

# ---------------------------------------------------------------- 4. -ua
warm "$UNC"
best "'$MARLUNE' -ua '$UNC' '$SCRATCH/back2.edi' 2>/dev/null"; T_UA=$BEST
row "-ua" "marlune -ua" "$(mbps "$UNC_BYTES" 1)" "$T_UA" "$(mbps "$UNC_BYTES" "$T_UA")" "$(ratio "$T_UA" "$T_AU") x -au time; $(mbps "$IN_BYTES" "$T_UA") MB/s of compressed output"
rm -f "$UNC" "$SCRATCH/back2.edi"

# ---------------------------------------------------------------- 5. memory
MEM_NOTE=""
if [[ -x /usr/bin/time ]]; then
    RSS_SMALL=$(peak_rss "$IN")
    rm -f "$IN"
    BIG="$SCRATCH/big.edi"
    echo "generating a $((MB * SCALE)) MB interchange for the memory check ..." >&2
    python3 "$BENCH_DIR/gen.py" "$BIG" --mb "$MB" --repeat "$SCALE" >/dev/null
    BIG_BYTES=$(size_of "$BIG")
    warm "$BIG"
    T0=$(now); RSS_BIG=$(peak_rss "$BIG"); T1=$(now)
    T_BIG=$(awk -v a="$T0" -v b="$T1" 'BEGIN { printf "%.4f", b - a }')
    rm -f "$BIG"
    row "memory" "-au, ${MB} MB -> /dev/null" "$(mbps "$IN_BYTES" 1)" "" "" "peak RSS ${RSS_SMALL} kB"
    row "" "-au, x${SCALE} -> /dev/null" "$(mbps "$BIG_BYTES" 1)" "$T_BIG" "$(mbps "$BIG_BYTES" "$T_BIG")" "peak RSS ${RSS_BIG} kB (one run)"
else
    MEM_NOTE="memory: /usr/bin/time is missing; install it with: apt-get install -y time"
    row "memory" "-au" "" "" "" "skipped: /usr/bin/time missing (apt-get install -y time)"
fi

# ---------------------------------------------------------------- table
printf '%-12s %-26s %9s %9s %9s  %s\n' "step" "tool" "input MB" "best s" "MB/s" "ratio / note"
printf '%s\n' "${ROWS[@]}"
[[ -z $MEM_NOTE ]] || echo "$MEM_NOTE" >&2
