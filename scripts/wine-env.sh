#!/usr/bin/env bash
# Source this file: it prepares a quiet Wine prefix for running and testing the Windows build,
# reused between runs but checked each time it is used, and a virtual X display when there is
# none. It sources common.sh (the locale, the job count, vk_win_path, vk_build) for its callers.
#   VARNEKITE_WINEPREFIX  prefix to use (default: build/wineprefix in the repository)
#   VARNEKITE_NO_FONTS=1  leave the prefix without fonts (tests of the font fallback)
#   VARNEKITE_PROBE       the VarnekiteProbe.exe that checks the fonts (default: the mingw64
#                         build's, built when missing)

# shellcheck source=scripts/common.sh
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
export WINEPREFIX=${VARNEKITE_WINEPREFIX:-$vk_root/build/wineprefix}
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export WINEARCH=win64

# A setting the prefix should have. A failure is said, never fatal: the prefix check that follows
# decides whether the prefix can be used (and callers run under `set -e`).
vk_wine_reg() {
  local code=0
  wine reg add "$@" /f >/dev/null 2>&1 || code=$?
  [ "$code" -eq 0 ] || echo "== could not set $1 $3 in the Wine prefix (wine reg exited with $code)" >&2
  return 0
}

# Debian's 32-bit Wine (wine32:i386) installs its loader here, beside wine64's.
vk_wine32_installed() { [ -x /usr/lib/wine/wine ]; }
# Why the package mirror cannot give the 32-bit Wine now, as scripts/setup.sh found; nothing
# (and false) when it is installed or missing for any other reason.
vk_wine32_mirror_problem() {
  local note=$vk_root/build/wine32-unavailable
  ! vk_wine32_installed && [ -s "$note" ] && cat "$note"
}

vk_wine_create_prefix() {
  echo "== Creating Wine prefix $WINEPREFIX"
  mkdir -p "$WINEPREFIX"
  local code=0
  wineboot -i >/dev/null 2>&1 || code=$?
  [ "$code" -eq 0 ] || echo "== wineboot exited with $code while creating the prefix" >&2
  # The registry is written once the prefix's first boot has finished.
  wineserver -w || true
  # A crash ends the process (status 5) instead of waiting on a dialog nobody can click.
  vk_wine_reg 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0
  # Without a window manager, unmanaged windows avoid a 2 s wait on every hide.
  vk_wine_reg 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N
  vk_wine_reg 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N
  if [ "${VARNEKITE_NO_FONTS:-0}" != 1 ]; then
    # Debian's Wine does not find its own fonts (package fonts-wine): copy them where GDI+
    # looks, so "Tahoma" and the generic sans-serif family resolve; Arial and Microsoft Sans
    # Serif are drawn with Liberation Sans (package fonts-liberation).
    mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
    if compgen -G '/usr/share/wine/fonts/*.ttf' >/dev/null; then
      cp -n /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" ||
        echo "== could not copy Wine's fonts into the prefix" >&2
    else
      echo "== /usr/share/wine/fonts has no fonts: install fonts-wine (bash scripts/setup.sh does)" >&2
    fi
    vk_wine_reg 'HKCU\Software\Wine\Fonts\Replacements' /v Arial /t REG_SZ /d 'Liberation Sans'
    vk_wine_reg 'HKCU\Software\Wine\Fonts\Replacements' /v 'Microsoft Sans Serif' /t REG_SZ /d 'Liberation Sans'
  fi
  wineserver -w || true
}

# The probe that asks GDI+ for fonts; built from the mingw64 preset when it is not there yet.
vk_wine_probe() {
  local probe=${VARNEKITE_PROBE:-$vk_root/build/mingw64/tools/win32-probe/VarnekiteProbe.exe}
  if [ ! -f "$probe" ] && [ -z "${VARNEKITE_PROBE:-}" ]; then
    echo "== Building VarnekiteProbe.exe to check the Wine prefix's fonts" >&2
    vk_build mingw64 VarnekiteProbe >/dev/null || true
  fi
  echo "$probe"
}

