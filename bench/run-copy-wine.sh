#!/usr/bin/env bash
# The folder copy on the Win32 file system under Wine against Wine's own `xcopy /E /I /H /Y`,
# on the same trees in tmpfs: 20 000 small files in 2 000 folders, then one file of 1 GiB
# (sparse source; each copy is deleted right after it is timed). Each side runs alternately
# (twice each; the faster run counts), both as whole `wine` processes,
# start-up included. About 1 to 2 minutes on a busy 2-core machine.
# Target: ratio (ours ÷ xcopy) at most 1.0. Builds build/mingw64's CopyTreeBench.exe if needed.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset mingw64 >/dev/null
cmake --build --preset mingw64 -j2 --target CopyTreeBench >/dev/null
exe=$(pwd)/build/mingw64/bench/windows/CopyTreeBench.exe

source scripts/wine-env.sh
# A console program needs no display; start a persistent server unless one runs for this prefix.
server_running() {
  local id
  id=$(printf 'server-%x-%x' "$(stat -c %d "$WINEPREFIX")" "$(stat -c %i "$WINEPREFIX")")
  compgen -G "${TMPDIR:-/tmp}/wine-*/$id/socket" >/dev/null || compgen -G "/tmp/.wine-$(id -u)/$id/socket" >/dev/null
}
[ -d "$WINEPREFIX" ] || vk_start_display
vk_wine_prepare_prefix
server_was_running=1
if ! server_running; then
  server_was_running=0
  wineserver -p
fi

work=$(mktemp -d /dev/shm/vk-copy-bench.XXXXXX)
cleanup() {
  rm -rf "$work"
  if [ "$server_was_running" = 0 ]; then wineserver -k >/dev/null 2>&1 || true; fi
  if [ -n "${vk_xvfb_pid:-}" ]; then kill "$vk_xvfb_pid" 2>/dev/null || true; fi
}
trap cleanup EXIT
win() { echo "Z:${1//\//\\}"; }

now_ms() { echo $(( $(date +%s%N) / 1000000 )); }
# time_ms <command...>: runs it quietly and prints its wall time in ms.
time_ms() {
  local start end
  start=$(now_ms)
  "$@" >/dev/null 2>&1
  end=$(now_ms)
  echo $(( end - start ))
}
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }

# compare <label> <source dir> <expected files> <rounds>
compare() {
  local label=$1 source=$2 expected=$3 rounds=$4 best_ours=999999999 best_xcopy=999999999 t round count
  for round in $(seq "$rounds"); do
    t=$(time_ms wine "$exe" "$(win "$source")" "$(win "$work/ours")")
    count=$(find "$work/ours" -type f | wc -l)
    [ "$count" = "$expected" ] || { echo "ours copied $count of $expected files" >&2; exit 1; }
    rm -rf "$work/ours"
    (( t < best_ours )) && best_ours=$t
    t=$(time_ms wine xcopy /E /I /H /Y "$(win "$source")" "$(win "$work/xcopy/src")")
    count=$(find "$work/xcopy" -type f | wc -l)
    [ "$count" = "$expected" ] || { echo "xcopy copied $count of $expected files" >&2; exit 1; }
    rm -rf "$work/xcopy"
    (( t < best_xcopy )) && best_xcopy=$t
  done
  printf '  %-34s ours %6d ms   xcopy %6d ms   ratio %s\n' "$label" "$best_ours" "$best_xcopy" \
    "$(ratio "$best_ours" "$best_xcopy")"
}

generation_start=$(now_ms)
# 20 000 files of 100 bytes in 2 000 folders (40 top folders of 49 subfolders each), made
# without a process per file or folder.
tree="$work/src"
line=$(printf '%099d\n' 0)
folders=("$tree"/top{01..40} "$tree"/top{01..40}/sub{01..49})
mkdir -p "${folders[@]}"
for folder in "${folders[@]}"; do
  for file in 0 1 2 3 4 5 6 7 8 9; do
    printf '%s' "$line" > "$folder/file$file.txt"
  done
done
mkdir -p "$work/big/src"
truncate -s 1G "$work/big/src/file.bin"
echo "(trees made in $(( $(now_ms) - generation_start )) ms)"

echo "Folder copy under Wine vs xcopy (target: ratio <= 1.00)"
compare "20 000 files in 2 000 folders" "$tree" 20000 2
compare "one file of 1 GiB" "$work/big/src" 1 2
