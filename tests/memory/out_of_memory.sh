#!/usr/bin/env bash
# Running out of memory ends a run with "Out of memory" and status 1, never
# with a signal, whatever the limit on the address space. For each command
# (output to a named file and to standard output), every limit from one at
# which the program cannot even be loaded up to beyond the first at which it
# succeeds, in steps of 8 KiB: the run either succeeds with the whole
# output, or fails with "Out of memory" as the last line of standard error,
# or (below the first limit at which it was loaded) is refused by the
# loader.
#
#   out_of_memory.sh MARLUNE [sanitized]
# With "sanitized" the script is skipped: AddressSanitizer reserves far
# more address space than any limit worth sweeping.
set -u
bin=$(readlink -f "$1")
if [ -n "${2:-}" ]; then echo "skipped under the sanitizers"; exit 77; fi
examples=$(cd "$(dirname "$0")/../../examples" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 2
failures=0
fail() { echo "FAIL $*"; failures=$((failures + 1)); }

step=8          # KiB
beyond=16       # steps swept past the first success
high=65536      # KiB, a limit at which every run succeeds

cp "$examples/orders.edi" a.edi
"$bin" -au a.edi a.unc 2>/dev/null && "$bin" -ab a.edi b.edi 2>/dev/null || { echo "cannot prepare the inputs"; exit 2; }

# attempt LIMIT OUTPUT: one run under LIMIT KiB of address space, writing
# to OUTPUT (a file name or "-"); sets $status and leaves standard error in
# err and the output in out.
attempt() {
  status=0
  if [ "$2" = - ]; then
    timeout 10 bash -c 'ulimit -v "$0" && exec "$@"' "$1" "$bin" $args - > out 2> err || status=$?
  else
    timeout 10 bash -c 'ulimit -v "$0" && exec "$@"' "$1" "$bin" $args out 2> err || status=$?
  fi
}

# command | input
while IFS='|' read -r cmd input; do
  args="$cmd $input"
  "$bin" $args want 2>/dev/null || { fail "$args: no output without a limit"; continue; }
  attempt $high out
  [ $status -eq 0 ] || { fail "$args: status $status under $high KiB"; continue; }
  # Where loading fails: halve the range between a limit at which the
  # program cannot be loaded (0) and one at which it ran.
  low=0 up=$high
  while [ $((up - low)) -gt $step ]; do
    mid=$(((low + up) / 2 / step * step))
    attempt $mid out
    if [ $status -eq 127 ]; then low=$mid; else up=$mid; fi
  done
  [ $low -gt 0 ] || { fail "$args: loaded under every limit tried"; continue; }
  loaded=no succeeded=0 outcomes=""
  for ((limit = low; succeeded == 0 || limit <= succeeded + beyond * step; limit += step)); do
    for output in out -; do
      attempt $limit $output
      if [ $status -eq 127 ] && [ $loaded = no ]; then
        outcome="not loaded"
      elif [ $status -eq 0 ]; then
        loaded=yes
        [ $succeeded -ne 0 ] || succeeded=$limit
        outcome=succeeded
        cmp -s out want || fail "$args to $output under $limit KiB: status 0 with a different output"
      elif [ $status -eq 1 ] && [ "$(tail -n 1 err)" = "Out of memory" ]; then
        loaded=yes
        outcome="out of memory"
      else
        fail "$args to $output under $limit KiB: status $status, $(tail -n 1 err | head -c 100)"
        loaded=yes
        outcome="status $status"
      fi
      case $outcomes in *"$outcome"*) ;; *) outcomes="$outcomes, $outcome from $limit KiB";; esac
    done
    [ $limit -lt $high ] || { fail "$args: no success below $high KiB"; break; }
  done
  echo "$args: ${outcomes#, }"
done <<'CASES'
-au|a.edi
-bu|b.edi
-ua|a.unc
-ub|a.unc
-ab|a.edi
-ba|b.edi
CASES

if [ "$failures" -ne 0 ]; then echo "$failures check(s) failed"; exit 1; fi
echo "all checks passed"
