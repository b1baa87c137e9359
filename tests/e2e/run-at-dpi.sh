#!/usr/bin/env bash
# The window at 96, 144 and 192 DPI: a Wine prefix of its own whose LogPixels setting is changed
# between runs (the Wine server is restarted so the new value counts), the end-to-end test
# TheWindowScalesWithTheDpi run at each, and its figures held against the 96 DPI ones: the width
# is exact (the test checks it), the header and the title's text scale by 1.5 and 2 within two
# pixels per measured text, the item bar's width within a pixel, the whole height within six
# (three measured texts).
#   run-at-dpi.sh <VarnekiteE2eTest.exe> <prefix folder>
set -euo pipefail
test_exe=$1
export VARNEKITE_WINEPREFIX=$2
# shellcheck source=scripts/wine-env.sh
source "$(dirname "$0")/../../scripts/wine-env.sh"
results=$(mktemp /tmp/varnekite-dpi.XXXXXX)
trap 'vk_wine_stop; rm -f "$results"' EXIT
vk_wine_start
VARNEKITE_DPI_RESULTS=$(vk_win_path "$results")
export VARNEKITE_DPI_RESULTS

for dpi in 96 144 192; do
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
  wineserver -p 2>/dev/null || true
  timeout 120 wine "$test_exe" --gtest_filter=VarnekiteRun.TheWindowScalesWithTheDpi | grep -E '^dpi=|\[  (PASSED|FAILED)' \
    || { echo "the run at $dpi DPI failed"; exit 1; }
done
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 96 /f >/dev/null 2>&1 || true

tr -d '\r' < "$results" | awk '
  { for (i = 1; i <= NF; ++i) { split($i, kv, "="); v[NR, kv[1]] = kv[2] } }
  END {
    if (NR != 3) { print "expected three runs, got " NR; exit 1 }
    bad = 0
    for (r = 2; r <= 3; ++r) {
      s = v[r, "dpi"] / v[1, "dpi"]
      n = split("header:2 text:2 bar:1 height:6", checks, " ")
      for (c = 1; c <= n; ++c) {
        split(checks[c], kt, ":")
        want = v[1, kt[1]] * s; got = v[r, kt[1]]; d = got - want; if (d < 0) d = -d
        printf "  %s at %d DPI: %d (96 DPI: %d, scaled %.1f)%s\n", kt[1], v[r, "dpi"], got, v[1, kt[1]], want, (d > kt[2] ? "  <- off" : "")
        if (d > kt[2]) bad = 1
      }
    }
    exit bad
  }'
echo "the window scales with the DPI"
