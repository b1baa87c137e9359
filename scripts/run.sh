#!/usr/bin/env bash
# The main job: builds Varnekite.exe for 64-bit Windows, puts it beside the demo configuration
# in build/example/, runs it under Wine (on the user's display, or a virtual one), saves a
# picture of the window in the middle of the run as build/varnekite-window.png, and prints the
# program's exit code (1 when the install list has run).
#   VARNEKITE_CAPTURE_DELAY_MS  how long after the window appears the picture is taken (default 5000)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

bash scripts/setup.sh
cmake --preset mingw64 >/dev/null
cmake --build --preset mingw64 -j "$(nproc)" --target Varnekite VarnekiteProbe

example=$root/build/example
rm -rf "$example"
mkdir -p "$example"
cp build/mingw64/src/app/Varnekite.exe "$example/"
cp -r examples/. "$example/"

source scripts/wine-env.sh
trap vk_wine_stop EXIT
vk_wine_start

picture=$root/build/varnekite-window.png
rm -f "$picture"
echo "== Running $example/Varnekite.exe under Wine (DISPLAY=$DISPLAY)"
(cd "$example" && exec wine Varnekite.exe) &
program=$!
wine build/mingw64/tools/win32-probe/VarnekiteProbe.exe capture "Z:${picture//\//\\}" \
  "${VARNEKITE_CAPTURE_DELAY_MS:-5000}" 30000 || echo "(no picture taken)"

set +e
wait "$program"
code=$?
set -e
# Wine passes on the low byte of the Windows exit code: 1 stays 1, 0xFFFFFFFF arrives as 255.
echo "Varnekite.exe exit code: $code"
[ -f "$picture" ] && echo "Window picture: $picture"
exit 0
