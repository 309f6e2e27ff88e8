#!/usr/bin/env bash
# A COBOL client of the uncompressed form: examples/read_orders.cbl COPYs
# two prefixed copybooks, the one marlune-layout --for generates for the
# bundled example (under the FD) and the one of all of D.96A; GnuCOBOL
# compiles it and runs it over the -au output of the example, and its
# report must equal expected.out.
#   run.sh MARLUNE MARLUNE_LAYOUT [COBC]
set -u
marlune=$(readlink -f "$1") layout=$(readlink -f "$2") cobc=${3:-cobc}
here=$(cd "$(dirname "$0")" && pwd)
examples=$here/../../examples
if ! command -v "$cobc" >/dev/null; then
  echo "cobc not found (Debian package gnucobol3)"; exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 2

cp "$examples/orders.edi" "$examples/read_orders.cbl" .
# The steps the program's own comment gives.
"$layout" --for orders.edi --format cobol --prefix ORD- > orders.cpy || { echo "marlune-layout --for failed"; exit 1; }
"$layout" -D D.96A --format cobol --prefix D96A- > d96a.cpy || { echo "marlune-layout -D failed"; exit 1; }
"$marlune" -au orders.edi orders.unc 2> /dev/null || { echo "marlune -au failed"; exit 1; }
"$cobc" -x read_orders.cbl || { echo "cobc could not compile the client"; exit 1; }
./read_orders > report || { echo "the COBOL client failed"; exit 1; }
if ! cmp -s "$here/expected.out" report; then
  echo "report differs:"; diff "$here/expected.out" report; exit 1
fi
echo "COBOL client read $(wc -l < orders.unc) lines with two prefixed copybooks" \
  "($(grep -c ' 01 ' orders.cpy) and $(grep -c ' 01 ' d96a.cpy) records)"
