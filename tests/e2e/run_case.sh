#!/usr/bin/env bash
# Runs one end-to-end case: the marlune binary with the case's arguments in a
# scratch copy of the case folder, then compares standard output, standard
# error, the exit status and every file under expected.files/ byte for byte.
#
# A case folder holds:
#   args             the arguments, one per line
#   stdin            (optional) standard input; /dev/null otherwise
#   expected.stdout  expected standard output
#   expected.stderr  expected standard error (@BUILD_STAMP@ stands for the
#                    build stamp of the banner)
#   expected.status  expected exit status
#   expected.files/  (optional) files that must exist afterwards, with their
#                    exact contents
#   expected.absent  (optional) names of files that must not exist afterwards
#   anything else    input files, copied alongside
set -u
bin=$1 case_dir=$2 stamp=${3:-}
name=$(basename "$case_dir")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cp -r "$case_dir"/. "$work"/
rm -rf "$work"/expected.*
cd "$work" || exit 2

args=()
if [ -f "$case_dir/args" ]; then
  while IFS= read -r line || [ -n "$line" ]; do args+=("$line"); done < "$case_dir/args"
fi
stdin=/dev/null
[ -f "$case_dir/stdin" ] && stdin="$case_dir/stdin"

"$bin" "${args[@]}" < "$stdin" > "$work/.stdout" 2> "$work/.stderr"
status=$?

fail=0
expect_stderr="$work/.expected.stderr"
sed "s|@BUILD_STAMP@|$stamp|g" "$case_dir/expected.stderr" > "$expect_stderr"
if ! cmp -s "$case_dir/expected.stdout" "$work/.stdout"; then
  echo "$name: standard output differs"; diff <(od -c "$case_dir/expected.stdout") <(od -c "$work/.stdout") | head -20; fail=1
fi
if ! cmp -s "$expect_stderr" "$work/.stderr"; then
  echo "$name: standard error differs"; diff "$expect_stderr" "$work/.stderr" | head -20; fail=1
fi
want=$(cat "$case_dir/expected.status")
if [ "$status" != "$want" ]; then
  echo "$name: exit status $status, expected $want"; fail=1
fi
if [ -d "$case_dir/expected.files" ]; then
  while IFS= read -r -d '' f; do
    rel=${f#"$case_dir/expected.files/"}
    if [ ! -f "$work/$rel" ]; then
      echo "$name: file $rel missing"; fail=1
    elif ! cmp -s "$f" "$work/$rel"; then
      echo "$name: file $rel differs"; diff <(od -c "$f") <(od -c "$work/$rel") | head -20; fail=1
    fi
  done < <(find "$case_dir/expected.files" -type f -print0)
fi
if [ -f "$case_dir/expected.absent" ]; then
  while IFS= read -r rel || [ -n "$rel" ]; do
    if [ -e "$work/$rel" ]; then echo "$name: file $rel exists, expected none"; fail=1; fi
  done < "$case_dir/expected.absent"
fi
exit $fail
