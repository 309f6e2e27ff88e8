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
page=$prefix/share/man/man1/marlune.1
[ -s "$page" ] || { echo "manual page missing"; exit 1; }
if command -v man >/dev/null; then
  [ "$(MANPATH=$prefix/share/man man -w marlune)" = "$page" ] || { echo "man does not find the page"; exit 1; }
  MANWIDTH=80 man -l "$page" 2>/dev/null | grep -q "^EXIT STATUS" || { echo "manual page does not render"; exit 1; }
fi
echo "installed and found"
