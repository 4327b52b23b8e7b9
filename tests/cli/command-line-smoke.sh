#!/usr/bin/env bash
# Runs the installed form of the command line: real process, real standard
# input and exit codes, and one history folder shared by consecutive runs.
set -euo pipefail
velloq=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
export XDG_CONFIG_HOME="$dir/config"
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
set +e
large=$(head -c 40000000 /dev/zero | tr '\0' x | "$velloq" add --data-dir "$dir" 2>&1); code=$?
set -e
[[ $code == 1 && $large == *"larger than the limit of 32 MB"* ]] || fail "40 MB add exited $code: $large"

# Starting the application where it has no platform adapter, or no display
# at all, says why and fails, instead of crashing inside Qt.
mkdir -m 700 "$dir/run"
export XDG_RUNTIME_DIR="$dir/run"
set +e
message=$(QT_QPA_PLATFORM=offscreen "$velloq" --data-dir "$dir" 2>&1); offscreen=$?
bare=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$velloq" --data-dir "$dir" 2>&1)
bareCode=$?
set -e
[[ $offscreen == 1 && $message == *"cannot run on the 'offscreen' platform"* ]] ||
  fail "offscreen launch exited $offscreen: $message"
[[ $bareCode == 1 && $bare == *"no display"* ]] || fail "launch without display exited $bareCode: $bare"
echo "command line smoke test passed"
