#!/usr/bin/env bash
# The real executable as a Wayland client of a test compositor, beside an
# X server if there is one (the Wayland session wins): copies made by
# Wayland clients land in the history (text, a file list, a picture), a copy
# marked secret does not, a source that never sends its data does not hold
# the next capture, `velloq copy` is readable by other Wayland clients,
# `velloq paste` types into the focused Wayland window, `velloq toggle`
# shows the overlay, which takes the keyboard and where Return pastes the
# first card, and a copy made while an excluded application is active is
# not recorded.
#
# Under KWin, whose focus-stealing prevention scripts/test sets to its
# strictest, `velloq toggle` runs with an activation token as a launcher
# hands over, without which the overlay would not get the keyboard.
#
# VELLOQ_TEST_COMPOSITOR picks the compositor scripts/test started: sway
# (the host's, the default), testing-sway or kwin (from the Debian testing
# tree). VELLOQ_TEST_DATA_CONTROL names the data-control protocol Velloq
# must bind there.
set -euo pipefail
velloq=$1
source_helper=$2
keys=$3
target=$4
# Under KWin: the launcher's part, an activation token for `velloq toggle`.
token_helper=${5:-}
source "$(dirname "$0")/../x11/session.sh"
compositor=${VELLOQ_TEST_COMPOSITOR:-sway}
case $compositor in
  sway) display=${VELLOQ_TEST_WAYLAND_DISPLAY:-} ;;
  testing-sway) display=${VELLOQ_TEST_SWAY_DISPLAY:-} ;;
  kwin) display=${VELLOQ_TEST_KWIN_DISPLAY:-} ;;
  *) fail "no such test compositor: $compositor" ;;
esac
[[ -n $display ]] || fail "needs the $compositor compositor that scripts/test starts"
export WAYLAND_DISPLAY=$display
unset QT_QPA_PLATFORM

