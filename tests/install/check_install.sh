#!/usr/bin/env bash
# Installs the build into a scratch prefix and checks that the installed
# program runs and that its manual page is where man looks for it.
set -u
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null || { echo "install failed"; exit 1; }
got=$("$prefix/bin/marlune" -c UNH) || { echo "installed marlune failed"; exit 1; }
[ "$got" = "UNH=7604" ] || { echo "installed marlune printed '$got'"; exit 1; }
line=$("$prefix/bin/marlune-layout" -D D.96A --format csv MOA | grep '^MOA,2,') || { echo "installed marlune-layout failed"; exit 1; }
[ "$line" = "MOA,2,7,24,18,N,C516,2,5004,Monetary amount,D.96A" ] || { echo "installed marlune-layout printed '$line'"; exit 1; }
[ -s "$prefix/share/man/man1/marlune-layout.1.gz" ] || { echo "manual page of marlune-layout missing"; exit 1; }
page=$prefix/share/man/man1/marlune.1.gz
[ -s "$page" ] || { echo "manual page missing"; exit 1; }
if command -v man >/dev/null; then
  [ "$(MANPATH=$prefix/share/man man -w marlune)" = "$page" ] || { echo "man does not find the page"; exit 1; }
  MANWIDTH=80 man -l "$page" 2>/dev/null | grep -q "^EXIT STATUS" || { echo "manual page does not render"; exit 1; }
fi
echo "installed and found"
