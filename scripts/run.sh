#!/usr/bin/env bash
# The main job: builds Varnekite.exe for 64-bit Windows, puts it beside the demo configuration
# in build/example/, runs it under Wine (on the user's display, or a virtual one), saves a
# picture of the window in the middle of the run as build/varnekite-window.png, and prints the
# program's exit code. Exits non-zero unless every command of the list succeeded (exit code 0:
# the demo configuration asks for <exit result="true"/>) and the picture was saved.
#   VARNEKITE_CAPTURE_DELAY_MS  how long after the window appears the picture is taken (default 5000)
#   VARNEKITE_JOBS              parallel build jobs (default: the number of processors)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
# shellcheck source=scripts/common.sh
source scripts/common.sh

bash scripts/setup.sh
vk_build mingw64 Varnekite VarnekiteProbe

example=$root/build/example
rm -rf "$example"
mkdir -p "$example"
cp build/mingw64/src/app/Varnekite.exe "$example/"
cp -r examples/. "$example/"

# shellcheck source=scripts/wine-env.sh
source scripts/wine-env.sh
trap vk_wine_stop EXIT
vk_wine_start

picture=$root/build/varnekite-window.png
rm -f "$picture"
echo "== Running $example/Varnekite.exe under Wine (DISPLAY=$DISPLAY)"
(cd "$example" && exec timeout 300 wine Varnekite.exe) &
program=$!
wine build/mingw64/tools/win32-probe/VarnekiteProbe.exe capture "$(vk_win_path "$picture")" \
  "${VARNEKITE_CAPTURE_DELAY_MS:-5000}" 30000 || echo "(no picture taken)"

set +e
wait "$program"
code=$?
set -e
# Wine passes on the low byte of the Windows exit code: 0 stays 0, 1603 arrives as 67,
# 0xFFFFFFFF as 255; a program Wine could not start gives 53 or similar, a time-out 124.
echo "Varnekite.exe exit code: $code"
status=0
if [ "$code" -ne 0 ]; then
  echo "== Varnekite.exe did not run every command of its list with success (exit code $code, not 0)"
  status=1
fi
if [ -f "$picture" ]; then
  echo "Window picture: $picture"
else
  echo "== No picture of the window was saved"
  status=1
fi
exit $status
