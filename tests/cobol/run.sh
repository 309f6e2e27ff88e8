#!/usr/bin/env bash
# A COBOL client of the uncompressed form: the copybook that marlune-layout
# generates for D.96A, COPYed by read_orders.cbl, which GnuCOBOL compiles and
# runs over the -au output of the bundled example; its report must equal
# expected.out.
#   run.sh MARLUNE MARLUNE_LAYOUT [COBC]
set -u
marlune=$1 layout=$2 cobc=${3:-cobc}
here=$(cd "$(dirname "$0")" && pwd)
if ! command -v "$cobc" >/dev/null; then
  echo "cobc not found (Debian package gnucobol3)"; exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 2

"$layout" -D D.96A --format cobol > d96a.cpy || { echo "marlune-layout failed"; exit 1; }
"$marlune" -au "$here/../../examples/orders.edi" orders.unc 2> /dev/null || { echo "marlune -au failed"; exit 1; }
"$cobc" -x -o read_orders "$here/read_orders.cbl" || { echo "cobc could not compile the client"; exit 1; }
./read_orders > report || { echo "the COBOL client failed"; exit 1; }
if ! cmp -s "$here/expected.out" report; then
  echo "report differs:"; diff "$here/expected.out" report; exit 1
fi
echo "COBOL client read $(wc -l < orders.unc) lines with the generated copybook"
