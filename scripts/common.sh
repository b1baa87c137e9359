#!/usr/bin/env bash
# Source this file: what the scripts (scripts/, bench/, tests/e2e/) do alike, written once. It is
# apart from wine-env.sh, which sources it, because most scripts build without running Wine,
# and wine-env.sh also sets up Wine's variables and prefix.
#   VARNEKITE_JOBS  parallel build and test jobs (default: the number of processors)

vk_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# Wine turns Windows file names into Linux ones through the locale: without a UTF-8 locale it
# cannot create a file named "Папка" (the tests make some). C.UTF-8 exists on every Debian; set
# it, never inherit it, so every script runs alike whatever the calling shell has.
export LANG=C.UTF-8 LC_ALL=C.UTF-8

# Exported, so the scripts a script starts use the same count without counting again.
VK_JOBS=${VARNEKITE_JOBS:-$(nproc)}
export VARNEKITE_JOBS=$VK_JOBS

# vk_win_path PATH: the Linux path as Wine's Z: drive names it (Z:\tmp\x for /tmp/x).
vk_win_path() { printf 'Z:%s\n' "${1//\//\\}"; }

# vk_build PRESET [TARGET...]: configures the preset's build folder quietly and builds the
# targets, or everything, with VK_JOBS jobs; from any folder, as presets are the repository's.
vk_build() (
  preset=$1
  shift
  cd "$vk_root" || exit
  cmake --preset "$preset" >/dev/null || exit
  if [ $# -gt 0 ]; then
    cmake --build --preset "$preset" -j "$VK_JOBS" --target "$@"
  else
    cmake --build --preset "$preset" -j "$VK_JOBS"
  fi
)
