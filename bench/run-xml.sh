#!/usr/bin/env bash
# Runs the XML reader benchmark (built by the bench preset) and prints its summary: MB/s of
# our reader and of pugixml on 1 MB and 20 MB configurations, their ratio, and the memory
# the reader keeps for the 20 MB document.
set -euo pipefail
cd "$(dirname "$0")/.."
# shellcheck source=scripts/common.sh
source scripts/common.sh
bench=build/bench/bench/XmlReaderBench
[ -x "$bench" ] || vk_build bench XmlReaderBench
# Interleaving the repetitions gives both parsers the same share of a busy machine.
"$bench" --benchmark_min_time=0.2 --benchmark_enable_random_interleaving=true "$@"
