#!/usr/bin/env bash
# A run that fails its checks, or cannot read its input, before converting
# anything leaves an existing output exactly as it was and creates none.
set -u
source "$(dirname "$0")/lib.bash"
mkdir folder sub
summary="level A - folder to out  - compressed to uncompressed"

# name | arguments (space-separated) | standard error
while IFS='|' read -r name args want; do
  want=$(printf '%b' "$want")
  for existing in yes no; do
    rm -f out
    [ $existing = yes ] && printf 'an earlier result\n' > out && cp out keep
    status=0; "$bin" $args 2> err || status=$?
    expect "$name (output exists: $existing)" 1 "$want"
    if [ $existing = yes ]; then unchanged "$name" out keep; else [ ! -e out ] || fail "$name: created the output"; fi
  done
done <<'CASES'
missing input|-au no_such.edi out|Couldn't open input file 'no_such.edi'
no command|orders.edi out|please issue a command (-ab, -ba, -au, -bu, -ua or -ub)
misspelt command|-aux orders.edi out|please issue a command (-ab, -ba, -au, -bu, -ua or -ub)
only one file name|out|please give an input and an output file\nplease issue a command (-ab, -ba, -au, -bu, -ua or -ub)
input is a folder|-au folder out|level A - folder to out  - compressed to uncompressed\n\nCouldn't read input file 'folder'
options refused with -ab|-ab -f orders.edi out|You cannot use options -@, -M, -num and -f with -ab and -ba
unsupported directory|-au -D 77.7 orders.edi out|directory 77.7 not supported
CASES

# Standard input closed: "-" cannot be read, the named output is not made.
status=0; "$bin" -au - out <&- 2> err || status=$?
expect "closed standard input" 1 "$(printf 'level A - - to out  - compressed to uncompressed\n\nCouldn'"'"'t read input file '"'"'-'"'"'')"
[ ! -e out ] || fail "closed standard input: created the output"

# An output that cannot be made is reported without touching anything.
status=0; "$bin" -au orders.edi no/such/folder/out 2> err || status=$?
expect "output in a missing folder" 1 "Couldn't open output file 'no/such/folder/out'"
status=0; "$bin" -au orders.edi sub 2> err || status=$?
expect "output is a folder" 1 "Couldn't open output file 'sub'"

# A run that converts creates the output as before.
status=0; "$bin" -au orders.edi new.unc 2> err || status=$?
[ $status -eq 0 ] && cmp -s new.unc orders.unc || fail "normal run: status $status or output differs"
finish
