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
#   BENCH_RUNS=5       every comparison is made this many times, the two commands
#                      run side by side in each pair (alternating which goes first)
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
#   4. -ua on the output of step 3, against -au on the same data; and both in a
#      pipe (cat | marlune - - | cat) against the pipe alone (cat | cat).
#   5. Peak resident memory (/usr/bin/time -v, Debian package "time") of -au and
#      -ua on the input and of -au on a BENCH_SCALE times larger one.
# Every ratio is marlune's wall time over the reference's, measured in pairs in
# one run: the median over the pairs, with the smallest and largest in brackets,
# so that a noisy machine shows. Lower is better for marlune. Input files are
# read once before timing so that every tool reads them from the page cache.
set -euo pipefail

BENCH_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
ROOT=$(cd "$BENCH_DIR/.." && pwd)
MB=${BENCH_MB:-40}
SCALE=${BENCH_SCALE:-10}
RUNS=${BENCH_RUNS:-5}

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

# seconds "command string": wall time of one run through bash; stops the
# benchmark if the command fails.
seconds() {
    local t0 t1
    t0=$(now)
    if ! bash -c "$1"; then
        echo "error: command failed: $1" >&2
        exit 1
    fi
    t1=$(now)
    awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.4f", b - a }'
}

# pair "marlune command" "reference command": BENCH_RUNS pairs, each running
# both commands one after the other (the order alternates). Sets T_A and T_B
# to the median wall times and RATIO to "median [min-max]" of the per-pair
# ratios A/B.
pair() {
    local a=$1 b=$2 i ta tb
    local -a as=() bs=() rs=()
    for ((i = 0; i < RUNS; i++)); do
        if ((i % 2 == 0)); then ta=$(seconds "$a"); tb=$(seconds "$b"); else tb=$(seconds "$b"); ta=$(seconds "$a"); fi
        as+=("$ta"); bs+=("$tb"); rs+=("$(awk -v x="$ta" -v y="$tb" 'BEGIN { printf "%.4f", (y > 0 ? x / y : 0) }')")
    done
    T_A=$(median "${as[@]}"); T_B=$(median "${bs[@]}")
    RATIO=$(printf '%s\n' "${rs[@]}" | sort -g | awk '{ v[NR] = $1 } END { printf "%.2f [%.2f-%.2f]", (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2), v[1], v[NR] }')
}
median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { printf "%.4f", (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2) }'; }

size_of() { stat -c %s "$1"; }
mbps() { awk -v b="$1" -v t="$2" 'BEGIN { if (t > 0) printf "%.1f", b / 1e6 / t; else print "-" }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "-" }'; }
warm() { cat "$@" >/dev/null; }

ROWS=()
row() { ROWS+=("$(printf '%-12s %-26s %9s %9s %9s  %s' "$@")"); }

peak_rss() {  # peak_rss input [command] -> kB, output to /dev/null
    local log="$SCRATCH/time.log"
    /usr/bin/time -v "$MARLUNE" "${2:--au}" "$1" /dev/null 2>"$log" >/dev/null
    awk -F: '/Maximum resident set size/ { gsub(/ /, "", $2); print $2 }' "$log"
}

# ---------------------------------------------------------------- 1. input
IN="$SCRATCH/in.edi"
echo "generating a ${MB} MB level A interchange ..." >&2
GEN_INFO=$(python3 "$BENCH_DIR/gen.py" "$IN" --mb "$MB")
IN_BYTES=$(size_of "$IN")
NSEG=$(( $(wc -l <"$IN") - 1 ))  # every line but UNA is a segment

echo "marlune: $MARLUNE"
echo "input:   $(awk -v b="$IN_BYTES" 'BEGIN { printf "%.1f", b / 1e6 }') MB, $GEN_INFO ($RUNS pairs per ratio)"
echo

# ---------------------------------------------------------------- 2. -ab / -ba
warm "$IN"
"$MARLUNE" -ab "$IN" "$SCRATCH/out.b" 2>/dev/null
B_BYTES=$(size_of "$SCRATCH/out.b")
pair "'$MARLUNE' -ab '$IN' '$SCRATCH/out.b' 2>/dev/null" "tr \"+:'\" '\\035\\037\\034' <'$IN' >'$SCRATCH/tr.b'"
row "-ab" "marlune -ab" "$(mbps "$IN_BYTES" 1)" "$T_A" "$(mbps "$IN_BYTES" "$T_A")" "$RATIO x tr (goal <= 0.8)"
row "" "tr +:' -> 1D 1F 1C" "" "$T_B" "$(mbps "$IN_BYTES" "$T_B")" ""
warm "$SCRATCH/out.b"
pair "'$MARLUNE' -ba '$SCRATCH/out.b' '$SCRATCH/back.edi' 2>/dev/null" "tr '\\035\\037\\034' \"+:'\" <'$SCRATCH/out.b' >'$SCRATCH/tr.a'"
# The round trip differs only in the UNA line (its "?" releases the blank).
if diff -q <(tail -n +2 "$IN") <(tail -n +2 "$SCRATCH/back.edi") >/dev/null; then RT_AB="identical after UNA"; else RT_AB="DIFFERS"; fi
row "-ba" "marlune -ba" "$(mbps "$B_BYTES" 1)" "$T_A" "$(mbps "$B_BYTES" "$T_A")" "$RATIO x tr; round trip: $RT_AB"
row "" "tr 1D 1F 1C -> +:'" "" "$T_B" "$(mbps "$B_BYTES" "$T_B")" ""
rm -f "$SCRATCH/out.b" "$SCRATCH/back.edi" "$SCRATCH/tr.b" "$SCRATCH/tr.a"

