#!/usr/bin/env bash
# Builds every preset and runs every test: native (ASan + UBSan), cross-built under Wine,
# the fuzzers for a bounded time, and the benchmarks that print their ratios.
#   VARNEKITE_FUZZ_SECONDS  seconds per fuzz target (default 60)
#   VARNEKITE_SKIP_BENCH=1  skip the benchmarks
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

bash scripts/setup.sh
jobs=$(nproc)
status=0

step() { echo; echo "== $*"; }

step "Native build and tests (ASan + UBSan)"
cmake --preset native >/dev/null
cmake --build --preset native -j "$jobs"
ctest --preset native -j "$jobs" || status=1

step "Windows builds (mingw64, mingw32)"
cmake --preset mingw64 >/dev/null
cmake --build --preset mingw64 -j "$jobs"
cmake --preset mingw32 >/dev/null
cmake --build --preset mingw32 -j "$jobs"

step "Windows tests under Wine (x86_64)"
source scripts/wine-env.sh
trap vk_wine_stop EXIT
vk_wine_start
ctest --preset mingw64 || status=1
echo "(mingw32: built; its tests need a 32-bit Wine or Windows and are not run here)"

step "Fuzzing"
bash scripts/fuzz.sh "${VARNEKITE_FUZZ_SECONDS:-60}" || status=1

if [ "${VARNEKITE_SKIP_BENCH:-0}" != 1 ]; then
  step "Benchmarks"
  bash scripts/bench.sh || status=1
fi

echo
if [ $status -eq 0 ]; then echo "== All tests passed"; else echo "== Some tests FAILED"; fi
exit $status
