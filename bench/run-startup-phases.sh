#!/usr/bin/env bash
# Where the time goes between process start and the first painted window: Varnekite.exe runs the
# start-up benchmark's configuration with VARNEKITE_STARTUP_TRACE set, which makes it write, at
# its first paint, the milliseconds since its process was created at each phase mark
# (src/display/StartupTraceWin32.h). Prints each mark's median over the runs and the step from
# the mark before. run-startup.sh measures the whole against a minimal window; this splits it.
#   VARNEKITE_BENCH_FULL=1  15 runs instead of 5
# shellcheck source=bench/win32-common.sh
source "$(dirname "${BASH_SOURCE[0]}")/win32-common.sh"
runs=5
[ "${VARNEKITE_BENCH_FULL:-0}" = 1 ] && runs=15
vk_write_config 60000
exe_unix=$vk_bench_root/build/mingw64/src/app/Varnekite.exe

echo "== Start-up phases of Varnekite.exe, ms since process creation (median of $runs runs)"
for run in $(seq 1 "$runs"); do
  trace=$vk_bench_dir/trace$run.txt
  VARNEKITE_STARTUP_TRACE=$(vk_win_path "$trace") wine "$exe_unix" "<$vk_config" >/dev/null 2>&1 &
  launcher=$!
  for _ in $(seq 1 200); do
    [ -s "$trace" ] && break
    sleep 0.05
  done
  [ -s "$trace" ] || echo "run $run: no trace after 10 s" >&2
  # `wine` returns once every program of its console has ended: this run's Varnekite and the
  # program its configuration started, ended by their process ids.
  while kill -0 "$launcher" 2>/dev/null; do
    for name in Varnekite.exe VarnekiteProbe.exe; do
      pid=$(vk_windows_pid "$name")
      if [ -n "$pid" ]; then kill "$pid" 2>/dev/null || true; fi
    done
    sleep 0.1
  done
  wait "$launcher" 2>/dev/null || true
done

cat "$vk_bench_dir"/trace*.txt | awk -F'\t' '
  !($1 in seen) { seen[$1] = 1; order[++n] = $1 }
  { values[$1] = values[$1] " " $2 }
  END {
    previous = 0
    for (i = 1; i <= n; ++i) {
      count = split(values[order[i]], v, " ")
      # insertion sort: a handful of values
      for (a = 2; a <= count; ++a) { x = v[a] + 0; for (b = a - 1; b >= 1 && v[b] + 0 > x; --b) v[b + 1] = v[b]; v[b + 1] = x }
      median = count % 2 ? v[(count + 1) / 2] : (v[count / 2] + v[count / 2 + 1]) / 2
      printf "  %-28s %8.1f ms   +%6.1f\n", order[i], median, median - previous
      previous = median
    }
  }'