# ---------------------------------------------------------------- 3. -au vs peer
UNC="$SCRATCH/out.unc"
warm "$IN"
"$MARLUNE" -au "$IN" "$UNC" 2>/dev/null
UNC_BYTES=$(size_of "$UNC")
AU="'$MARLUNE' -au '$IN' /dev/null 2>/dev/null"

PEER_DIR="$BENCH_DIR/.npm-peer"
if [[ ${BENCH_NO_PEER:-0} == 1 ]]; then
    row "-au" "npm edifact Parser" "" "-" "-" "skipped (BENCH_NO_PEER=1)"
elif ! command -v node >/dev/null || ! command -v npm >/dev/null; then
    row "-au" "npm edifact Parser" "" "-" "-" "skipped: node/npm not installed"
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
        pair "$AU" "node '$BENCH_DIR/peer.js' '$PEER_DIR' '$IN' >/dev/null"
        row "-au" "marlune -au" "$(mbps "$IN_BYTES" 1)" "$T_A" "$(mbps "$IN_BYTES" "$T_A")" "$RATIO x peer (goal <= 0.15); writes $(mbps "$UNC_BYTES" 1) MB"
        row "" "npm edifact Parser" "" "$T_B" "$(mbps "$IN_BYTES" "$T_B")" ""
    else
        row "-au" "npm edifact Parser" "" "-" "-" "skipped: npm install edifact failed"
    fi
fi

# ---------------------------------------------------------------- 4. -ua
warm "$UNC"
pair "'$MARLUNE' -ua '$UNC' /dev/null 2>/dev/null" "$AU"
row "-ua" "marlune -ua" "$(mbps "$UNC_BYTES" 1)" "$T_A" "$(mbps "$UNC_BYTES" "$T_A")" "$RATIO x -au on the same data (goal <= 1.0)"
row "" "marlune -au" "$(mbps "$IN_BYTES" 1)" "$T_B" "$(mbps "$IN_BYTES" "$T_B")" ""
pair "cat '$UNC' | '$MARLUNE' -ua - - 2>/dev/null | cat >/dev/null" "cat '$UNC' | cat >/dev/null"
row "-ua pipe" "cat | marlune -ua | cat" "$(mbps "$UNC_BYTES" 1)" "$T_A" "$(mbps "$UNC_BYTES" "$T_A")" "$RATIO x cat | cat (goal <= 1.2)"
row "" "cat | cat" "" "$T_B" "$(mbps "$UNC_BYTES" "$T_B")" ""
warm "$IN"
pair "cat '$IN' | '$MARLUNE' -au - - 2>/dev/null | cat >/dev/null" "cat '$UNC' | cat >/dev/null"
row "-au pipe" "cat | marlune -au | cat" "$(mbps "$IN_BYTES" 1)" "$T_A" "$(mbps "$IN_BYTES" "$T_A")" "$RATIO x cat | cat of the expanded data"
row "" "cat | cat" "" "$T_B" "$(mbps "$UNC_BYTES" "$T_B")" ""
RSS_UA=""
[[ -x /usr/bin/time ]] && RSS_UA=$(peak_rss "$UNC" -ua)
rm -f "$UNC"

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
    row "" "-ua of its output" "$(mbps "$UNC_BYTES" 1)" "" "" "peak RSS ${RSS_UA} kB"
    row "" "-au, x${SCALE} -> /dev/null" "$(mbps "$BIG_BYTES" 1)" "$T_BIG" "$(mbps "$BIG_BYTES" "$T_BIG")" "peak RSS ${RSS_BIG} kB (one run)"
else
    MEM_NOTE="memory: /usr/bin/time is missing; install it with: apt-get install -y time"
    row "memory" "-au" "" "" "" "skipped: /usr/bin/time missing (apt-get install -y time)"
fi

# ---------------------------------------------------------------- table
printf '%-12s %-26s %9s %9s %9s  %s\n' "step" "tool" "input MB" "median s" "MB/s" "ratio median [min-max] / note"
printf '%s\n' "${ROWS[@]}"
[[ -z $MEM_NOTE ]] || echo "$MEM_NOTE" >&2
