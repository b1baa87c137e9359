#!/usr/bin/env bash
# Configuration load time and peak heap against the file size, for files of 1, 10 and 100 MB
# of five shapes, first natively (wide characters of 4 bytes), then as the Windows build under
# Wine (2 bytes; the goal is a peak of at most 3 times the file size for every shape, see
# LoadBench.cpp). Peak heap is counted exactly by the program's own operator new. About half a
# minute.
set -euo pipefail
cd "$(dirname "$0")/.."
# shellcheck source=scripts/common.sh
source scripts/common.sh
native=build/bench/bench/LoadBench
[ -x "$native" ] || vk_build bench LoadBench
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$native" "$work"

vk_build mingw64 LoadBench >/dev/null
# shellcheck source=scripts/wine-env.sh
source scripts/wine-env.sh
[ -d "$WINEPREFIX" ] || vk_start_display
vk_wine_prepare_prefix
wine build/mingw64/bench/windows/LoadBench.exe "$(vk_win_path "$work")"
