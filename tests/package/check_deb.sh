#!/usr/bin/env bash
# Builds the Debian package with cpack from the build folder, lists it,
# unpacks it and runs the unpacked programs.
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
for f in ./usr/bin/marlune ./usr/bin/marlune-layout ./usr/share/man/man1/marlune.1 ./usr/share/man/man1/marlune-layout.1; do
  grep -q " $f\$" "$work/contents" || { echo "package lacks $f"; fail=1; }
done
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
[ $fail -eq 0 ] && echo "$(basename "$deb"): $(wc -l < "$work/contents") entries, Depends: $depends"
exit $fail
