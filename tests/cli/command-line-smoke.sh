#!/usr/bin/env bash
# Runs the installed form of the command line: real process, real standard
# input and exit codes, and one history folder shared by consecutive runs.
set -euo pipefail
velloq=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

id=$(printf 'from a pipe' | "$velloq" add --data-dir "$dir")
[[ $id =~ ^[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}$ ]] || fail "add printed '$id'"
"$velloq" list --data-dir "$dir" | grep -q "${id:0:8}  text         from a pipe" || fail "list"
"$velloq" pin "${id:0:8}" --data-dir "$dir"
"$velloq" list --json --data-dir "$dir" | grep -q '"isPinned":true' || fail "pin"

set +e
"$velloq" delete 00000000 --data-dir "$dir" 2>/dev/null; code=$?
"$velloq" frobnicate 2>/dev/null; usage=$?
set -e
[[ $code == 1 ]] || fail "unknown id exited $code"
[[ $usage == 2 ]] || fail "unknown command exited $usage"
"$velloq" --help | grep -q 'search QUERY' || fail "help"
echo "command line smoke test passed"
