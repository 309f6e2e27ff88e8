#!/usr/bin/env bash
# A level A interchange without release characters expands the same way as
# its level B transliteration (apart from the syntax identifier UNOA/UNOB).
source "$(dirname "$0")/lib.bash"

for seed in $seeds; do
  base=$work/$seed.P name="seed $seed"
  opt=$(cat "$base.opt")
  run "$name" $opt -au "$base.edi" "$base.a.unc" \
    && run "$name" -ab "$base.edi" "$base.b.edi" \
    && run "$name" $opt -bu "$base.b.edi" "$base.b.unc" \
    && sed '1s/^UNBUNOB/UNBUNOA/' "$base.b.unc" > "$base.b.mapped" \
    && { ! cmp -s "$base.b.unc" "$base.b.mapped" \
         || { echo "FAIL $name: no UNOB in the UNB line after -ab then -bu"; false; }; } \
    && same "$name, -au vs -ab then -bu" "$base.a.unc" "$base.b.mapped" \
    || failures=$((failures + 1))
done
finish
