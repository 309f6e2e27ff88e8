# Shared by the scripts in this folder (sourced): a scratch folder holding a
# small interchange, and checks that compare status, standard error and
# files byte for byte.
bin=$(readlink -f "$1")
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 2
failures=0
fail() { echo "FAIL $*"; failures=$((failures + 1)); }

cp "$here/../../examples/orders.edi" orders.edi
"$bin" -au orders.edi orders.unc 2>/dev/null || { echo "cannot expand the example"; exit 2; }

# many COUNT: many.edi, COUNT copies of the example, and its expansion
# many.unc.
many() {
  for _ in $(seq "$1"); do cat orders.edi; done > many.edi
  "$bin" -au many.edi many.unc 2>/dev/null
}

# expect NAME STATUS STDERR: compares the last run's status and standard
# error (in $status and the file err) with the wanted ones.
expect() {
  local name=$1 want_status=$2 want_err=$3
  [ "$status" = "$want_status" ] || fail "$name: status $status, expected $want_status"
  if [ "$(cat err)" != "$want_err" ]; then
    fail "$name: standard error differs"; diff <(printf '%s\n' "$want_err") err | head -6
  fi
}

# unchanged NAME FILE COPY: FILE still holds exactly what COPY holds.
unchanged() { cmp -s "$2" "$3" || fail "$1: $2 was changed"; }

finish() {
  if [ "$failures" -ne 0 ]; then echo "$failures check(s) failed"; exit 1; fi
  echo "all checks passed"
}
