#!/usr/bin/env bash
# Inputs that a batch filter meets on bad days: a segment cut off at every
# position (compressed and uncompressed), a value of one megabyte, and the
# standard streams as pipes. Every run must end normally with the output
# and messages the conversion rules give.
set -u
bin=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL $*"; failures=$((failures + 1)); }

head_segment="UNH+1+ORDERS:D:96A:UN'"
segment="FTX+AAA+++a?+b:c+EN'"
blank() { printf '%*s' "$1" ''; }
# FTX of D.96A: A3, A3, A3:A3:A3, A70 x 5, A3.
ftx_line() { # fourth element's first component, fifth element
  printf 'FTXAAA%s%s%-70s%s%-3s\n' "$(blank 3)" "$(blank 9)" "$1" "$(blank 280)" "$2"
}

# 1. A compressed segment cut after every byte: the segment is finished with
#    its remaining fields absent and the end of input is reported, unless the
#    cut falls after the terminator.
for ((k = 1; k <= ${#segment}; ++k)); do
  printf '%s\n%s' "$head_segment" "${segment:0:k}" > "$work/in"
  "$bin" -au "$work/in" "$work/out" 2> "$work/err"
  status=$?
  [ $status -eq 0 ] || { fail "cut after $k bytes: status $status"; continue; }
  warned=$(grep -c "Warning: input ends inside segment FTX (line 2)" "$work/err")
  lines=$(wc -l < "$work/out")
  if ((k < 3)); then
    [ "$lines" -eq 1 ] && [ "$warned" -eq 0 ] || fail "cut after $k bytes: $lines lines, warning $warned"
  elif ((k < ${#segment})); then
    [ "$lines" -eq 2 ] && [ "$warned" -eq 1 ] || fail "cut after $k bytes: $lines lines, warning $warned"
  else
    [ "$warned" -eq 0 ] || fail "complete segment reported as cut"
    printf 'FTXAAA%s%-70s%-70s%s%-3s\n' "$(blank 12)" "a+b" "c" "$(blank 210)" "EN" > "$work/want"
    tail -n 1 "$work/out" | cmp -s - "$work/want" || fail "complete segment: wrong line"
  fi
done

# 2. An uncompressed line cut after every byte: the end of input ends the
#    field being read, later fields are empty; the segment is still written.
ftx_line "a+b" "EN" > "$work/line"
full=$(wc -c < "$work/line")
for ((k = 1; k < full; ++k)); do
  head -c "$k" "$work/line" > "$work/in"
  "$bin" -ua -D D.96A "$work/in" "$work/out" 2> "$work/err"
  status=$?
  [ $status -eq 0 ] || { fail "uncompressed cut after $k bytes: status $status"; continue; }
  grep -q "input ends" "$work/err" && fail "uncompressed cut after $k bytes: unexpected warning"
  if ((k >= 3)); then
    # The segment is written from the bytes that arrived and terminated.
    [ "$(head -c 3 "$work/out")" = "FTX" ] && [ "$(tail -c 2 "$work/out")" = "'" ] ||
      fail "uncompressed cut after $k bytes: $(cat -v "$work/out")"
  fi
done
printf '%s' "$(head -c 60 "$work/line")" > "$work/in"
"$bin" -ua -D D.96A "$work/in" "$work/out" 2>/dev/null
printf "FTX+AAA+++a?+b'\n" | cmp -s - "$work/out" || fail "uncompressed cut inside a value: $(cat -v "$work/out")"

# 3. A value of one megabyte is read and written whole, and survives the
#    level transliterations unchanged.
big=$(head -c 1000000 /dev/zero | tr '\0' 'x')
printf "%s\nFTX+AAA+++%s+EN'\n" "$head_segment" "$big" > "$work/in"
"$bin" -au "$work/in" "$work/out" 2> "$work/err" || fail "1 MB value: status $?"
printf 'FTXAAA%s%s%s%s%-3s\n' "$(blank 3)" "$(blank 9)" "$big" "$(blank 280)" "EN" > "$work/want"
tail -n 1 "$work/out" | cmp -s - "$work/want" || fail "1 MB value: line differs"
"$bin" -ab "$work/in" "$work/b" 2>/dev/null && "$bin" -ba "$work/b" "$work/a" 2>/dev/null || fail "1 MB value: -ab/-ba status"
cmp -s "$work/in" "$work/a" || fail "1 MB value: -ab then -ba differs"

# 4. Standard input and output as pipes give what the files give.
for command in -au -ab; do
  "$bin" $command "$work/in" "$work/file" 2>/dev/null
  cat "$work/in" | "$bin" $command - - 2>/dev/null | cat > "$work/piped"
  cmp -s "$work/file" "$work/piped" || fail "pipes with $command differ from files"
done

if [ $failures -ne 0 ]; then echo "$failures case(s) failed"; exit 1; fi
echo "all cases passed"
