#!/usr/bin/env bash
# The deployment guide's configurations (docs/examples) pass varnekite-check --strict for a
# Windows machine: the variables a Windows machine has are given, and the configuration's folder
# holds (empty) stand-ins for the installers each one names.
#   examples-test.sh <source root> <varnekite-check>
set -uo pipefail
root=$1
check=$2
work=$(mktemp -d /tmp/varnekite-examples.XXXXXX)
trap 'rm -rf "$work"' EXIT
status=0
for example in "$root"/docs/examples/*.xml; do
  name=$(basename "$example")
  folder=$work/${name%.xml}
  mkdir -p "$folder/Drivers" "$folder/Tools"
  touch "$folder/vc_redist.x64.exe" "$folder/Contoso Agent.msi" "$folder/baseline.reg"
  if ! output=$("$check" --strict --var 'WINDIR=C:\Windows' --var 'TEMP=C:\Temp' \
                  --var 'PROGRAMFILES=C:\Program Files' --var 'PROGRAMDATA=C:\ProgramData' \
                  --var "VARNEKITECONFIG=$folder/" "$example" 2>&1); then
    echo "$name: FAILED"
    echo "$output"
    status=1
  fi
done
[ $status -eq 0 ] && echo "examples: all passed"
exit $status