# Checks that the prefix can do what the run and the tests need, by doing it: a program starts,
# 32-bit programs start when the 32-bit Wine is installed, and GDI+ finds a TrueType face for
# "Tahoma" and for the generic sans-serif family. On failure vk_wine_problem says what is wrong.
vk_wine_problem=
vk_wine_check_prefix() {
  local code=0 output probe
  vk_wine_problem=
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    vk_wine_problem="it is not a Wine prefix (no system.reg)"
    return 1
  fi
  timeout 120 wine cmd.exe /c exit 0 </dev/null >/dev/null 2>&1 || code=$?
  if [ "$code" -ne 0 ]; then
    vk_wine_problem="a Windows program does not start in it (wine cmd.exe exits with $code)"
    # 53: kernel32.dll cannot be loaded, as in a prefix made before wine32 was installed.
    [ "$code" -ne 53 ] || ! vk_wine32_installed ||
      vk_wine_problem+=", as in a prefix made before the 32-bit Wine was installed"
    return 1
  fi
  if vk_wine32_installed; then
    timeout 120 wine 'C:\windows\syswow64\cmd.exe' /c exit 0 </dev/null >/dev/null 2>&1 || code=$?
    if [ "$code" -ne 0 ]; then
      vk_wine_problem="32-bit programs do not start in it (exit $code)"
      return 1
    fi
  fi
  if [ "${VARNEKITE_NO_FONTS:-0}" != 1 ]; then
    probe=$(vk_wine_probe)
    if [ ! -f "$probe" ]; then
      vk_wine_problem="its fonts cannot be checked: $probe was not built"
      return 1
    fi
    output=$(timeout 120 wine "$probe" fonts Tahoma </dev/null 2>&1) || code=$?
    if [ "$code" -ne 0 ]; then
      vk_wine_problem="GDI+ has no usable TrueType font for $(echo "$output" | tr -d '\r' | grep -v 'pixels wide$' | paste -sd ';' -)"
      return 1
    fi
  fi
  return 0
}

# Creates the prefix when there is none, and creates it again when it fails the check. The
# check runs on a persistent server (each program then starts in a fraction of a second); with
# "keep" the server is left running, otherwise one started here is stopped again.
vk_wine_prepare_prefix() {
  local keep=${1:-} ours=0
  [ -f "$WINEPREFIX/system.reg" ] || vk_wine_create_prefix
  # Exit status 2: a server for this prefix runs already (a caller's); it is left alone.
  if wineserver -p 2>/dev/null; then ours=1; fi
  if ! vk_wine_check_prefix; then
    echo "== Wine prefix $WINEPREFIX cannot be used: $vk_wine_problem. Creating it again."
    wineserver -k >/dev/null 2>&1 || true
    ours=0
    if [ -n "$(ls -A "$WINEPREFIX" 2>/dev/null)" ] && [ ! -f "$WINEPREFIX/system.reg" ]; then
      echo "== $WINEPREFIX is a folder but not a Wine prefix; not removing it" >&2
      return 1
    fi
    rm -rf "$WINEPREFIX"
    vk_wine_create_prefix
    if wineserver -p 2>/dev/null; then ours=1; fi
    if ! vk_wine_check_prefix; then
      echo "== The new Wine prefix $WINEPREFIX cannot be used either: $vk_wine_problem" >&2
      wineserver -k >/dev/null 2>&1 || true
      return 1
    fi
  fi
  if [ "$ours" = 1 ] && [ "$keep" != keep ]; then
    wineserver -k >/dev/null 2>&1 || true
  fi
  return 0
}

# True when display :$1 is in use: its lock or socket file, or its abstract socket, which X
# clients try first and which is shared with other file system roots (a chroot beside us has
# its own /tmp but the same abstract sockets).
vk_display_taken() {
  [ -e "/tmp/.X11-unix/X$1" ] || [ -e "/tmp/.X$1-lock" ] ||
    grep -q "@/tmp/.X11-unix/X$1\$" /proc/net/unix 2>/dev/null
}

# A virtual display when none is set; the X server is stopped by vk_wine_stop.
vk_start_display() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    return 0
  fi
  local n
  for n in $(seq 90 130); do
    vk_display_taken "$n" && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    vk_xvfb_pid=$!
    export DISPLAY=":$n"
    for _ in $(seq 50); do
      # Ours only while our server runs: one that could not take the display has exited.
      kill -0 "$vk_xvfb_pid" 2>/dev/null || break
      xdpyinfo >/dev/null 2>&1 && return 0
      sleep 0.1
    done
    kill "$vk_xvfb_pid" 2>/dev/null || true
    vk_xvfb_pid=
  done
  echo "could not start Xvfb" >&2
  return 1
}

vk_wine_start() {
  vk_start_display
  # The check also starts the prefix's first program, which finishes its set-up (started from
  # ctest's discovery instead, that can stall). The persistent server stays for the caller's
  # programs, until vk_wine_stop.
  vk_wine_prepare_prefix keep
}

vk_wine_stop() {
  wineserver -k >/dev/null 2>&1 || true
  if [ -n "${vk_xvfb_pid:-}" ]; then
    kill "$vk_xvfb_pid" 2>/dev/null || true
    vk_xvfb_pid=
  fi
}
