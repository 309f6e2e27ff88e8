#!/usr/bin/env bash
# A standard descriptor closed by the caller is never taken over by a file
# the run opens: diagnostics to a closed standard error are lost without
# touching the output, and a closed standard output or input used as "-"
# makes the run fail.
set -u
source "$(dirname "$0")/lib.bash"

# A warning-rich run (an unknown release, an unknown tag) with standard
# error closed writes the same output as with standard error open.
printf "UNH+1+ORDERS:D:77Z:UN'\nXYZ+1'\nBGM+220+X'\n" > odd.edi
"$bin" -au -w odd.edi odd.want 2>/dev/null
for input in orders.edi odd.edi; do
  status=0; "$bin" -au -w $input out.unc 2>&- || status=$?
  want=orders.unc; [ $input = odd.edi ] && want=odd.want
  [ $status -eq 0 ] || fail "$input with standard error closed: status $status"
  cmp -s out.unc $want || fail "$input with standard error closed: output differs"
done

status=0; "$bin" -au orders.edi - >&- 2> err || status=$?
expect "standard output closed" 1 "$(printf "level A - orders.edi to -  - compressed to uncompressed\n\n%s\n%s\nCouldn't write output file '-'" \
  "New directory (UNH.0052) 'D' detected (message 1, line 3)" "New directory (UNH.0054) '96A' detected (message 1, line 3)")"

status=0; "$bin" -ab - out.b <&- 2> err || status=$?
expect "standard input closed" 1 "$(printf "level A to level B, - to out.b \n\nCouldn't read input file '-'")"
[ ! -e out.b ] || fail "standard input closed: created the output"

# All three closed: nothing can be reported, but the status tells.
status=0; "$bin" -au - - <&- >&- 2>&- || status=$?
[ $status -eq 1 ] || fail "all closed: status $status"
finish
