#!/usr/bin/env bash
# Lines whose trailing blanks were removed (as COBOL line sequential files,
# editors and sed 's/ *$//' leave them) compress to the same interchange as
# the full fixed-width lines, with line feeds and with carriage return and
# line feed; and the compression gives back the original interchange.
source "$(dirname "$0")/lib.bash"

for seed in $seeds; do
  for level in A B; do
    lc=$(tr AB ab <<< "$level")
    base=$work/$seed.$level name="seed $seed level $level"
    opt=$(cat "$base.opt")
    sed 's/ *$//' "$base.unc" > "$base.short.unc"
    sed 's/$/\r/' "$base.unc" > "$base.crlf.unc"
    sed 's/ *$/\r/' "$base.unc" > "$base.short.crlf.unc"
    if cmp -s "$base.unc" "$base.short.unc"; then
      echo "FAIL $name: no line has trailing blanks"; failures=$((failures + 1)); continue
    fi
    run "$name" $opt -u$lc "$base.unc" "$base.full.edi" \
      && same "$name, -u$lc of the full lines" "$base.edi" "$base.full.edi" \
      && run "$name" $opt -u$lc "$base.short.unc" "$base.short.edi" \
      && same "$name, -u$lc of the lines without trailing blanks" "$base.full.edi" "$base.short.edi" \
      && run "$name" $opt -u$lc "$base.crlf.unc" "$base.crlf.edi" \
      && same "$name, -u$lc of the full lines with CR LF" "$base.full.edi" "$base.crlf.edi" \
      && run "$name" $opt -u$lc "$base.short.crlf.unc" "$base.short.crlf.edi" \
      && same "$name, -u$lc of the lines without trailing blanks, CR LF" "$base.full.edi" "$base.short.crlf.edi" \
      || failures=$((failures + 1))
  done
done
finish
