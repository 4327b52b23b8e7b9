#!/usr/bin/env bash
# The real executable under GNOME Shell with Velloq's extension, both as
# scripts/test starts them (headless, from the Debian testing tree): copies
# made by a Wayland window that has the keyboard land in the history (text,
# a file list, a picture), a copy marked secret does not, a source that
# never sends its data does not hold the next capture, `velloq copy` is
# readable by another window, `velloq paste` types into the focused window,
# `velloq toggle` and the global shortcut show the overlay, where Return
# pastes the first card, and a copy made in an excluded application is not
# recorded. Other clients of the session bus get nothing from the
# extension and hear nothing of the clipboard, not a byte of a copy marked
# secret leaves the Shell, and with the extension off Velloq says how to
# turn it on.
set -euo pipefail
velloq=$1
copier=$2
target=$3
keys=$4
probe=$5
source "$(dirname "$0")/../x11/session.sh"
display=${VELLOQ_TEST_GNOME_DISPLAY:-}
[[ -n $display ]] || fail "needs the GNOME Shell that scripts/test starts (VELLOQ_TEST_GNOME_DISPLAY)"
run=$VELLOQ_TEST_GNOME_DISPLAY_HOME
tree_root=${run%/run/*}
bridge=com.tarnbrooksoftware.Velloq.Shell
unset QT_QPA_PLATFORM

# Everything runs as the Shell's user: its session bus answers no other.
chown -R nobody:nogroup "$home"
session=(setpriv --reuid=nobody --regid=nogroup --clear-groups
  env -i PATH=/usr/bin:/bin HOME="$home" LANG=C.UTF-8 XDG_DATA_HOME="$XDG_DATA_HOME"
  XDG_CONFIG_HOME="$XDG_CONFIG_HOME" XDG_RUNTIME_DIR="$XDG_RUNTIME_DIR" WAYLAND_DISPLAY="$display"
  DBUS_SESSION_BUS_ADDRESS="$VELLOQ_TEST_GNOME_DISPLAY_BUS" QT_QPA_PLATFORM=wayland
  ${ASAN_OPTIONS:+ASAN_OPTIONS="$ASAN_OPTIONS"} ${LSAN_OPTIONS:+LSAN_OPTIONS="$LSAN_OPTIONS"})
velloq() { "${session[@]}" "$velloq" "$@"; }
# gdbus from the testing tree, as another client of the Shell's bus.
other_client() {
  chroot "$tree_root" setpriv --reuid=nobody --regid=nogroup --clear-groups env -i PATH=/usr/bin:/bin \
    DBUS_SESSION_BUS_ADDRESS="unix:path=${run#"$tree_root"}/bus" gdbus "$@"
}
# What the extension answers another client; a refusal is no failure here.
call_bridge() {
  other_client call --session --dest $bridge --object-path /com/tarnbrooksoftware/Velloq/Shell \
    --method "$bridge.$1" "${@:2}" 2>&1 || true
}
json() { velloq list --json; }
stored() { json | grep -q "$1"; }
shell_log() { grep -i -A3 'velloq' "$run/compositor.log" | grep -v '^dbus-daemon' | tail -n 8; }

bridge_up() {
  other_client call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
    --method org.freedesktop.DBus.NameHasOwner $bridge 2>/dev/null | grep -q true
}
eventually bridge_up || fail "the extension did not come up in GNOME Shell: $(shell_log)"
call_bridge Focus | grep -q NotVelloq || fail "the extension answered a client that is not Velloq"

# The Shell starts in its overview, as after a log-in; Escape leaves it.
"${session[@]}" "$keys" 1 || fail "Mutter's remote desktop interface typed nothing"

mkdir -p "$XDG_CONFIG_HOME/Velloq"
printf '{"excludedBundleIDs": ["org.example.Excluded"]}' >"$XDG_CONFIG_HOME/Velloq/settings.json"
chown -R nobody:nogroup "$XDG_CONFIG_HOME"
(exec "${session[@]}" "$velloq" -SkipOnboarding) 2>"$home/velloq.log" &
pids+=($!)
eventually grep -q "watching the clipboard" "$home/velloq.log" || fail "Velloq did not start: $(cat "$home/velloq.log")"
grep -q "through GNOME Shell .* and Velloq's extension" "$home/velloq.log" ||
  fail "Velloq did not take the extension's bridge"
call_bridge ClipboardTypes | grep -q NotVelloq || fail "the extension answered another client while Velloq runs"

# Another client listening on the bus for the extension's signals.
other_client monitor --session --dest $bridge >"$home/monitor.log" 2>&1 &
pids+=($!)

# copy [--app-id ID] TYPE DATA ...: copies from a window of its own at a
# key pressed there; the window stays to serve the copy until the next one.
copier_pid=""
copy() {
  local log=$home/copy-$RANDOM
  "${session[@]}" "$copier" "$@" >"$log" 2>&1 &
  pids+=($!)
  eventually grep -qx focused "$log" || fail "the copying window did not get the keyboard: $(cat "$log")"
  "${session[@]}" "$keys" 42 || fail "no keyboard to type with"
  eventually grep -qx ready "$log" || fail "the copying window did not copy: $(cat "$log")"
  [[ -z $copier_pid ]] || kill "$copier_pid" 2>/dev/null || true
  copier_pid=$!
}

copy 'text/plain;charset=utf-8' "copied in a GNOME window"
eventually stored '"kind":"text","text":"copied in a GNOME window"' || fail "a copied text not stored: $(json)"

mkdir -p "$home/files" && touch "$home/files/report.pdf"
copy text/uri-list "file://$home/files/report.pdf"
eventually stored '"kind":"files"' || fail "a file list not stored: $(json)"
json | grep -q "report.pdf" || fail "the file list lost its file: $(json)"

echo 'iVBORw0KGgoAAAANSUhEUgAAAAQAAAAECAIAAAAmkwkpAAAAEElEQVR4nGM4IScHRwzEcQCxYxBBO0tjggAAAABJRU5ErkJggg==' \
  | base64 -d >"$home/picture.png"
chown nobody:nogroup "$home/picture.png"
copy image/png "@$home/picture.png"
eventually stored '"kind":"image"' || fail "a picture not stored: $(json)"

copy 'text/plain;charset=utf-8' hunter2 x-kde-passwordManagerHint secret
copy 'text/plain;charset=utf-8' "after the secret"
eventually stored '"text":"after the secret"' || fail "the copy after the secret not stored"
stored hunter2 && fail "a copy marked secret was stored"
grep -q ClipboardChanged "$home/monitor.log" && fail "another bus client heard of a copy: $(cat "$home/monitor.log")"

# A source that stops answering is given up on within the read budget; the
# next copy is stored as usual.
copy 'text/plain;charset=utf-8' "never sent"
silent=$copier_pid
kill -STOP "$silent"
copy 'text/plain;charset=utf-8' "after the silent source"
kill -CONT "$silent" 2>/dev/null || true
eventually stored '"text":"after the silent source"' || fail "a silent source held the next capture"

id=$(json | grep -o '"id":"[^"]*"[^}]*"text":"copied in a GNOME window"' | head -n 1 | cut -d'"' -f4)
[[ -n $id ]] || fail "no id for the first copy: $(json)"
velloq copy "$id" || fail "velloq copy failed"
# Its exit status is the sanitizer's word on Qt's Wayland plugin, not ours.
"${session[@]}" "$copier" --print >"$home/read-back.log" 2>&1 || true
grep -qx "text: copied in a GNOME window" "$home/read-back.log" ||
  fail "velloq copy not readable by another window: $(cat "$home/read-back.log")"

"${session[@]}" "$target" --app-id org.example.Target >"$home/target.log" 2>/dev/null &
pids+=($!)
target_pid=$!
eventually grep -qx active "$home/target.log" || fail "the paste target did not get the keyboard"
received() { grep -q "^text: $1\$" "$home/target.log"; }
velloq paste "$id" || fail "velloq paste failed"
eventually received "copied in a GNOME window" || fail "velloq paste did not reach the window: $(cat "$home/target.log")"

copy 'text/plain;charset=utf-8' "picked in the overlay"
eventually stored '"text":"picked in the overlay"' || fail "the copy to pick not stored"
kill "$copier_pid"
copier_pid=""
eventually grep -qx active "$home/target.log" || fail "the paste target did not get the keyboard back"
velloq toggle || fail "velloq toggle failed"
lost_keyboard() { [[ $(tail -n 1 "$home/target.log") == inactive ]]; }
eventually lost_keyboard || fail "the overlay did not take the keyboard"
"${session[@]}" "$keys" 28 || fail "no keyboard to type with"
eventually received "copied in a GNOME windowpicked in the overlay" ||
  fail "Return in the overlay did not paste the first card: $(cat "$home/target.log")"

# The global shortcut (Shift-Super-V), grabbed by the Shell for Velloq.
eventually grep -qx active "$home/target.log" || fail "the paste target did not get the keyboard back"
"${session[@]}" "$keys" +125 +42 47 -42 -125 || fail "no keyboard to type with"
eventually lost_keyboard || fail "the global shortcut did not show the overlay"
"${session[@]}" "$keys" 1
active_again() { [[ $(tail -n 1 "$home/target.log") == active ]]; }
eventually active_again || fail "Escape did not close the overlay"

# The Shell names the focused window's application; one on the exclusion
# list keeps its copies out of the history.
kill "$target_pid"
copy --app-id org.example.Excluded 'text/plain;charset=utf-8' "copied in an excluded application"
kill "$copier_pid"
copier_pid=""
# Past the grace period that follows an excluded application.
sleep 1.5
copy 'text/plain;charset=utf-8' "copied after the excluded application"
eventually stored '"text":"copied after the excluded application"' || fail "the copy after the excluded window not stored"
stored "copied in an excluded application" && fail "a copy made in an excluded application was stored"

# Velloq gone, the extension answers nobody.
kill "${pids[0]}"
wait "${pids[0]}" 2>/dev/null || true
call_bridge Focus | grep -q NotVelloq || fail "the extension answered after Velloq quit"

# Whoever holds Velloq's name (here a probe, in Velloq's place) gets no byte
# of a copy marked secret, but gets an ordinary one.
probe() { "${session[@]}" "$probe" 'text/plain;charset=utf-8'; }
copy 'text/plain;charset=utf-8' hunter2 x-kde-passwordManagerHint secret
[[ $(probe) == refused ]] || fail "the extension let out a copy marked secret: $(probe)"
copy 'text/plain;charset=utf-8' "an ordinary copy"
[[ $(probe) == "an ordinary copy" ]] || fail "the extension did not let the probe read an ordinary copy: $(probe)"

# With the extension turned off, Velloq says how to turn it on.
extensions() {
  chroot "$tree_root" setpriv --reuid=nobody --regid=nogroup --clear-groups env -i PATH=/usr/bin:/bin \
    HOME="${run#"$tree_root"}" DBUS_SESSION_BUS_ADDRESS="unix:path=${run#"$tree_root"}/bus" \
    gnome-extensions "$@" velloq@tarnbrooksoftware.com
}
extensions disable || fail "gnome-extensions could not turn the extension off"
trap 'extensions enable || true; cleanup' EXIT
bridge_down() { ! bridge_up; }
eventually bridge_down || fail "the extension stayed on the bus when turned off"
(exec "${session[@]}" "$velloq" -SkipOnboarding) 2>"$home/velloq.log" &
pids+=($!)
eventually grep -q "watching the clipboard" "$home/velloq.log" || fail "Velloq did not start without the extension"
grep -q "gnome-extensions enable velloq@tarnbrooksoftware.com" "$home/velloq.log" ||
  fail "Velloq did not say how to turn the extension on: $(cat "$home/velloq.log")"
echo "ok, through GNOME Shell $(sed -n 's/.*through GNOME Shell \([^ ]*\).*/\1/p' "$home/velloq.log")"
