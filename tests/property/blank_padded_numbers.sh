#!/usr/bin/env bash
# Numbers right-aligned behind blanks instead of zeros (a negative one with
# its sign after the blanks) compress to the same interchange as the
# zero-filled layout: every sign is kept.
source "$(dirname "$0")/lib.bash"

negatives=0
for seed in $seeds; do
  for level in A B P; do
    lc=a; [ "$level" = B ] && lc=b
    base=$work/$seed.$level name="seed $seed level $level"
    opt=$(cat "$base.opt")
    negatives=$((negatives + $(grep -c ' -[0-9.]' "$base.blank.unc")))
    run "$name" $opt -u$lc "$base.blank.unc" "$base.blank.edi" \
      && same "$name, -u$lc of blank-padded numbers" "$base.edi" "$base.blank.edi" \
      || failures=$((failures + 1))
  done
done
if [ "$negatives" -eq 0 ]; then echo "FAIL: no blank-padded negative number generated"; failures=$((failures + 1)); fi
finish
