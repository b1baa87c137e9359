#!/usr/bin/env bash
# The inner loop: the native build (ASan + UBSan) and its tests, in a minute or two once the
# first build is done. With --windows also the 64-bit Windows build's unit and Win32 tests
# under Wine (no end-to-end tests). The README's test command runs everything.
#   VARNEKITE_JOBS  parallel build and test jobs (default: the number of processors)
set -euo pipefail
cd "$(dirname "$0")/.."
export LANG=C.UTF-8 LC_ALL=C.UTF-8
jobs=${VARNEKITE_JOBS:-$(nproc)}
started=$SECONDS
cmake --preset native >/dev/null
cmake --build --preset native -j "$jobs"
ctest --preset native -j "$jobs" --output-on-failure
if [ "${1:-}" = --windows ]; then
  cmake --preset mingw64 >/dev/null
  cmake --build --preset mingw64 -j "$jobs"
  source scripts/wine-env.sh
  trap vk_wine_stop EXIT
  vk_wine_start
  ctest --preset mingw64 -j "$jobs" -L "unit|win32" --output-on-failure
fi
echo "== quick tier passed ($((SECONDS - started)) s)"
