#!/usr/bin/env bash
# The real executable as a Wayland client of the test compositor, beside an
# X server if there is one (the Wayland session wins): copies made by
# Wayland clients land in the history (text, a file list, a picture), a copy
# marked secret does not, a source that never sends its data does not hold
# the next capture, `velloq copy` is readable by other Wayland clients,
# `velloq paste` types into the focused Wayland window, and `velloq toggle`
# shows the overlay, where Return pastes the first card.
set -euo pipefail
velloq=$1
source_helper=$2
keys=$3
target=$4
source "$(dirname "$0")/../x11/session.sh"
[[ -n "${VELLOQ_TEST_WAYLAND_DISPLAY:-}" ]] || fail "needs the compositor scripts/test starts"
export WAYLAND_DISPLAY=$VELLOQ_TEST_WAYLAND_DISPLAY
unset QT_QPA_PLATFORM
json() { "$velloq" list --json; }
stored() { json | grep -q "$1"; }
# wl-copy leaves a process behind that serves the copy; it must not hold
# the test's output open, and goes with the test.
copy() { wl-copy "$@" 2>/dev/null; }
trap 'pkill -x wl-copy -u "$(id -u)" 2>/dev/null || true; cleanup' EXIT

"$velloq" -SkipOnboarding 2>"$home/velloq.log" &
pids+=($!)
eventually grep -q "watching the clipboard" "$home/velloq.log" || fail "Velloq did not start: $(cat "$home/velloq.log")"
grep -q "does not let clipboard managers" "$home/velloq.log" && fail "the compositor's data-control was not found"
protocol=$(sed -n 's/^velloq: reading the clipboard through //p' "$home/velloq.log")
[[ -z ${VELLOQ_TEST_DATA_CONTROL:-} || $protocol == "$VELLOQ_TEST_DATA_CONTROL" ]] ||
  fail "bound $protocol, not $VELLOQ_TEST_DATA_CONTROL"

copy "copied in a Wayland client"
eventually stored '"kind":"text","text":"copied in a Wayland client"' || fail "wl-copy text not stored: $(json)"

mkdir -p "$home/files" && touch "$home/files/report.pdf"
copy --type text/uri-list "file://$home/files/report.pdf"
eventually stored '"kind":"files"' || fail "a file list not stored: $(json)"
json | grep -q "report.pdf" || fail "the file list lost its file: $(json)"

echo 'iVBORw0KGgoAAAANSUhEUgAAAAQAAAAECAIAAAAmkwkpAAAAEElEQVR4nGM4IScHRwzEcQCxYxBBO0tjggAAAABJRU5ErkJggg==' \
  | base64 -d >"$home/picture.png"
copy --type image/png <"$home/picture.png"
eventually stored '"kind":"image"' || fail "a picture not stored: $(json)"

start "$source_helper" "text/plain;charset=utf-8=hunter2" x-kde-passwordManagerHint=secret >/dev/null
copy "after the secret"
eventually stored '"text":"after the secret"' || fail "the copy after the secret not stored"
stored hunter2 && fail "a copy marked secret was stored"

# A source that stops answering is given up on within the read budget; the
# next copy is stored as usual.
copy "never sent"
silent=$(pgrep -n -x wl-copy) || fail "no wl-copy to stop"
kill -STOP "$silent"
copy "after the silent source"
eventually stored '"text":"after the silent source"' || fail "a silent source held the next capture"
kill -CONT "$silent" 2>/dev/null || true

id=$(json | grep -o '"id":"[^"]*"[^}]*"text":"copied in a Wayland client"' | head -n 1 | cut -d'"' -f4)
[[ -n $id ]] || fail "no id for the first copy: $(json)"
"$velloq" copy "$id" || fail "velloq copy failed"
eventually bash -c '[[ $(wl-paste --no-newline) == "copied in a Wayland client" ]]' \
  || fail "velloq copy not readable with wl-paste: $(wl-paste 2>&1)"
wl-paste --list-types | grep -qx 'text/plain;charset=utf-8' || fail "no UTF-8 text type offered"

QT_QPA_PLATFORM=wayland "$target" --app-id org.example.Target >"$home/target.log" 2>/dev/null &
pids+=($!)
eventually grep -qx active "$home/target.log" || fail "the Wayland paste target did not get the keyboard"
received() { grep -q "^text: $1\$" "$home/target.log"; }
"$velloq" paste "$id" || fail "velloq paste failed"
eventually received "copied in a Wayland client" || fail "velloq paste did not reach the window: $(cat "$home/target.log")"

copy "picked in the overlay"
eventually stored '"text":"picked in the overlay"' || fail "the copy to pick not stored"
"$velloq" toggle || fail "velloq toggle failed"
# Return goes to the overlay once the compositor has taken the keyboard
# from the target for it.
lost_keyboard() { [[ $(tail -n 1 "$home/target.log") == inactive ]]; }
eventually lost_keyboard || fail "the overlay did not take the keyboard"
"$keys" 28 || fail "no virtual keyboard"
eventually received "copied in a Wayland clientpicked in the overlay" || true
received "copied in a Wayland clientpicked in the overlay" \
  || fail "Return in the overlay did not paste the first card: $(cat "$home/target.log")"
echo "ok, through $protocol"
