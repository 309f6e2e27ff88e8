#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, AddressSanitizer,
# UndefinedBehaviorSanitizer) and runs each for a given time.
#
#   fuzz/run.sh [SECONDS_PER_TARGET] [TARGET...]     (default 60 s; au bu ua ub ab ba)
#
# Every run starts from the seed corpus fuzz/corpus/ and keeps what it learns
# in OUT/corpus-<target>/ (OUT is $MARLUNE_FUZZ_OUT, by default fuzz/out,
# git-ignored); a crash, a hang over one second, a leak or a sanitizer report
# stops the target and leaves the input in OUT. A finding is fixed and its
# input added to fuzz/regressions/.
# The script ends non-zero if any target found something.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(au bu ua ub ab ba)
out=${MARLUNE_FUZZ_OUT:-$root/fuzz/out}
build=$out/build
mkdir -p "$out"

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMARLUNE_FUZZ=ON \
  -DMARLUNE_TESTS=OFF >/dev/null || exit 2
cmake --build "$build" -j"$(nproc)" --target $(printf 'fuzz_%s ' "${targets[@]}") >/dev/null || exit 2

status=0
for t in "${targets[@]}"; do
  corpus=$out/corpus-$t
  mkdir -p "$corpus"
  log=$out/fuzz_$t.log
  "$build/fuzz/fuzz_$t" "$corpus" "$root/fuzz/corpus" -max_total_time="$seconds" -timeout=1 \
    -rss_limit_mb=2048 -max_len=65536 -print_final_stats=1 -artifact_prefix="$out/$t-" >"$log" 2>&1
  rc=$?
  execs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$')
  cov=$(grep -o 'cov: [0-9]*' "$log" | tail -1)
  echo "fuzz_$t: exit $rc, ${execs:-?} executions, ${cov:-cov: ?}, corpus $(ls "$corpus" | wc -l) files"
  if [ $rc -ne 0 ]; then
    status=1
    grep -E 'ERROR|SUMMARY|Test unit written' "$log" | head -5
  fi
done
exit $status
