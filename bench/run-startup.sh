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