# Velloq, its commands and the keyboard peer run as the session's user.
# KWin gives its fake input and window list only to programs of its own
# user whose installed desktop entry asks for them, so on KWin they run as
# the compositor's user, each with its entry installed where KWin looks.
session=()
if [[ $compositor == kwin ]]; then
  tree_home=$VELLOQ_TEST_KWIN_DISPLAY_HOME
  tree_root=${tree_home%/run/*}
  chown -R nobody:nogroup "$home"
  chmod 755 "$tree_home"
  session=(setpriv --reuid=nobody --regid=nogroup --clear-groups
    env -i PATH=/usr/bin:/bin HOME="$home" LANG=C.UTF-8 XDG_DATA_HOME="$XDG_DATA_HOME"
    XDG_CONFIG_HOME="$XDG_CONFIG_HOME" XDG_RUNTIME_DIR="$XDG_RUNTIME_DIR" WAYLAND_DISPLAY="$display")
  # grant NAME EXECUTABLE INTERFACES: the desktop entry KWin checks, for a
  # program at the same path inside its root.
  grant() {
    local executable
    executable=$(realpath "$2")
    mkdir -p "$tree_root$(dirname "$executable")"
    touch "$tree_root$executable"
    mkdir -p "$tree_home/.local/share/applications"
    printf '[Desktop Entry]\nType=Application\nName=%s\nExec=%s\nX-KDE-Wayland-Interfaces=%s\n' \
      "$1" "$executable" "$3" >"$tree_home/.local/share/applications/$1.desktop"
  }
  # What Velloq's installed entry asks of KWin, for the real binary.
  interfaces=$(sed -n 's/^X-KDE-Wayland-Interfaces=//p' \
    "$(dirname "$0")/../../data/com.tarnbrooksoftware.Velloq.desktop")
  [[ -n $interfaces ]] || fail "Velloq's desktop entry declares no X-KDE-Wayland-Interfaces"
  # The command becomes the application, whose path KWin sees.
  grant com.tarnbrooksoftware.Velloq "$(dirname "$velloq")/libexec/velloq" "$interfaces"
  grant org.example.Keys "$keys" org_kde_kwin_fake_input
  [[ -n $token_helper ]] || fail "needs the activation token helper under KWin"
  grant org.example.Launcher "$token_helper" org_kde_plasma_window_management
  chown -R nobody:nogroup "$tree_home/.local"
  chroot "$tree_root" setpriv --reuid=nobody --regid=nogroup --clear-groups \
    env -i PATH=/usr/bin:/bin HOME="${tree_home#"$tree_root"}" LANG=C.UTF-8 \
    kbuildsycoca6 >/dev/null 2>&1 || fail "kbuildsycoca6 failed in the testing tree"
  # KWin reads the new entries a moment later; the keyboard peer, granted
  # as Velloq is, tells when.
  eventually "${session[@]}" "$keys" ||
    fail "KWin does not lend its fake input to the programs its desktop entries name"
fi
velloq() { "${session[@]}" "$velloq" "$@"; }
# The clipboard tools: under KWin the testing tree's (wl-clipboard 2.3, through
# ext-data-control), since the host's take the clipboard through a window of
# their own that KWin's focus-stealing prevention keeps from the keyboard.
tools=()
[[ $compositor == kwin ]] && tools=(chroot "$tree_root" env -i PATH=/usr/bin:/bin
  XDG_RUNTIME_DIR=/tmp WAYLAND_DISPLAY="${display#"$tree_root"}" VELLOQ_TEST_COPY="$home")
wl_paste() { "${tools[@]}" wl-paste "$@"; }
json() { velloq list --json; }
stored() { json | grep -q "$1"; }
# wl-copy leaves a process behind that serves the copy; it must not hold
# the test's output open, and goes with the test. Tests on other
# compositors run beside this one, so this one's are told by a mark in
# their environment.
# A wl-copy that cannot take the clipboard (one that waits for the keyboard
# focus it is not given) fails the copy instead of holding the test.
copy() {
  VELLOQ_TEST_COPY=$home "${tools[@]}" timeout 10 wl-copy "$@" 2>/dev/null ||
    fail "wl-copy could not take the clipboard"
}
trap 'kill $(own_copies) 2>/dev/null || true; cleanup' EXIT

mkdir -p "$XDG_CONFIG_HOME/Velloq"
printf '{"excludedBundleIDs": ["org.example.Excluded"]}' >"$XDG_CONFIG_HOME/Velloq/settings.json"
[[ -z ${session[*]} ]] || chown -R nobody:nogroup "$XDG_CONFIG_HOME"
# Started by exec, so that its process is the one cleanup stops.
(exec "${session[@]}" "$velloq" -SkipOnboarding) 2>"$home/velloq.log" &
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
silent=$(own_copies | tail -n 1)
[[ -n $silent ]] || fail "no wl-copy to stop"
kill -STOP "$silent"
copy "after the silent source"
eventually stored '"text":"after the silent source"' || fail "a silent source held the next capture"
kill -CONT "$silent" 2>/dev/null || true

id=$(json | grep -o '"id":"[^"]*"[^}]*"text":"copied in a Wayland client"' | head -n 1 | cut -d'"' -f4)
[[ -n $id ]] || fail "no id for the first copy: $(json)"
velloq copy "$id" || fail "velloq copy failed"
pasted_back() { [[ $(wl_paste --no-newline) == "copied in a Wayland client" ]]; }
eventually pasted_back || fail "velloq copy not readable with wl-paste: $(wl_paste 2>&1)"
wl_paste --list-types | grep -qx 'text/plain;charset=utf-8' || fail "no UTF-8 text type offered"

QT_QPA_PLATFORM=wayland "$target" --app-id org.example.Target >"$home/target.log" 2>/dev/null &
pids+=($!)
target_pid=$!
eventually grep -qx active "$home/target.log" || fail "the Wayland paste target did not get the keyboard"
received() { grep -q "^text: $1\$" "$home/target.log"; }
velloq paste "$id" || fail "velloq paste failed"
eventually received "copied in a Wayland client" || fail "velloq paste did not reach the window: $(cat "$home/target.log")"

copy "picked in the overlay"
eventually stored '"text":"picked in the overlay"' || fail "the copy to pick not stored"
if [[ $compositor == kwin ]]; then
  token=$("${session[@]}" "$token_helper" com.tarnbrooksoftware.Velloq) ||
    fail "KWin gave the launcher no activation token"
  "${session[@]}" XDG_ACTIVATION_TOKEN="$token" "$velloq" toggle || fail "velloq toggle failed"
else
  velloq toggle || fail "velloq toggle failed"
fi
# Return goes to the overlay once the compositor has taken the keyboard
# from the target for it.
lost_keyboard() { [[ $(tail -n 1 "$home/target.log") == inactive ]]; }
eventually lost_keyboard || fail "the overlay did not take the keyboard"
"${session[@]}" "$keys" 28 || fail "no keyboard to type with"
eventually received "copied in a Wayland clientpicked in the overlay" || true
received "copied in a Wayland clientpicked in the overlay" \
  || fail "Return in the overlay did not paste the first card: $(cat "$home/target.log")"

# The compositor names the active window's application; one on the
# exclusion list keeps its copies out of the history.
kill "$target_pid"
QT_QPA_PLATFORM=wayland "$target" --app-id org.example.Excluded >"$home/excluded.log" 2>/dev/null &
pids+=($!)
excluded_pid=$!
eventually grep -qx active "$home/excluded.log" || fail "the excluded window did not get the keyboard"
copy "copied in an excluded application"
kill "$excluded_pid"
# Past the grace period that follows an excluded application.
sleep 1.5
copy "copied after the excluded application"
eventually stored '"text":"copied after the excluded application"' || fail "the copy after the excluded window not stored"
stored "copied in an excluded application" && fail "a copy made in an excluded application was stored"
echo "ok, through $protocol"
