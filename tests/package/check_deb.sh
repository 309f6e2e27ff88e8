#!/usr/bin/env bash
# Builds the Debian package with cpack from the build folder, lists it
# (programs, gzipped manual pages, the documentation with its examples),
# checks it with lintian (no error), unpacks it and runs the unpacked
# programs, among them over the example the package ships.
#   check_deb.sh BUILD_DIR
set -u
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$build" || exit 2
cpack -G DEB -B "$work/out" > "$work/cpack.log" 2>&1 || { echo "cpack failed"; tail -20 "$work/cpack.log"; exit 1; }
deb=$(ls "$work"/out/*.deb 2>/dev/null | head -1)
[ -n "$deb" ] || { echo "no package written"; exit 1; }

fail=0
dpkg-deb -c "$deb" > "$work/contents" || { echo "dpkg-deb -c failed"; exit 1; }
doc=./usr/share/doc/marlune
for f in ./usr/bin/marlune ./usr/bin/marlune-layout ./usr/share/man/man1/marlune.1.gz \
         ./usr/share/man/man1/marlune-layout.1.gz $doc/copyright $doc/changelog.gz $doc/README.md \
         $doc/examples/orders.edi $doc/examples/read_orders.cbl; do
  grep -q " $f\$" "$work/contents" || { echo "package lacks $f"; fail=1; }
done
if grep -q '/man1/.*\.1$' "$work/contents"; then echo "an uncompressed manual page"; fail=1; fi

# lintian: no error (its note about running as root aside).
if ! command -v lintian >/dev/null; then
  echo "lintian not found (Debian package lintian)"; fail=1
elif ! lintian --fail-on error "$deb" > "$work/lintian" 2>&1; then
  echo "lintian reports errors:"; grep -v 'root privileges' "$work/lintian"; fail=1
fi
depends=$(dpkg-deb -f "$deb" Depends)
case $depends in
  *libc6*) ;;
  *) echo "Depends does not name the C library: '$depends'"; fail=1 ;;
esac

dpkg-deb -x "$deb" "$work/root" || { echo "dpkg-deb -x failed"; exit 1; }
got=$("$work/root/usr/bin/marlune" -c UNH) || { echo "unpacked marlune failed"; fail=1; }
[ "$got" = "UNH=7604" ] || { echo "unpacked marlune printed '$got'"; fail=1; }
line=$("$work/root/usr/bin/marlune-layout" -D D.96A --format csv MOA | grep '^MOA,2,') ||
  { echo "unpacked marlune-layout failed"; fail=1; }
[ "$line" = "MOA,2,7,24,18,N,C516,2,5004,Monetary amount,D.96A" ] || { echo "unpacked marlune-layout printed '$line'"; fail=1; }
# The shipped example: the layouts of its records, and the man page reads.
first=$("$work/root/usr/bin/marlune-layout" --for "$work/root/$doc/examples/orders.edi" --format csv | head -2 | tail -1)
[ "$first" = "UNB,1,4,7,4,A,S001,1,0001,Syntax identifier,90.2" ] || { echo "--for on the shipped example gave '$first'"; fail=1; }
zcat "$work/root/usr/share/man/man1/marlune-layout.1.gz" | grep -qF '.BI \-\-for " file"' || { echo "manual page lacks --for"; fail=1; }
[ $fail -eq 0 ] && echo "$(basename "$deb"): $(wc -l < "$work/contents") entries, Depends: $depends, lintian: no error"
exit $fail
