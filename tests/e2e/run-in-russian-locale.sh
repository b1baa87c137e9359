#!/usr/bin/env bash
# The windows-1251 case of the text tests with a Russian locale, where Wine's ANSI code page is
# 1251. Wine takes the code page from LC_ALL, and maps file names through the locale's
# character set, so the locale must exist (scripts/setup.sh makes ru_RU.UTF-8).
#   run-in-russian-locale.sh <VarnekiteE2eTest.exe>
set -uo pipefail
if ! locale -a 2>/dev/null | grep -qix 'ru_RU.utf8'; then
  echo "the ru_RU.UTF-8 locale is not installed: skipped"
  exit 0
fi
LC_ALL=ru_RU.UTF-8 timeout 170 wine "$1" --gtest_filter=TextRun.TextsInTheAnsiCodePageShowAsTheirCharacters 2>&1 \
  | tee /dev/stderr | grep -q '\[  PASSED  \] 1 test\.'
