#!/usr/bin/env bash
# The run log's cost: the installer's dircopy on 20 000 files of 100 bytes in tmpfs under Wine,
# with the log on and off in alternating rounds (median of $ROUNDS each, default 3); prints the ratio beside its
# target (at most 1.05). Builds build/mingw64's RunLogCostBench.exe if needed.
set -euo pipefail
cd "$(dirname "$0")/.."
# shellcheck source=scripts/common.sh
source scripts/common.sh
vk_build mingw64 RunLogCostBench >/dev/null
exe=$(pwd)/build/mingw64/bench/windows/RunLogCostBench.exe
# shellcheck source=scripts/wine-env.sh
source scripts/wine-env.sh
vk_wine_prepare_prefix >/dev/null
work=$(mktemp -d /dev/shm/vk-log-cost.XXXXXX 2>/dev/null || mktemp -d)
trap 'rm -rf "$work"' EXIT
wine "$exe" "$(vk_win_path "$work/tree")" "${FILES:-20000}" "${ROUNDS:-3}" | tr -d '\r'
