#!/usr/bin/env bash
# CPU time Varnekite.exe uses while an execute command waits (the window repaints its main
# panel every 75 ms; the target is below 1% of one core), read from /proc for the program's process,
# beside the same figure for a minimal Win32 window program in the same run, and the share of
# the prefix's wineserver (which carries Wine's messages and timers) during each measurement.
#   VARNEKITE_BENCH_FULL=1  measure a whole minute instead of 12 s
# shellcheck source=bench/win32-common.sh
source "$(dirname "${BASH_SOURCE[0]}")/win32-common.sh"
settle=2
measure=12
[ "${VARNEKITE_BENCH_FULL:-0}" = 1 ] && measure=60
vk_write_config $(((settle + measure + 10) * 1000))
hz=$(getconf CLK_TCK)
# The persistent server may take a moment to appear; without it its share reads 0.
server=
for _ in $(seq 50); do server=$(vk_wineserver_pid); [ -n "$server" ] && break; sleep 0.1; done
server_ticks() { if [ -n "$server" ] && [ -r "/proc/$server/stat" ]; then vk_cpu_ticks "$server"; else echo 0; fi; }

measure_cpu() { # name, then the command to start
  local name=$1; shift
  "$@" &
  local pid=$!
  sleep "$settle"
  local program s0 w0 s1 w1
  program=$(vk_windows_pid "$(basename "$2")")
  [ -n "$program" ] || { echo "$name: the program is not running"; kill "$pid" 2>/dev/null; return 1; }
  s0=$(vk_cpu_ticks "$program"); w0=$(server_ticks)
  sleep "$measure"
  s1=$(vk_cpu_ticks "$program"); w1=$(server_ticks)
  kill "$program" "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  awk -v n="$name" -v a="$s0" -v b="$s1" -v c="$w0" -v d="$w1" -v hz="$hz" -v t="$measure" 'BEGIN {
    printf "%-18s %6.0f ms CPU in %d s = %.3f%% of one core; wineserver %.0f ms = %.3f%%\n",
      n, (b - a) * 1000 / hz, t, 100 * (b - a) / hz / t, (d - c) * 1000 / hz, 100 * (d - c) / hz / t }'
}

echo "== Idle CPU while an execute command waits (settle ${settle} s, measure ${measure} s)"
measure_cpu "Varnekite.exe" wine "$vk_bench_root/build/mingw64/src/app/Varnekite.exe" "<$vk_config"
measure_cpu "MinimalWindow.exe" wine "$vk_bench_root/build/mingw64/tools/win32-probe/MinimalWindow.exe"
