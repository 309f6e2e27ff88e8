#!/usr/bin/env bash
# A run whose input and output are one file, however they are named (both
# names, "-" with a redirection, a hard link), refuses to start: nothing is
# read, truncated or written. Pipes and /dev/null are never the same file.
set -u
source "$(dirname "$0")/lib.bash"

for cmd in -ab -au; do
  cp orders.edi f; cp f keep; ln f g
  status=0; timeout 10 "$bin" $cmd - f < f > out 2> err || status=$?
  expect "$cmd - f < f" 1 "Input and output are the same file '-'"; unchanged "$cmd - f < f" f keep
  status=0; timeout 10 "$bin" $cmd f - >> f 2> err || status=$?
  expect "$cmd f - >> f" 1 "Input and output are the same file 'f'"; unchanged "$cmd f - >> f" f keep
  status=0; timeout 10 "$bin" $cmd f - 1<> f 2> err || status=$?
  expect "$cmd f - 1<> f" 1 "Input and output are the same file 'f'"; unchanged "$cmd f - 1<> f" f keep
  status=0; timeout 10 "$bin" $cmd f g 2> err || status=$?
  expect "$cmd f g (hard link)" 1 "Input and output are the same file 'f'"; unchanged "$cmd f g" f keep
  status=0; timeout 10 "$bin" $cmd - - < f >> f 2> err || status=$?
  expect "$cmd - - < f >> f" 1 "Input and output are the same file '-'"; unchanged "$cmd - - < f >> f" f keep
  rm -f f g keep
done

# Not the same file: a pipe on both sides, /dev/null on both sides.
status=0; cat orders.edi | "$bin" -au - - 2> err | cat > piped || status=$?
[ $status -eq 0 ] && cmp -s piped orders.unc || fail "pipe to pipe: status $status or output differs"
status=0; "$bin" -au - - < /dev/null > /dev/null 2> err || status=$?
expect "/dev/null on both sides" 0 "level A - - to -  - compressed to uncompressed"
finish
