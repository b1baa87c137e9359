#!/usr/bin/env bash
# The inner loop: the native build (ASan + UBSan) and its tests, in a minute or two once the
# first build is done. With --windows also the 64-bit Windows build's unit and Win32 tests
# under Wine (no end-to-end tests). The README's test command runs everything.
#   VARNEKITE_JOBS  parallel build and test jobs (default: the number of processors)
set -euo pipefail
cd "$(dirname "$0")/.."
# shellcheck source=scripts/common.sh
source scripts/common.sh
started=$SECONDS
vk_build native
ctest --preset native -j "$VK_JOBS" --output-on-failure
if [ "${1:-}" = --windows ]; then
  vk_build mingw64
  # shellcheck source=scripts/wine-env.sh
  source scripts/wine-env.sh
  trap vk_wine_stop EXIT
  vk_wine_start
  ctest --preset mingw64 -j "$VK_JOBS" -L "unit|win32" --output-on-failure
fi
echo "== quick tier passed ($((SECONDS - started)) s)"
