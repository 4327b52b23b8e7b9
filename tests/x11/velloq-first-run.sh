#!/usr/bin/env bash
# A new user's first start opens the wizard in front of everything, on its
# welcome page. Its forward buttons (Return presses them) lead past the
# permission page, which X11 does not need, to the shortcut page, whose box
# records a new shortcut, and to the last page, whose "Done" closes it. The
# next start opens nothing; the settings window then opens titled with the
# application's name and closes on Escape.
set -euo pipefail
velloq=$1
source "$(dirname "$0")/session.sh"
settings=$XDG_CONFIG_HOME/Velloq/settings.json

[[ -n "${DISPLAY:-}" ]] || fail "needs the X server that scripts/test starts"
wizard() { xdotool search --onlyvisible --name '^Welcome to Velloq$' 2>/dev/null | head -n 1; }
shows_wizard() { [[ -n $(wizard) ]]; }
wizard_gone() { ! shows_wizard; }
is_active() { [[ $(xdotool getactivewindow 2>/dev/null) == "$1" ]]; }
launch() {
  "$velloq" 2>>"$home/velloq.log" &
  app=$!
  pids+=("$app")
  eventually grep -q "watching the clipboard" "$home/velloq.log" || fail "Velloq did not start"
}
# A key to the wizard, after its page has slid in.
press() {
  sleep 0.6
  xdotool key --clearmodifiers "$@"
}

launch
eventually shows_wizard || fail "the first start opened no wizard"
window=$(wizard)
eventually is_active "$window" || fail "the wizard did not come to the front"
xdotool getwindowgeometry "$window" | grep -q "Geometry: 620x480" \
  || fail "the wizard is not 620×480: $(xdotool getwindowgeometry "$window")"
xprop -id "$window" _NET_WM_STATE | grep -q _NET_WM_STATE_ABOVE || fail "the wizard is not kept above"
grep -q '"onboardingShown": *true' "$settings" || fail "opening the wizard was not remembered"

press Return # "Get Started"
# The shortcut page: back from "Continue" over "Back" to the box, Space to
# record, a combination, then forward to "Continue" again.
press shift+Tab shift+Tab space
press ctrl+alt+k
eventually grep -q '"KeyboardShortcuts_showClipboard"' "$settings" \
  || fail "the second page did not record a shortcut"
press Tab Tab Return # "Continue"
sleep 0.6
shows_wizard || fail "the wizard closed before its last page"
press Return # "Done"
eventually wizard_gone || fail "the wizard is still open after Done: a page too many"
kill -0 "$app" || fail "Velloq quit with the wizard"

kill -TERM "$app"
wait "$app" 2>/dev/null || true
launch
sleep 1.5
shows_wizard && fail "the wizard opened again at the next start"

# The settings window says whose it is in the taskbar, and Escape (a real
# key press) closes it.
"$velloq" settings >/dev/null || fail "velloq settings failed"
# xdotool matches the Latin-1 WM_NAME, which cannot hold the dash.
settings_window() { xdotool search --onlyvisible --name '^General' 2>/dev/null | head -n 1; }
eventually test -n "$(settings_window)" || fail "the settings window did not open"
title=$(xdotool getwindowname "$(settings_window)")
[[ $title == "General — Velloq" ]] || fail "the settings window is titled \"$title\", not \"General — Velloq\""
eventually is_active "$(settings_window)" || fail "the settings window did not come to the front"
press Escape
eventually test -z "$(settings_window)" || fail "Escape did not close the settings window"
exit 0
