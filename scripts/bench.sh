#!/usr/bin/env bash
# Builds and runs the benchmarks; each prints its figures and ratios against a reference
# measured in the same run. Benchmarks measure, they do not judge: a benchmark that cannot run
# is reported by name and makes this script exit non-zero only with VARNEKITE_STRICT_BENCH=1.
set -uo pipefail
cd "$(dirname "$0")/.." || exit 1
# shellcheck source=scripts/common.sh
source scripts/common.sh
vk_build bench || exit 1
failed=()
for script in bench/run-*.sh; do
  [ -f "$script" ] || continue
  echo "-- $script"
  bash "$script" || failed+=("$script")
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "Benchmarks that did not complete: ${failed[*]}"
  [ "${VARNEKITE_STRICT_BENCH:-0}" = 1 ] && exit 1
fi
exit 0
