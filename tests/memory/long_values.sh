#!/usr/bin/env bash
# Memory stays bounded whatever the length of a value: every command reads
# a value (or a line) of hundreds of megabytes, generated on the fly and
# streamed through a pipe, under a virtual memory limit, and must end
# normally with the output length that the same input with a short value
# gives, plus the difference in length.
#
#   long_values.sh MARLUNE [sanitized]
# With "sanitized" (AddressSanitizer reserves far more address space than it
# uses) the value is smaller and neither the limit nor the peak is checked.
set -u
bin=$(readlink -f "$1")
sanitized=${2:-}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL $*"; failures=$((failures + 1)); }

big=200000000 limit_kb=65536 peak_max_kb=16384
[ -n "$sanitized" ] && big=20000000
small=1000
command -v /usr/bin/time >/dev/null || [ -n "$sanitized" ] || { echo "/usr/bin/time is missing (apt-get install time)"; exit 2; }

# value LENGTH BYTE: LENGTH copies of BYTE on standard output.
value() { head -c "$1" /dev/zero | tr '\0' "$2"; }

# name | command and options | text before the value | byte of the value | text after it
cases=$(cat <<'CASES'
alphanumeric|-au|UNB+|A|'\n
numeric|-au -D D.96A|MOA+203:|7|:EUR'\n
numeric total|-au -D D.96A -num|UNH+1+ORDERS:D:96A:UN'\nMOA+203:|9|'\nCNT+2:1'\n
release code|-au|UNH+1+ORDERS:D:|A|:UN'\nBGM+220'\n
level B|-bu|UNB\x1d|B|\x1c\n
uncompressed A|-ua|UNB|7|\n
uncompressed B|-ub|MOA|7|\n
level A to B|-ab|UNB+|?|'\n
level B to A|-ba|UNB\x1d|+|\x1c\n
CASES
)

# run LENGTH: the input with a value of LENGTH bytes through marlune; the
# output length goes to $work/len, the peak resident size to $work/time.
run() {
  {
    cat "$work/before"
    value "$1" "$byte"
    cat "$work/after"
  } | if [ -n "$sanitized" ]; then
    "$bin" $args - - 2>/dev/null
  else
    (ulimit -v $limit_kb; /usr/bin/time -v -o "$work/time" "$bin" $args - - 2>/dev/null)
  fi | wc -c > "$work/len"
  return "${PIPESTATUS[1]}"
}

while IFS='|' read -r name args before byte after; do
  printf '%b' "$before" > "$work/before"
  printf '%b' "$after" > "$work/after"
  run $small || { fail "$name: short value: status $?"; continue; }
  short=$(cat "$work/len")
  status=0; run $big || status=$?
  [ $status -eq 0 ] || { fail "$name: long value: status $status"; continue; }
  long=$(cat "$work/len")
  grow=$((big - small))
  # Each released byte of the level A to B case halves in the output.
  [ "$byte" = "?" ] && grow=$(((big - small) / 2))
  # and each "+" of level B data doubles in level A (it is released).
  [ "$byte" = "+" ] && grow=$(((big - small) * 2))
  # Compression reads the fields' widths; the rest of the line is skipped.
  [[ $args == -u* ]] && grow=0
  [ $((long - short)) -eq $grow ] || fail "$name: output of $long bytes, expected $((short + grow))"
  if [ -z "$sanitized" ]; then
    peak=$(awk -F: '/Maximum resident set size/ { gsub(/ /, "", $2); print $2 }' "$work/time")
    [ "$peak" -le $peak_max_kb ] || fail "$name: peak resident size $peak kB"
    echo "$name ($args): $big-byte value, output $long bytes, peak $peak kB"
  fi
done <<< "$cases"

if [ "$failures" -ne 0 ]; then echo "$failures case(s) failed"; exit 1; fi
echo "all cases passed"
