#!/usr/bin/env bash
# A compression whose output outgrows the output buffer, to a full device:
# the write fails while lines are converted (in place, set aside for want of
# room, or under -n), and the run ends with the message and status 1.
set -u
source "$(dirname "$0")/lib.bash"

# Seven hundred copies of the example's uncompressed form: some 320 KB of
# compressed output, more than two fillings of the output buffer.
for _ in $(seq 700); do cat orders.unc; done > long.unc

for options in "" "-n" "-@ -M" "-n -@"; do
    # shellcheck disable=SC2086
    status=0; "$bin" -ua $options long.unc /dev/full 2> err || status=$?
    [ "$status" -eq 1 ] || fail "-ua $options to a full device: status $status"
    [ "$(tail -n 1 err)" = "Couldn't write output file '/dev/full'" ] ||
        fail "-ua $options to a full device: last line of standard error: $(tail -n 1 err)"
    # shellcheck disable=SC2086
    "$bin" -ua $options long.unc long.out 2> /dev/null || fail "-ua $options to a file failed"
    [ "$(stat -c %s long.out)" -gt 262142 ] || fail "-ua $options: the output does not outgrow the buffer"
done
finish
