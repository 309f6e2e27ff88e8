#!/usr/bin/env bash
# Rebuilds the seed corpus fuzz/corpus/ from the inputs of the end-to-end
# cases and the bundled example. Each seed is two option bytes (see
# run_one.cpp) followed by an input file; every input appears with no options
# and with a mix of options and -D D.96A.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$root/fuzz/corpus
rm -rf "$out"
mkdir -p "$out"
inputs=("$root"/examples/*)
while IFS= read -r -d '' f; do inputs+=("$f"); done < <(
  find "$root/tests/e2e/cases" -type f ! -name args ! -path '*/expected.*' -size -64k -print0 | sort -z)
for f in "${inputs[@]}"; do
  [ -s "$f" ] || continue
  for options in '\x00\x00' '\x0d\x1a'; do
    tmp=$(mktemp)
    { printf "$options"; cat "$f"; } > "$tmp"
    # Named by content, so that equal inputs collapse.
    mv -f "$tmp" "$out/$(sha1sum "$tmp" | cut -c1-16)"
  done
done
echo "$(ls "$out" | wc -l) seeds in $out"
