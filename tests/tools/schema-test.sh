#!/usr/bin/env bash
# schema/Varnekite.xsd: written from the loader's own list (varnekite-check --schema prints
# the same bytes), accepted by xmllint for every valid configuration in the sources, and
# refusing the misspellings authors make. Usage: schema-test.sh SOURCE_DIR VARNEKITE_CHECK
set -uo pipefail
source_dir=$1
check=$2
schema=$source_dir/schema/Varnekite.xsd
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

command -v xmllint >/dev/null || { echo "FAIL: xmllint is missing (Debian: libxml2-utils)"; exit 1; }

if ! diff -u "$schema" <("$check" --schema) >/dev/null; then
  fail "schema/Varnekite.xsd differs from what the loader reads; write it anew with: varnekite-check --schema > schema/Varnekite.xsd"
  diff -u "$schema" <("$check" --schema) | head -40
fi

valid=(
  examples/Varnekite.xml
  tests/data/Varnekite-sample.xml
  tests/data/check/Clean.xml
  tests/data/text/*.xml
  fuzz/seeds/config_loader/latin-utf8.xml
  fuzz/seeds/config_loader/cjk-utf16le-bom.xml
  fuzz/seeds/xml_reader/full-configuration.xml
  fuzz/seeds/xml_reader/minimal.xml
)
cd "$source_dir" || exit 1
for file in ${valid[*]}; do
  xmllint --noout --schema "$schema" "$file" 2>/tmp/vk-schema-$$.txt || { fail "$file is refused"; cat /tmp/vk-schema-$$.txt; }
done

# Each mistake alone in a configuration that is otherwise valid: refused, the name in the message.
colours='<colours><header back="#102030" fore="#FFFFFF"/><main back="#FFFFFF" fore="#000000"/></colours>'
mistakes=(
  'widht|<config><window widht="420"/></config>'
  'center|<config><window position="center"/></config>'
  '9|<config><window position="9"/></config>'
  '12px|<config><font large="12px"/></config>'
  'yes|<config><font antialias="yes"/></config>'
  'colors|<config><colors/></config>'
  'white|<config><colours><header fore="white"/></colours></config>'
  '#1F3A5|<config><colours><header back="#1F3A5"/></colours></config>'
  '#6B77ZZ|<config><colours><footer back="#6B77ZZ"/></colours></config>'
  'programs|<config><exit result="true" failure="programs"/></config>'
  'programm|<config>'"$colours"'</config><items><item name="a"><file command="execute" programm="x.exe"/></item></items>'
  'yes|<config>'"$colours"'</config><items><item name="a"><file command="execute" program="x.exe" hide="yes"/></item></items>'
  'Item|<config>'"$colours"'</config><items><Item name="a"/></items>'
  'files|<config>'"$colours"'</config><items><item name="a"><files command="dirdelete" directory="C:\x"/></item></items>'
  'comand|<config>'"$colours"'</config><items><item name="a"><file comand="dirdelete" directory="C:\x"/></item></items>'
  'exec|<config>'"$colours"'</config><items><item name="a"><file command="exec" program="x.exe"/></item></items>'
  'all|<config>'"$colours"'</config><items><item name="a"><file command="execute" program="x.exe" wait="all"/></item></items>'
  'terminate|<config>'"$colours"'</config><items><item name="a"><file command="execute" program="x.exe" timeout="5" ontimeout="terminate"/></item></items>'
  '20|<config>'"$colours"'</config><items><item name="a"><file command="msi" package="a.msi" attempts="20"/></item></items>'
)
for mistake in "${mistakes[@]}"; do
  name=${mistake%%|*}
  body=${mistake#*|}
  document="<Varnekite>$body</Varnekite>"
  if output=$(echo "$document" | xmllint --noout --schema "$schema" - 2>&1); then
    fail "accepted: $document"
  elif ! grep -qF -- "'$name'" <<<"$output"; then
    fail "refused without naming '$name': $output"
  fi
done
# The command kinds in any letter case, as the installer reads them; the editors' attributes.
good='<Varnekite xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance" xsi:noNamespaceSchemaLocation="Varnekite.xsd"><items><item name="a"><file command="DirMove" directory="C:\a" target="C:\b"/><file command="EXECUTE" program="x" hide="True" wait="Tree"/></item></items></Varnekite>'
echo "$good" | xmllint --noout --schema "$schema" - 2>/dev/null || fail "refused: $good"
# failure: an exit code, or the word program in any letter case.
for failure in 1603 -1 0x643 Program; do
  exit_element="<Varnekite><config><exit result=\"true\" failure=\"$failure\"/></config></Varnekite>"
  echo "$exit_element" | xmllint --noout --schema "$schema" - 2>/dev/null || fail "refused: $exit_element"
done

rm -f /tmp/vk-schema-$$.txt
[ "$failures" -eq 0 ] && echo "schema: all passed"
exit $((failures > 0))
