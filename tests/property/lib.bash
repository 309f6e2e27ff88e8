# Shared by the property scripts (sourced, not a test of its own).
# Sets: bin, work, seeds; generates the interchanges of every seed into $work.
bin=$1
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
seeds="1 2 3 4 5 6 7 8"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

python3 "$here/gen_interchange.py" "$here/../../data/catalogue" "$work" $seeds || {
  echo "generator failed"; exit 2; }

# run NAME ARGS...: runs marlune, fails the case on a non-zero status or an
# unknown-tag message.
run() {
  local name=$1; shift
  "$bin" "$@" 2> "$work/stderr"
  local status=$?
  if [ "$status" -ne 0 ]; then
    echo "FAIL $name: marlune $* exited with status $status"; head -3 "$work/stderr"; return 1
  fi
  if grep -q "tag is unknown" "$work/stderr"; then
    echo "FAIL $name: marlune $* reported an unknown tag"; grep -m3 "unknown" "$work/stderr"; return 1
  fi
}

# same NAME EXPECTED GOT: byte comparison, showing the first differing line.
same() {
  if ! cmp -s "$2" "$3"; then
    echo "FAIL $1: $(cmp "$2" "$3" 2>&1 | head -1)"
    diff <(cat -v "$2") <(cat -v "$3") | head -6
    return 1
  fi
}

finish() {
  if [ "$failures" -ne 0 ]; then echo "$failures case(s) failed"; exit 1; fi
  echo "all cases passed (seeds: $seeds)"
}
