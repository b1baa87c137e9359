#!/usr/bin/env bash
# Installs what building, running and testing Varnekite need on Debian 12, only when missing.
# Everything is named here: nothing is left to recommended packages or to what the machine
# happens to have.
set -euo pipefail

packages=(
  # builds: native (tests, fuzzers, benchmarks) and cross-built for Windows
  cmake ninja-build g++ clang libclang-rt-14-dev
  googletest libbenchmark-dev libpugixml-dev
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
  # Wine, 64- and 32-bit, on a virtual display
  wine wine64 wine32:i386 xvfb xauth x11-utils
  # fonts for the panels: Wine's own (Tahoma and its sans-serif) and Liberation Sans, which
  # stands in for Arial and Microsoft Sans Serif
  fonts-wine fonts-liberation
  # scripts: JSON reading, finding processes, the release zips
  jq procps zip unzip
  # the schema test: xmllint
  libxml2-utils
  # a Russian locale, for the tests of a configuration in the Cyrillic ANSI code page
  locales
)

sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)

# The 32-bit Wine comes from the i386 architecture.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  echo "== Adding the i386 architecture (for the 32-bit Wine)"
  "${sudo_cmd[@]}" dpkg --add-architecture i386
fi

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "== Installing: ${missing[*]}"
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# Wine takes the ANSI code page from LC_ALL and maps file names through the locale's character
# set, so the Cyrillic code page test needs the locale made, not only named.
if ! locale -a 2>/dev/null | grep -qix 'ru_RU.utf8'; then
  echo "== Making the ru_RU.UTF-8 locale"
  "${sudo_cmd[@]}" localedef -i ru_RU -f UTF-8 ru_RU.UTF-8
fi
