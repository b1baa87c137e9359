#!/usr/bin/env bash
# Installs what building, running and testing Varnekite need on Debian 12, only when missing.
# Everything is named here: nothing is left to recommended packages or to what the machine
# happens to have.
set -euo pipefail
# A script that ran the set-up already tells the scripts it starts (the test command starts the
# release script): once is enough, and a failing package list is not waited for twice.
[ "${VARNEKITE_SETUP_DONE:-0}" != 1 ] || exit 0

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
  # the msi command's end-to-end test: a package made from a small description
  wixl
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

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

# The package lists. A mirror in the middle of a sync can fail one index ("File has unexpected
# size ... Mirror sync in progress?"): try again a few times, then go on with the lists that
# were read, saying which failed.
update_lists() {
  local attempt output
  for attempt in 1 2 3; do
    if output=$("${sudo_cmd[@]}" apt-get update -qq 2>&1); then return 0; fi
    [ "$attempt" -eq 3 ] || { echo "== apt-get update failed (attempt $attempt of 3), trying again in $((attempt * 15)) s" >&2; sleep $((attempt * 15)); }
  done
  echo "== WARNING: some package lists could not be read, going on with the others:" >&2
  grep -E '^(E|W): Failed to fetch' <<<"$output" | sed -E 's/^(E|W): Failed to fetch ([^ ]+).*/     \2/' | head -5 >&2
}

# Why wine32:i386 cannot be installed, in one line. Usually a 64-bit library is installed at a
# newer version than the i386 lists offer (a security update whose i386 list failed to load),
# and the two halves of a multi-arch library must be the same version.
wine32_reason() {
  local output name amd64 i386 names
  output=$(DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -s --no-install-recommends wine32:i386 2>&1 || true)
  names=$(grep -oE '[A-Za-z0-9.+-]+:i386' <<<"$output" | sed 's/:i386$//' | sort -u)
  # The libraries a dependency of wine32 needs, one level down, where the resolver stopped.
  # shellcheck disable=SC2086
  names+=" $(apt-cache depends $(sed 's/\([^ ]*\)/\1:i386/g' <<<"$names") 2>/dev/null |
             sed -nE 's/^ *Depends: ([^ :<>]+)(:i386)?$/\1/p')"
  names=$(tr ' ' '\n' <<<"$names" | sort -u)
  # One query for all: each name's installed amd64 version and its i386 candidate.
  declare -A candidates=()
  # shellcheck disable=SC2086
  while read -r name i386; do candidates[$name]=$i386; done < <(apt-cache policy $(sed 's/$/:i386/' <<<"$names") 2>/dev/null |
    awk '/^[^ ].*:$/ {name = substr($1, 1, length($1) - 1); sub(/:i386$/, "", name)} /Candidate:/ {print name, $2}')
  for name in $names; do
    amd64=$(dpkg-query -W -f='${Version}' "$name:amd64" 2>/dev/null || true)
    i386=${candidates[$name]:-}
    if [ -n "$amd64" ] && [ -n "$i386" ] && [ "$i386" != "(none)" ] && dpkg --compare-versions "$amd64" gt "$i386"; then
      echo "$name is installed at $amd64 for amd64 but the i386 lists offer only $i386 (the lists disagree, as while a mirror syncs: run scripts/setup.sh again later)"
      return
    fi
  done
  grep -E '^E:' <<<"$output" | head -1 | sed 's/^E: //' || echo "apt-get gave no reason"
}

missing=()
for package in "${packages[@]}"; do
  [ "$package" = wine32:i386 ] || installed "$package" || missing+=("$package")
done

updated=0
if [ ${#missing[@]} -gt 0 ]; then
  echo "== Installing: ${missing[*]}"
  update_lists
  updated=1
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The 32-bit Wine on its own: without it only the 32-bit tests cannot run. The test command
# fails that tier (scripts/test.sh), except while the package mirror itself cannot give it (its
# amd64 and i386 lists disagree): that reason is kept in build/wine32-unavailable for the test
# command to report, and goes once a later set-up installs it.
wine32_note="$(cd "$(dirname "$0")/.." && pwd)/build/wine32-unavailable"
if ! installed wine32:i386; then
  echo "== Installing: wine32:i386"
  [ "$updated" = 1 ] || update_lists
  if ! DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends wine32:i386 >/dev/null 2>&1; then
    reason=$(wine32_reason)
    echo "== WARNING: wine32:i386 cannot be installed: $reason" >&2
    if [[ $reason == *"the lists disagree"* ]]; then
      mkdir -p "$(dirname "$wine32_note")"
      echo "$reason" >"$wine32_note"
    fi
  fi
fi
! installed wine32:i386 || rm -f "$wine32_note"

# Wine takes the ANSI code page from LC_ALL and maps file names through the locale's character
# set, so the Cyrillic code page test needs the locale made, not only named.
if ! locale -a 2>/dev/null | grep -qix 'ru_RU.utf8'; then
  echo "== Making the ru_RU.UTF-8 locale"
  "${sudo_cmd[@]}" localedef -i ru_RU -f UTF-8 ru_RU.UTF-8
fi
