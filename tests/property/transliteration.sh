#!/usr/bin/env bash
# Level A -> B -> A gives the interchange back byte for byte, release
# characters included. This holds for interchanges whose release character
# only ever precedes + : ' or ?, and whose data holds no level B separator
# byte (0x1C, 0x1D, 0x1F); the generator keeps to both.
source "$(dirname "$0")/lib.bash"

for seed in $seeds; do
  for kind in A P; do
    base=$work/$seed.$kind name="seed $seed kind $kind"
    run "$name" -ab "$base.edi" "$base.b.edi" \
      && run "$name" -ba "$base.b.edi" "$base.a.edi" \
      && same "$name, -ab then -ba" "$base.edi" "$base.a.edi" \
      || failures=$((failures + 1))
  done
  # The level B interchange of the generator goes the other way round.
  base=$work/$seed.B name="seed $seed kind B"
  run "$name" -ba "$base.edi" "$base.a.edi" \
    && run "$name" -ab "$base.a.edi" "$base.b.edi" \
    && same "$name, -ba then -ab" "$base.edi" "$base.b.edi" \
    || failures=$((failures + 1))
done
finish
