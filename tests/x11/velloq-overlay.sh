#!/usr/bin/env bash
# The card overlay of the real executable, driven like a person would: with
# a text field focused in another window, `velloq toggle` and Shift-Super-V
# show the overlay without taking the focus, typing filters, arrows, digits
# and Return pick, Escape steps back, and the picked clip arrives in the
# field without being captured again.
set -euo pipefail
velloq=$1
target=$2
screenshot=$3
probe=$4
source "$(dirname "$0")/session.sh"
overlay_shown() { xdotool search --onlyvisible --name '^Velloq$' >/dev/null 2>&1; }
overlay_hidden() { ! overlay_shown; }
keyboard_grabbed() { [[ $("$probe") == grabbed ]]; }
entries() { "$velloq" list | wc -l; }
received() { grep -q "^text: $1\$" "$home/target.log"; }
clear_field() {
  xdotool key ctrl+a BackSpace
  eventually received "" || fail "the field could not be cleared"
}
open_overlay() {
  "$velloq" toggle || fail "velloq toggle failed"
  eventually overlay_shown || fail "the overlay did not appear"
  # Keys pressed before the keyboard grab lands would reach the field.
  eventually keyboard_grabbed ||
    fail "the overlay did not take the keyboard ($(overlay_shown && echo shown || echo hidden))"
}

[[ -n "${DISPLAY:-}" ]] || fail "needs the X server that scripts/test starts"
for i in $(seq 1 9); do printf 'clip number %s' "$i" | "$velloq" add >/dev/null; done
"$target" >"$home/target.log" 2>/dev/null &
pids+=($!)
eventually test -s "$home/target.log" || fail "the paste target did not start"
field=$(head -n 1 "$home/target.log")
xdotool windowactivate --sync "$field"
launch() {
  "$velloq" -SkipOnboarding "$@" 2>"$home/velloq.log" &
  app=$!
  pids+=("$app")
  eventually grep -q "watching the clipboard" "$home/velloq.log" || fail "Velloq did not start"
}
launch
plain=$("$screenshot" "$home/plain.png")
count=$(entries)

open_overlay
[[ $(xdotool getactivewindow) == "$field" ]] || fail "showing the overlay changed the active window"
dimmed=$("$screenshot" "$home/overlay.png")
(( dimmed - plain > 20 || plain - dimmed > 20 )) || fail "the screen looks the same with the overlay ($plain, $dimmed)"

xdotool type --delay 20 "number 4"
xdotool key Return
eventually overlay_hidden || fail "Return did not close the overlay"
eventually received "clip number 4" || fail "the filtered pick was not pasted: $(tail -n 2 "$home/target.log")"
[[ $(xdotool getactivewindow) == "$field" ]] || fail "the field's window lost the focus"

clear_field
open_overlay
# Newest first in rows of three: right then down lands on the fifth newest.
xdotool key Right Down Return
eventually received "clip number 5" || fail "arrows and Return did not pick the fifth card"

clear_field
open_overlay
xdotool key 2
eventually received "clip number 8" || fail "the digit 2 did not pick the second card"

open_overlay
xdotool key space Escape
overlay_shown || fail "Escape with a preview open closed the overlay"
xdotool type "zz"
xdotool key Escape
overlay_shown || fail "Escape with a search closed the overlay"
xdotool key Escape
eventually overlay_hidden || fail "the third Escape did not close the overlay"

open_overlay
"$velloq" toggle
eventually overlay_hidden || fail "a second toggle did not close the overlay"

# The global shortcut, Shift-Super-V: it opens the overlay when let go, and
# closes it the next time, also with Caps Lock on.
xdotool key shift+super+v
eventually overlay_shown || fail "Shift-Super-V did not open the overlay"
eventually keyboard_grabbed || fail "the overlay opened by the shortcut did not take the keyboard"
xdotool key shift+super+v
eventually overlay_hidden || fail "Shift-Super-V did not close the overlay"
xdotool key Caps_Lock
xdotool key shift+super+v
eventually overlay_shown || fail "Shift-Super-V with Caps Lock on did not open the overlay"
eventually keyboard_grabbed || fail "the overlay opened with Caps Lock on did not take the keyboard"
xdotool key Escape
eventually overlay_hidden || fail "Escape did not close the overlay opened by the shortcut"
xdotool key Caps_Lock

# Copies are taken in order: once a later copy is stored, Velloq has seen
# its own writes too.
printf 'after the pastes' | xclip -selection clipboard >/dev/null 2>&1
marked() { "$velloq" list | grep -q "after the pastes"; }
eventually marked || fail "the copy after the pastes was not stored"
[[ $(entries) == $((count + 1)) ]] || fail "Velloq captured its own pastes: $(entries) entries, $count before"
received "clip number 8zz" && fail "keys typed into the overlay reached the field"

# "-ShowOverview" opens the overlay at launch, and a second launch with it
# opens it in the running Velloq; a longer argument is not it.
kill -TERM "$app"
wait "$app" || true
launch -ShowOverviewNow
# Nothing to wait for when nothing should happen: give it the time a real
# opening takes.
sleep 0.5
overlay_hidden || fail "an argument starting with -ShowOverview opened the overlay"
"$velloq" -ShowOverview || fail "a second launch did not exit 0"
eventually overlay_shown || fail "a second launch with -ShowOverview did not open the overlay"
kill -TERM "$app"
wait "$app" || true
launch -ShowOverview
eventually overlay_shown || fail "-ShowOverview did not open the overlay at launch"
echo "overlay test passed"
