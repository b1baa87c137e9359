#!/usr/bin/env bash
# Builds every preset and runs every test: native (ASan + UBSan) and under ThreadSanitizer,
# cross-built for 64- and 32-bit Windows under Wine (the end-to-end tests one at a time, the
# others side by side), the release packages and their smoke test, and the fuzzers briefly.
# The benchmarks have a command of their own: scripts/bench.sh.
#   VARNEKITE_FUZZ_SECONDS  seconds per fuzz target (default 20)
#   VARNEKITE_JOBS          parallel build and test jobs (default: the number of processors)
set -euo pipefail
cd "$(dirname "$0")/.."
# shellcheck source=scripts/common.sh
source scripts/common.sh

bash scripts/setup.sh
export VARNEKITE_SETUP_DONE=1
status=0
skipped=()
started=$SECONDS

step() { echo; echo "== $* ($((SECONDS - started)) s)"; }

step "Native build and tests (ASan + UBSan)"
vk_build native
ctest --preset native -j "$VK_JOBS" || status=1

step "Native tests under ThreadSanitizer"
vk_build tsan
ctest --preset tsan -j "$VK_JOBS" || status=1

step "Windows builds (mingw64, mingw32)"
vk_build mingw64
# The Windows benchmark programs are built here too (not run): a change that breaks them shows
# now, not on the next benchmark run.
vk_build mingw64 LoadBench RunLogCostBench CopyTreeBench
vk_build mingw32

step "Windows tests under Wine (x86_64)"
# shellcheck source=scripts/wine-env.sh
source scripts/wine-env.sh
trap vk_wine_stop EXIT
if vk_wine_start; then
  ctest --preset mingw64 -j "$VK_JOBS" || status=1
else
  echo "== FAILED: the Wine prefix could not be prepared (said above), so the Windows tests cannot run" >&2
  status=1
fi

step "Windows tests under 32-bit Wine (i686)"
if vk_wine32_installed; then
  ctest --preset mingw32 -j "$VK_JOBS" || status=1
elif problem=$(vk_wine32_mirror_problem); then
  # Not the code's fault and not for ever: said on every run until a set-up installs it.
  echo "== NOT RUN on this machine: the i686 tests need wine32:i386, which the package mirror cannot give now: $problem" >&2
  skipped+=("the i686 tests under 32-bit Wine")
else
  # A tier that cannot run is not a pass: scripts/setup.sh said above why wine32 is missing.
  echo "== FAILED: the 32-bit Wine (wine32:i386) is not installed, so the i686 tests cannot run" >&2
  status=1
fi
vk_wine_stop

step "Release packages and their smoke test"
bash scripts/release.sh || status=1

step "Fuzzing"
bash scripts/fuzz.sh "${VARNEKITE_FUZZ_SECONDS:-20}" || status=1

echo
for tier in ${skipped[@]+"${skipped[@]}"}; do echo "== NOT RUN on this machine: $tier (said above)"; done
if [ $status -eq 0 ]; then echo "== All tests passed ($((SECONDS - started)) s)"; else echo "== Some tests FAILED ($((SECONDS - started)) s)"; fi
exit $status
