#!/usr/bin/env bash
# Builds a file set (the folder commands' walk) and plainly enumerates the same real tree in
# tmpfs at 10 000, 100 000 and 1 000 000 entries, and prints build ÷ enumeration for each size.
# Target: at most 1.5. Needs the `bench` preset built (scripts/bench.sh does that).
set -euo pipefail
cd "$(dirname "$0")/.."
# shellcheck source=scripts/common.sh
source scripts/common.sh
binary=build/bench/bench/FileSetBench
[ -x "$binary" ] || vk_build bench FileSetBench
json=$(mktemp)
trap 'rm -f "$json"' EXIT
"$binary" --benchmark_out="$json" --benchmark_out_format=json "$@"
echo
echo "File set build vs plain enumeration (target: ratio <= 1.5)"
jq -r '
  [.benchmarks[] | {name: (.name | split("/")[0]), size: (.name | split("/")[1]), real: .real_time, cpu: .cpu_time}] as $all
  | ($all | map(select(.name == "PlainEnumeration"))) as $plain
  | $plain[] | . as $p
  | ($all[] | select(.name == "BuildFileSet" and .size == $p.size)) as $b
  | "  \($p.size) entries: cpu \($b.cpu | floor) ms / \($p.cpu | floor) ms = \(($b.cpu / $p.cpu * 100 | round) / 100)   wall \($b.real | floor) ms / \($p.real | floor) ms = \(($b.real / $p.real * 100 | round) / 100)"
' "$json"
echo "  (cpu time is the figure to judge on a shared machine; wall time includes waiting for a core)"
