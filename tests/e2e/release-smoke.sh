#!/usr/bin/env bash
# A release zip as a user gets it: unpacked into a fresh folder it holds Varnekite.exe,
# varnekite-check.exe (both built for the zip's architecture), the example Varnekite.xml and
# its schema Varnekite.xsd, README and LICENSE; varnekite-check reports the version and loads the example; Varnekite.exe started
# from the folder shows its window and exits with 0 when every command of the example succeeded.
#   release-smoke.sh <zip> <version> <VarnekiteProbe.exe>
set -euo pipefail
zip=$(readlink -f "$1")
version=$2
probe=$3
name=$(basename "$zip" .zip)
case "$name" in
  *-win64) format=pei-x86-64 ;;
  *-win32) format=pei-i386 ;;
  *) echo "$name: not a win64 or win32 package"; exit 1 ;;
esac
# shellcheck source=scripts/wine-env.sh
source "$(dirname "$0")/../../scripts/wine-env.sh"
work=$(mktemp -d /tmp/varnekite-release.XXXXXX)
trap 'vk_wine_stop; rm -rf "$work"' EXIT

fail() { echo "$name: $*"; exit 1; }

unzip -q "$zip" -d "$work"
folder=$work/$name
for file in Varnekite.exe varnekite-check.exe Varnekite.xml Varnekite.xsd README.md LICENSE; do
  [ -f "$folder/$file" ] || fail "$file is not in the zip"
done
grep -q '^MIT License' "$folder/LICENSE" || fail "LICENSE is not the MIT licence"
for exe in Varnekite.exe varnekite-check.exe; do
  x86_64-w64-mingw32-objdump -f "$folder/$exe" | grep -q "file format $format" || fail "$exe is not $format"
done

# The 32-bit programs run only under the 32-bit Wine: without it, say so rather than misread them.
if [ "$format" = pei-i386 ] && ! vk_wine32_installed; then
  if problem=$(vk_wine32_mirror_problem); then
    echo "$name: NOT RUN on this machine: its programs need wine32:i386, which the package mirror cannot give now: $problem"
    exit 0
  fi
  fail "cannot run: the 32-bit Wine (wine32:i386) is not installed (scripts/setup.sh says why)"
fi
vk_wine_start
cd "$folder"
said=$(timeout 60 wine varnekite-check.exe --version | tr -d '\r')
[ "$said" = "varnekite-check $version" ] || fail "varnekite-check --version says \"$said\", not \"varnekite-check $version\""
timeout 60 wine varnekite-check.exe >/dev/null || fail "varnekite-check does not load the example configuration (exit $?)"

picture=$work/window.png
timeout 300 wine Varnekite.exe &
program=$!
shown=$(wine "$probe" capture "$(vk_win_path "$picture")" 1000 30000 | tr -d '\r') || true
set +e
wait "$program"
code=$?
set -e
[ -f "$picture" ] || fail "no Varnekite window was shown (probe: ${shown:-nothing})"
# The example asks for <exit result="true"/>: 0 when every command succeeded.
[ "$code" -eq 0 ] || fail "Varnekite.exe exited with $code, not 0"
echo "$name: unpacked and run from a fresh folder: $shown, exit code $code, $(wine varnekite-check.exe --version | tr -d '\r')"
