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

# One probe run of the program in $2.. (the probe's arguments), its time appended to the file $1.
# The probe ends each Varnekite with the program its configuration started; `wine` waits for
# every program of its console, so anything left once the probe has its time (a probe without
# job objects) is ended here.
measure_once() {
  local times=$1 out=$vk_bench_dir/probe.txt
  shift
  wine "$vk_probe_unix" startup "$@" 1 >"$out" &
  local probe=$!
  while kill -0 "$probe" 2>/dev/null; do
    if grep -q median "$out"; then pkill -f 'VarnekiteProbe.exe sleep' || true; fi
    sleep 0.2
  done
  awk '/^run 1:/ {print $3}' "$out" >>"$times"
}

# Two programs measured in turn, run by run, after one run of each that is not counted: the
# first programs of a Wine session pay for what it has not loaded yet (measured first, one
# program came out half as slow again as the same program measured later), and a slower moment
# of the machine falls on both alike. Prints each run and the medians, and keeps them in $1.txt
# and $4.txt. Arguments: name A, program A, its arguments, name B, program B, its arguments.
measure_in_turn() {
  local a=$vk_bench_dir/$1.txt b=$vk_bench_dir/$4.txt run
  : >"$a"
  : >"$b"
  measure_once /dev/null "$2" "$3" 1F3A5F
  measure_once /dev/null "$5" "$6" 1F3A5F
  for run in $(seq 1 "$runs"); do
    measure_once "$a" "$2" "$3" 1F3A5F
    measure_once "$b" "$5" "$6" 1F3A5F
    printf 'run %d: %s %s ms, %s %s ms\n' "$run" "$1" "$(tail -n 1 "$a")" "$4" "$(tail -n 1 "$b")"
  done
  printf 'median: %s %s ms, %s %s ms\n' "$1" "$(median "$a")" "$4" "$(median "$b")"
}

# The middle value (the upper one of an even count), as the probe reports it.
median() { sort -g "$1" | awk '{ v[NR] = $1 } END { if (NR > 0) print v[int(NR / 2) + 1] }'; }

echo "== Start-up to the first painted window ($runs runs each, in turn)"
measure_in_turn varnekite "$vk_exe" "<$vk_config" minimal "$vk_minimal" ""
v=$(median "$vk_bench_dir/varnekite.txt")
m=$(median "$vk_bench_dir/minimal.txt")
awk -v v="$v" -v m="$m" 'BEGIN { if (m > 0) printf "ratio Varnekite / minimal (medians): %.2f (goal: at most 1.15)\n", v / m }'

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
echo "-- Varnekite.exe, 101 items without and with conditions"
measure_in_turn plain "$vk_exe" "<$(vk_win_path "$vk_bench_dir/plain.xml")" conditions "$vk_exe" "<$(vk_win_path "$vk_bench_dir/conditions.xml")"
p=$(median "$vk_bench_dir/plain.txt")
c=$(median "$vk_bench_dir/conditions.txt")
awk -v c="$c" -v p="$p" 'BEGIN { if (p > 0) printf "ratio with / without 100 conditions (medians): %.3f (goal: at most 1.05)\n", c / p }'
# A sleeping program that a measured run started just as the probe ended it would hold this
# script's output open for its whole minute (a pipe reading it would wait): ended here.
pkill -f 'VarnekiteProbe.exe sleep' || true
