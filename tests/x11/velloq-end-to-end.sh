#!/usr/bin/env bash
# The real executable on the test display: copies made by other clients land
# in the history with their application, secrets do not, the command line
# reads beside the running Velloq and is told it cannot write, and SIGTERM
# ends it cleanly.
set -euo pipefail
velloq=$1
owner=$2
dir=$(mktemp -d)
config=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill -CONT "$pid" 2>/dev/null || true; kill "$pid" 2>/dev/null || true; done
  rm -rf "$dir" "$config" "$dir.log" "$dir.err" "$dir.owner"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
# Polls a command until it succeeds, for up to fifteen seconds (sanitizer
# builds start slowly).
eventually() {
  for _ in $(seq 1 300); do "$@" && return 0; sleep 0.05; done
  return 1
}
listed() { "$velloq" list --data-dir "$dir" | grep -q "$1"; }

[[ -n "${DISPLAY:-}" ]] || fail "needs the X server that scripts/test starts"
XDG_CONFIG_HOME=$config "$velloq" --data-dir "$dir" 2>"$dir.log" &
app=$!
pids+=("$app")
eventually grep -q "watching the clipboard" "$dir.log" || fail "Velloq did not start: $(cat "$dir.log")"

printf 'plain words' | xclip -selection clipboard >/dev/null 2>&1
eventually listed "plain words" || fail "copy from xclip not stored"

"$owner" UTF8_STRING=hunter2 x-kde-passwordManagerHint=secret >"$dir.owner" 2>&1 &
pids+=($!)
eventually grep -q ready "$dir.owner" || fail "the secret owner did not start"
printf 'after the secret' | xclip -selection clipboard >/dev/null 2>&1
eventually listed "after the secret" || fail "copy after the secret not stored"
listed hunter2 && fail "a copy marked secret was stored"

set +e
printf 'no' | "$velloq" add --data-dir "$dir" 2>"$dir.err"
code=$?
set -e
[[ $code == 3 ]] || fail "add beside a running Velloq exited $code"
grep -q "running Velloq" "$dir.err" || fail "add did not say why: $(cat "$dir.err")"

kill -TERM "$app"
wait "$app" || fail "Velloq did not exit cleanly on SIGTERM"
printf 'later' | "$velloq" add --data-dir "$dir" >/dev/null || fail "history still locked after exit"
rm -f "$dir.log" "$dir.err" "$dir.owner"
echo "end-to-end capture test passed"
