#!/usr/bin/env bash
# Shared by the Windows benchmarks (bench/run-*.sh that measure Varnekite.exe under Wine): builds
# the mingw64 programs they need, prepares Wine, and gives a scratch folder with a configuration
# whose single execute command keeps the run waiting.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
vk_bench_root=$(pwd)
# shellcheck source=scripts/common.sh
source scripts/common.sh

vk_build mingw64 Varnekite VarnekiteProbe MinimalWindow >/dev/null

vk_bench_dir=$(mktemp -d /tmp/varnekite-bench.XXXXXX)
# shellcheck source=scripts/wine-env.sh
source scripts/wine-env.sh
trap 'vk_wine_stop; rm -rf "$vk_bench_dir"' EXIT
vk_wine_start

vk_exe=$(vk_win_path "$vk_bench_root/build/mingw64/src/app/Varnekite.exe")
vk_probe_unix=$vk_bench_root/build/mingw64/tools/win32-probe/VarnekiteProbe.exe
vk_probe=$(vk_win_path "$vk_probe_unix")
vk_minimal=$(vk_win_path "$vk_bench_root/build/mingw64/tools/win32-probe/MinimalWindow.exe")
vk_config=$(vk_win_path "$vk_bench_dir/waiting.xml")

# A waiting run: header colour #1F3A5F (the start-up benchmark looks for it) and one execute
# command that sleeps for $1 milliseconds (the benchmarks end the program before that).
vk_write_config() {
cat > "$vk_bench_dir/waiting.xml" <<XML
<Varnekite>
  <config>
    <window width="400" position="8"/>
    <font face="Tahoma" small="8" large="11" antialias="true"/>
    <strings><title>Benchmark</title><complete>complete</complete></strings>
    <colours>
      <progress border="#1F3A5F" back="#E8EEF5" fore="#3D7CC9"/>
      <header back="#1F3A5F" fore="#FFFFFF"/>
      <main back="#F7F9FC" fore="#2B2B2B" current="#1F5FA8" description="#6B7785"/>
      <footer back="#DCE5F0" fore="#1F3A5F"/>
    </colours>
  </config>
  <items>
    <item name="Waiting"><file command="execute" name="Waiting" program="$vk_probe" arguments="sleep $1" hide="true"/></item>
  </items>
</Varnekite>
XML
}

# CPU time (user + system, in clock ticks) a Linux process has used so far, all threads.
vk_cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
# The Linux process of a running Windows program of this prefix, by its file name ($1, e.g.
# Varnekite.exe); Wine writes the program's path as its first argument (its Windows path, or
# the Unix path `wine` was given, depending on how Wine starts it). Where the 32-bit
# Wine is installed, `wine program.exe` starts 64-bit programs as a separate process (under
# start.exe), so the process `wine` started is not the program.
vk_windows_pid() {
  local p first
  for p in $(pgrep -f -- "$1" || true); do
    first=$(tr '\0' '\n' < "/proc/$p/cmdline" 2>/dev/null | head -1)
    [[ "$first" == *"\\$1" || "$first" == *"/$1" || "$first" == "$1" ]] || continue
    tr '\0' '\n' < "/proc/$p/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX" || continue
    echo "$p"
    return
  done
}
# The persistent wineserver of this prefix (it does the work of messages and timers).
vk_wineserver_pid() {
  local p
  for p in $(pgrep -x wineserver64 || true) $(pgrep -x wineserver || true); do
    if tr '\0' '\n' < "/proc/$p/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX"; then echo "$p"; return; fi
  done
}
