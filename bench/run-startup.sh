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

echo "== Start-up to the first painted window ($runs runs each)"
echo "-- Varnekite.exe"
wine "$vk_probe_unix" startup "$vk_exe" "<$vk_config" 1F3A5F "$runs" | tee "$vk_bench_dir/varnekite.txt"
echo "-- MinimalWindow.exe"
wine "$vk_probe_unix" startup "$vk_minimal" "" 1F3A5F "$runs" | tee "$vk_bench_dir/minimal.txt"
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
wine "$vk_probe_unix" startup "$vk_exe" "<$(vk_win_path "$vk_bench_dir/plain.xml")" 1F3A5F "$runs" | tee "$vk_bench_dir/plain.txt"
echo "-- Varnekite.exe, the same with 100 conditions"
wine "$vk_probe_unix" startup "$vk_exe" "<$(vk_win_path "$vk_bench_dir/conditions.xml")" 1F3A5F "$runs" | tee "$vk_bench_dir/conditions.txt"
p=$(awk '/median/ {print $2}' "$vk_bench_dir/plain.txt")
c=$(awk '/median/ {print $2}' "$vk_bench_dir/conditions.txt")
awk -v c="$c" -v p="$p" 'BEGIN { if (p > 0) printf "ratio with / without 100 conditions (medians): %.3f (goal: at most 1.05)\n", c / p }'
