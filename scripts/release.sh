#!/usr/bin/env bash
# Makes the release packages: builds Varnekite.exe and varnekite-check.exe for 64- and 32-bit
# Windows (presets mingw64 and mingw32: release builds, stripped), packs each architecture with
# the example configuration and its schema, README and LICENSE (CPack) as
#   build/release/Varnekite-<version>-win64.zip and build/release/Varnekite-<version>-win32.zip
# and tests what it made:
#   - the executables are reproducible: built a second time in another build folder, they are
#     byte for byte the ones in the zips (no time stamps, no build paths);
#   - each zip, unpacked into a fresh folder, runs from there under Wine (tests/e2e/release-smoke.sh).
#   VARNEKITE_JOBS  parallel build jobs (default: the number of processors)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
# shellcheck source=scripts/common.sh
source scripts/common.sh

bash scripts/setup.sh

out=$root/build/release
rm -rf "$out"
mkdir -p "$out"
programs=(Varnekite varnekite-check)
for preset in mingw64 mingw32; do
  echo "== Building the $preset release"
  vk_build "$preset" "${programs[@]}"
  (cd "build/$preset" && cpack -G ZIP -B "$out" >/dev/null)
done
rm -rf "$out/_CPack_Packages"
version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' build/mingw64/CPackConfig.cmake)
zips=("$out/Varnekite-$version-win64.zip" "$out/Varnekite-$version-win32.zip")
for zip in "${zips[@]}"; do
  [ -f "$zip" ] || { echo "== $zip was not made"; exit 1; }
done

status=0
# The same sources give the same executables: a second, independent build of each preset in
# another folder must match the first byte for byte.
echo "== Building the executables again in build/release-check to compare"
for preset in mingw64 mingw32; do
  again=$root/build/release-check/$preset
  cmake --preset "$preset" -B "$again" >/dev/null
  cmake --build "$again" -j "$VK_JOBS" --target "${programs[@]}" >/dev/null
  zip=$out/Varnekite-$version-$([ "$preset" = mingw64 ] && echo win64 || echo win32).zip
  for exe in src/app/Varnekite.exe tools/varnekite-check/varnekite-check.exe; do
    if unzip -p "$zip" "$(basename "$zip" .zip)/$(basename "$exe")" | cmp -s - "$again/$exe"; then
      echo "$preset $(basename "$exe"): identical ($(sha256sum < "$again/$exe" | cut -c1-16)…)"
    else
      echo "== $preset $(basename "$exe") in the zip differs from a second build of the same sources"
      status=1
    fi
  done
done

# The smoke test captures the window with the probe.
vk_build mingw64 VarnekiteProbe >/dev/null
for zip in "${zips[@]}"; do
  bash tests/e2e/release-smoke.sh "$zip" "$version" "$root/build/mingw64/tools/win32-probe/VarnekiteProbe.exe" || status=1
done

echo
ls -l "${zips[@]}"
if [ $status -eq 0 ]; then echo "== Release packages made and tested"; else echo "== Release packages FAILED their tests"; fi
exit $status
