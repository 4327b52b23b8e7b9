#!/usr/bin/env bash
# Checks that a library reaches a header (or does not), compiling a file that
# includes it with the library's include folders only.
# usage: include-rule.sh reaches|misses HEADER COMPILER [-I...]
set -u
expectation=$1 header=$2 compiler=$3
shift 3
output=$(printf '#include "%s"\n' "$header" |
  "$compiler" -std=c++20 -fPIC -fsyntax-only -x c++ "$@" - 2>&1)
status=$?
if [[ $expectation == reaches && $status -eq 0 ]] ||
  [[ $expectation == misses && $output == *"$header: No such file or directory"* ]]; then
  echo "ok: $header $expectation"
  exit 0
fi
echo "$output"
if [[ $expectation == reaches ]]; then
  echo "FAIL: $header should be reachable from the library" >&2
else
  echo "FAIL: $header should not be reachable from the library" >&2
fi
exit 1
