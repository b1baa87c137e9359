#!/usr/bin/env bash
# Varnekite.exe in a Wine prefix without fonts, where no font face resolves in GDI+ (not even
# the sans-serif fallback): the panels draw no text, but the program must neither crash nor
# hang - it runs its list and exits with 1.
#   run-without-fonts.sh <Varnekite.exe> <MarkerWriter.exe> <prefix folder>
set -euo pipefail
exe=$1
marker=$2
export VARNEKITE_WINEPREFIX=$3
export VARNEKITE_NO_FONTS=1
# shellcheck source=scripts/wine-env.sh
source "$(dirname "$0")/../../scripts/wine-env.sh"
work=$(mktemp -d /tmp/varnekite-nofonts.XXXXXX)
trap 'vk_wine_stop; rm -rf "$work"' EXIT
vk_wine_start

cat > "$work/config.xml" <<XML
<Varnekite>
  <config>
    <font face="Tahoma" small="8" large="12" antialias="true"/>
    <strings><title>No fonts</title><complete>complete</complete><copy>Copying %1%</copy></strings>
  </config>
  <items>
    <item name="One"><file command="execute" name="Marker" program="$(vk_win_path "$marker")" arguments='append "$(vk_win_path "$work/markers.txt")" ran' hide="true"/></item>
    <item name="Two"/>
  </items>
</Varnekite>
XML

set +e
timeout 60 wine "$exe" "<$(vk_win_path "$work/config.xml")"
code=$?
set -e
echo "exit code: $code (Wine passes the low byte; a crash gives 5, a time-out 124)"
[ "$code" -eq 1 ] || exit 1
grep -qx ran "$work/markers.txt" || { echo "the execute command did not run"; exit 1; }
echo "ran without fonts"
