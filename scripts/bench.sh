#!/usr/bin/env bash
# Builds and runs the benchmarks; each prints its figures and ratios against a reference
# measured in the same run.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset bench >/dev/null
cmake --build --preset bench -j "$(nproc)"
for script in bench/run-*.sh; do
  [ -f "$script" ] || continue
  echo "-- $script"
  bash "$script"
done
