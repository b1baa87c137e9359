#!/usr/bin/env bash
# A picture of the progress window for a configuration, without running it: builds
# varnekite-check.exe for Windows and runs its --preview under Wine (on the user's display, or a
# virtual one). The window is drawn by the installer's own code, as it would look with the
# list PERCENT done (default 40) and its first item running.
#   scripts/preview.sh CONFIG OUT.png [--percent N] [--var NAME=VALUE]...
# %VARNEKITE% is the configuration's folder, as when Varnekite.exe starts beside it.
set -euo pipefail
if [ $# -lt 2 ]; then
  echo "usage: scripts/preview.sh CONFIG OUT.png [--percent N] [--var NAME=VALUE]..." >&2
  exit 64
fi
config=$(readlink -f "$1")
picture=$(readlink -m "$2")
shift 2
cd "$(dirname "$0")/.."
# shellcheck source=scripts/common.sh
source scripts/common.sh

bash scripts/setup.sh
vk_build mingw64 varnekite-check

# shellcheck source=scripts/wine-env.sh
source scripts/wine-env.sh
trap vk_wine_stop EXIT
vk_wine_start
timeout 120 wine build/mingw64/tools/varnekite-check/varnekite-check.exe --preview "$(vk_win_path "$picture")" "$@" \
  "$(vk_win_path "$config")"
