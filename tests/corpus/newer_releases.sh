#!/usr/bin/env bash
# Real interchanges whose messages name a release after D.99A: without -X
# the release is unknown; with -X, -au (-bu) and -ua (-ub) on its expansion
# know every release and end with status 0.
#
# usage: newer_releases.sh MARLUNE CORPUS_DIR
# The corpus is not part of the project; without it nothing is checked.
set -u
bin=$1 corpus=$2
if [ ! -d "$corpus" ]; then
  echo "no corpus at $corpus: nothing checked"
  exit 0
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
newer='99B|0[0-9][ABC]|1[0-9][AB]|2[0-4][AB]'
checked=0 failures=0
for f in "$corpus"/*; do
  [ -f "$f" ] || continue
  expand=-au compress=-ua
  if grep -q $'\x1d' "$f"; then expand=-bu compress=-ub; fi
  "$bin" "$expand" "$f" "$work/plain.unc" 2> "$work/plain.err"
  grep -Eq "I don't know of directory '($newer)'" "$work/plain.err" || continue
  checked=$((checked + 1))
  name=$(basename "$f")
  "$bin" "$expand" -X "$f" "$work/x.unc" 2> "$work/x.err"
  s1=$?
  "$bin" "$compress" -X "$work/x.unc" "$work/x.edi" 2> "$work/x2.err"
  s2=$?
  if [ $s1 -ne 0 ] || [ $s2 -ne 0 ] || grep -h "I don't know of directory" "$work/x.err" "$work/x2.err"; then
    echo "FAIL $name: status $s1 (expand), $s2 (compress)"
    failures=$((failures + 1))
  fi
done
echo "$checked interchange(s) of the newer releases, $failures failure(s)"
if [ "$checked" -eq 0 ]; then
  echo "FAIL: no interchange of a newer release found in $corpus"
  exit 1
fi
[ "$failures" -eq 0 ]
