#!/usr/bin/env bash
# Runs every libFuzzer target for a bounded time; fails on any crash, leak or time-out.
# Usage: scripts/fuzz.sh [seconds per target]
set -euo pipefail
cd "$(dirname "$0")/.."
# shellcheck source=scripts/common.sh
source scripts/common.sh
seconds=${1:-60}

vk_build fuzz

status=0
for target in build/fuzz/fuzz/fuzz_*; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  corpus=build/fuzz/corpus/$name
  mkdir -p "$corpus"
  seeds=fuzz/seeds/${name#fuzz_}
  echo "-- $name for ${seconds}s"
  if "$target" "$corpus" $( [ -d "$seeds" ] && echo "$seeds" ) -max_total_time="$seconds" -timeout=10 \
       -rss_limit_mb=2048 -print_final_stats=1 >"build/fuzz/$name.log" 2>&1; then
    grep -E '^(stat::number_of_executed_units|Done)' "build/fuzz/$name.log" || true
    echo "$name: passed"
  else
    tail -40 "build/fuzz/$name.log"
    echo "$name: FAILED (crash inputs are in build/fuzz; copy them to tests/data/ as regression files)"
    status=1
  fi
done
exit $status
