#!/usr/bin/env bash
# Time from process start to the first painted window: Varnekite.exe (static start-up, GDI+,
# configuration, dialog, first panel paint) against a minimal Win32 program that registers a
# class and paints one colour, both under the same Wine in the same run. The probe polls a
# screen pixel inside the new window every millisecond until it shows the header colour.
#   VARNEKITE_BENCH_FULL=1  15 runs each instead of 5
# shellcheck source=bench/win32-common.sh
source "$(dirname "${BASH_SOURCE[0]}")/win32-common.sh"
runs=5
vk_write_config 60000
[ "${VARNEKITE_BENCH_FULL:-0}" = 1 ] && runs=15

# One measurement into $2, from the probe's arguments after it. The probe ends each Varnekite with
# the program its configuration started; `wine` waits for every program of its console, so
# anything left once the probe has its median (a probe without job objects) is ended here.
measure() {
  local out=$1
  shift
  wine "$vk_probe_unix" startup "$@" >"$out" &
  local probe=$!
  while kill -0 "$probe" 2>/dev/null; do
    if grep -q median "$out"; then pkill -f 'VarnekiteProbe.exe sleep' || true; fi
    sleep 0.5
  done
  cat "$out"
}

echo "== Start-up to the first painted window ($runs runs each)"
echo "-- Varnekite.exe"
measure "$vk_bench_dir/varnekite.txt" "$vk_exe" "<$vk_config" 1F3A5F "$runs"
echo "-- MinimalWindow.exe"
measure "$vk_bench_dir/minimal.txt" "$vk_minimal" "" 1F3A5F "$runs"
v=$(awk '/median/ {print $2}' "$vk_bench_dir/varnekite.txt")
m=$(awk '/median/ {print $2}' "$vk_bench_dir/minimal.txt")
awk -v v="$v" -v m="$m" 'BEGIN { if (m > 0) printf "ratio Varnekite / minimal (medians): %.2f\n", v / m }'

# The same configuration with 100 more items, once plain and once each with a condition: half
# ask what the machine is (decided before the window shows, reading the firmware's tables and
# the version; every one holds, so both list the same items), half what it has (decided when
# reached). Goal: within 5% of the plain one.
with_items() {
  local conditions=$1 i machine dynamic
  # Five rows shown, so the window (and its header, which the probe watches) stays on the screen.
  sed -e '/<\/items>/,$d' -e 's|<config>|<config><show total="5"/>|' "$vk_bench_dir/waiting.xml"
  for i in $(seq 1 100); do
    machine="windows ge 6.1 and (model like 'No such model $i*' or arch != arm64) and language like '*'"
    dynamic="not folder('C:\\Nowhere\\$i') and not registry('HKLM\\SOFTWARE\\Nowhere$i')"
    if [ "$conditions" = 1 ]; then
      if [ $((i % 2)) = 0 ]; then echo "    <item name=\"Item $i\" if=\"$machine\">"; else echo "    <item name=\"Item $i\" if=\"$dynamic\">"; fi
    else
      echo "    <item name=\"Item $i\">"
    fi
    echo "      <file command=\"dirdelete\" directory=\"C:\\Nowhere\\$i\"/></item>"
  done
  echo "  </items>"
  echo "</Varnekite>"
}
with_items 0 > "$vk_bench_dir/plain.xml"
with_items 1 > "$vk_bench_dir/conditions.xml"
echo "-- Varnekite.exe, 101 items without conditions"
measure "$vk_bench_dir/plain.txt" "$vk_exe" "<$(vk_win_path "$vk_bench_dir/plain.xml")" 1F3A5F "$runs"
echo "-- Varnekite.exe, the same with 100 conditions"
measure "$vk_bench_dir/conditions.txt" "$vk_exe" "<$(vk_win_path "$vk_bench_dir/conditions.xml")" 1F3A5F "$runs"
p=$(awk '/median/ {print $2}' "$vk_bench_dir/plain.txt")
c=$(awk '/median/ {print $2}' "$vk_bench_dir/conditions.txt")
awk -v c="$c" -v p="$p" 'BEGIN { if (p > 0) printf "ratio with / without 100 conditions (medians): %.3f (goal: at most 1.05)\n", c / p }'
