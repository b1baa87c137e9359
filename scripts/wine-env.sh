#!/usr/bin/env bash
# Source this file: it prepares a quiet Wine prefix for running and testing the Windows build,
# reused between runs, and a virtual X display when there is none.
#   VARNEKITE_WINEPREFIX  prefix to use (default: build/wineprefix in the repository)
#   VARNEKITE_NO_FONTS=1  leave the prefix without fonts (tests of the font fallback)

vk_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX=${VARNEKITE_WINEPREFIX:-$vk_root/build/wineprefix}
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export WINEARCH=win64

vk_wine_reg() { wine reg add "$@" /f >/dev/null 2>&1; }

vk_wine_prepare_prefix() {
  if [ -f "$WINEPREFIX/.varnekite-ready" ]; then
    return 0
  fi
  echo "== Creating Wine prefix $WINEPREFIX"
  mkdir -p "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1 || true
  # A crash ends the process (status 5) instead of waiting on a dialog nobody can click.
  vk_wine_reg 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0
  # Without a window manager, unmanaged windows avoid a 2 s wait on every hide.
  vk_wine_reg 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N
  vk_wine_reg 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N
  if [ "${VARNEKITE_NO_FONTS:-0}" != 1 ]; then
    # Debian's Wine does not find its own fonts: copy them where GDI+ looks, so "Tahoma" and
    # the generic sans-serif family resolve.
    mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
    cp -n /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
    vk_wine_reg 'HKCU\Software\Wine\Fonts\Replacements' /v Arial /t REG_SZ /d 'Liberation Sans'
    vk_wine_reg 'HKCU\Software\Wine\Fonts\Replacements' /v 'Microsoft Sans Serif' /t REG_SZ /d 'Liberation Sans'
  fi
  wineserver -w
  touch "$WINEPREFIX/.varnekite-ready"
}

# A virtual display when none is set; the X server is stopped by vk_wine_stop.
vk_start_display() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    return 0
  fi
  local n
  for n in $(seq 90 130); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    vk_xvfb_pid=$!
    export DISPLAY=":$n"
    for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && return 0; sleep 0.1; done
  done
  echo "could not start Xvfb" >&2
  return 1
}

vk_wine_start() {
  vk_start_display
  vk_wine_prepare_prefix
  # A persistent server: each test exe then starts in a fraction of a second. It may already
  # run (a caller started it); that is fine.
  wineserver -p 2>/dev/null || true
  # The first program started in a prefix finishes the prefix's set-up; started from ctest's
  # discovery it can stall, so start one here.
  timeout 120 wine cmd.exe /c exit </dev/null >/dev/null 2>&1 || true
}

vk_wine_stop() {
  wineserver -k >/dev/null 2>&1 || true
  if [ -n "${vk_xvfb_pid:-}" ]; then
    kill "$vk_xvfb_pid" 2>/dev/null || true
    vk_xvfb_pid=
  fi
}
