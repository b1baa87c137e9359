#!/usr/bin/env bash
# Runs the XML reader benchmark (built by the bench preset) and prints its summary: MB/s of
# our reader and of pugixml on 1 MB and 20 MB configurations, their ratio, and the memory
# the reader keeps for the 20 MB document.
set -euo pipefail
cd "$(dirname "$0")/.."
bench=build/bench/bench/XmlReaderBench
if [ ! -x "$bench" ]; then
  cmake --preset bench >/dev/null
  cmake --build --preset bench --target XmlReaderBench
fi
"$bench" --benchmark_min_time=0.2 "$@"
