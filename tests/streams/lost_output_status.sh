#!/usr/bin/env bash
# The tag code of -c and the help screens are a run's whole result: when
# they cannot be written, the run fails.
set -u
source "$(dirname "$0")/lib.bash"

status=0; "$bin" -c UNH > out 2> err || status=$?
expect "-c to a file" 0 ""
[ "$(cat out)" = "UNH=7604" ] || fail "-c to a file: wrote $(cat out)"
status=0; "$bin" -c UNH > /dev/full 2> err || status=$?
expect "-c to a full device" 1 "Couldn't write output file '-'"
status=0; "$bin" -c UNH >&- 2> err || status=$?
expect "-c with standard output closed" 1 "Couldn't write output file '-'"

status=0; "$bin" < /dev/null 2> /dev/null || status=$?
[ $status -eq 0 ] || fail "help screens: status $status"
status=0; "$bin" < /dev/null 2> /dev/full || status=$?
[ $status -eq 1 ] || fail "help screens to a full device: status $status"
status=0; "$bin" < /dev/null 2>&- || status=$?
[ $status -eq 1 ] || fail "help screens with standard error closed: status $status"
finish
