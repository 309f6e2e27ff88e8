#!/usr/bin/env bash
# Canonical interchanges survive expansion and compression unchanged, at
# level A (-au then -ua) and at level B (-bu then -ub); the expansion also
# has exactly the fixed-width layout of each segment's definition.
source "$(dirname "$0")/lib.bash"

for seed in $seeds; do
  for level in A B; do
    lc=$(tr AB ab <<< "$level")
    base=$work/$seed.$level name="seed $seed level $level"
    opt=$(cat "$base.opt")
    run "$name" $opt -${lc}u "$base.edi" "$base.out.unc" \
      && same "$name, -${lc}u layout" "$base.unc" "$base.out.unc" \
      && run "$name" $opt -u$lc "$base.out.unc" "$base.out.edi" \
      && same "$name, -${lc}u then -u$lc" "$base.edi" "$base.out.edi" \
      || failures=$((failures + 1))
  done
done
finish
