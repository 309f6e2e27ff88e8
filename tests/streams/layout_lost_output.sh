#!/usr/bin/env bash
# marlune-layout's output is its whole result: a write or the final flush
# that fails ends the run with the reason and status 1, whatever it printed
# (layouts, the help, the version); closed standard descriptors are handled
# as marlune handles them.
#   layout_lost_output.sh MARLUNE   (marlune-layout is beside it)
set -u
source "$(dirname "$0")/lib.bash"
layout=$(dirname "$bin")/marlune-layout

full="marlune-layout: cannot write the output: No space left on device"
closed="marlune-layout: cannot write the output: Bad file descriptor"
for args in "-D D.96A" "-D D.96A --format csv MOA" "--for orders.edi --format cobol" "--help" "--version"; do
  # shellcheck disable=SC2086
  status=0; timeout 60 "$layout" $args > /dev/full 2> err || status=$?
  expect "$args to a full device" 1 "$full"
  # shellcheck disable=SC2086
  status=0; timeout 60 "$layout" $args >&- 2> err || status=$?
  expect "$args with standard output closed" 1 "$closed"
  # shellcheck disable=SC2086
  status=0; timeout 60 "$layout" $args > out 2> err || status=$?
  expect "$args to a file" 0 ""
  [ -s out ] || fail "$args to a file: nothing written"
done

# Standard error closed: the layouts are still written, the status tells
# about the lost output only.
status=0; timeout 60 "$layout" MOA > out 2>&- || status=$?
[ $status -eq 0 ] || fail "standard error closed: status $status"
grep -q '^MOA  MONETARY AMOUNT$' out || fail "standard error closed: layout missing"
status=0; timeout 60 "$layout" MOA >&- 2>&- || status=$?
[ $status -eq 1 ] || fail "both closed: status $status"

# Standard input closed with --for -: a read error, not an empty file.
status=0; timeout 60 "$layout" --for - <&- > out 2> err || status=$?
expect "standard input closed" 1 "marlune-layout: Couldn't read input file '-'"
finish
