#!/usr/bin/env bash
# A real password tool beside the real executable: `keepassxc-cli clip`
# copies a password (through xclip on X11, wl-copy on Wayland) and empties
# the clipboard after its timeout; a pass-like script puts back the copy
# from before. Neither password is left in the history or was ever in its
# folder on disk, also after a restart, while the user's own copies stay.
#
# The first argument picks the session: x11 (the X server scripts/test
# starts) or wayland (its headless sway).
set -euo pipefail
session=$1
velloq=$2
source "$(dirname "$0")/session.sh"
command -v keepassxc-cli >/dev/null || fail "needs keepassxc-cli (Debian package keepassxc)"
case $session in
  x11)
    [[ -n ${DISPLAY:-} ]] || fail "needs the X server that scripts/test starts"
    unset WAYLAND_DISPLAY
    copy() { printf '%s' "$1" | xclip -selection clipboard >/dev/null 2>&1; }
    clipboard() { xclip -o -selection clipboard 2>/dev/null; }
    ;;
  wayland)
    [[ -n ${VELLOQ_TEST_WAYLAND_DISPLAY:-} ]] || fail "needs the headless sway that scripts/test starts"
    export WAYLAND_DISPLAY=$VELLOQ_TEST_WAYLAND_DISPLAY
    unset DISPLAY
    # Marks every wl-copy, the tool's too, so that they go with the test.
    export VELLOQ_TEST_COPY=$home
    copy() { timeout 10 wl-copy -- "$1" 2>/dev/null || fail "wl-copy failed"; }
    clipboard() { wl-paste -n 2>/dev/null; }
    trap 'kill $(own_copies) 2>/dev/null || true; cleanup' EXIT
    ;;
  *) fail "no such session: $session" ;;
esac
unset QT_QPA_PLATFORM
json() { "$velloq" list --json; }
has() { json | grep -qF "\"text\":\"$1\""; }
lacks() { ! has "$1"; }
data=$XDG_DATA_HOME/Velloq
# Nothing under Velloq's folder, history or any other file, ever held it.
never_on_disk() { ! grep -rqF "$1" "$data" 2>/dev/null; }
run_velloq() {
  (exec "$velloq" -SkipOnboarding) 2>>"$home/velloq.log" &
  app=$!
  pids+=("$app")
  eventually grep -q "watching the clipboard" "$home/velloq.log" || fail "Velloq did not start"
}
stop_velloq() {
  kill -TERM "$app"
  wait "$app" 2>/dev/null || true
  : >"$home/velloq.log"
}

vault=$home/vault.kdbx
printf 'master\nmaster\n' | keepassxc-cli db-create -q -p -t 100 "$vault" >/dev/null ||
  fail "keepassxc-cli could not make a database"
printf 'master\nVault-Secret-42\n' | keepassxc-cli add -q -p "$vault" mail >/dev/null ||
  fail "keepassxc-cli could not add an entry"

run_velloq
copy "$(printf 'copied before the tool,\nin two lines')"
eventually has "copied before the tool,\\nin two lines" || fail "an ordinary copy was not stored: $(json)"

# keepassxc-cli clip: the password, then an empty clipboard after 2 s.
printf 'master\n' | keepassxc-cli clip -q "$vault" mail 2 >/dev/null &
tool=$!
pids+=("$tool")
eventually has "Vault-Secret-42" || fail "the tool's copy was not seen: $(json)"
never_on_disk "Vault-Secret-42" || fail "the tool's copy was written before its time was up"
wait "$tool" || fail "keepassxc-cli clip failed"
eventually lacks "Vault-Secret-42" || fail "the password stayed after the tool emptied the clipboard: $(json)"
has "copied before the tool,\\nin two lines" || fail "the copy before the password went too: $(json)"

# As pass -c does: remember the clipboard, copy the password, copy back
# what was there.
copy "$(printf 'copied before pass,\nin two lines')"
eventually has "copied before pass,\\nin two lines" || fail "the copy before pass was not stored"
before=$(clipboard)
copy "pass-Secret-7"
eventually has "pass-Secret-7" || fail "the pass-like copy was not seen: $(json)"
copy "$before"
eventually lacks "pass-Secret-7" || fail "the password stayed after the earlier copy came back: $(json)"

# The user's own copies, one after another, stay.
copy "the user's first copy"
eventually has "the user's first copy" || fail "the user's copy was not stored: $(json)"
copy "the user's second copy"
eventually has "the user's second copy" || fail "the user's next copy was not stored: $(json)"
has "the user's first copy" || fail "the copy before the user's next one was lost: $(json)"

stop_velloq
for secret in Vault-Secret-42 pass-Secret-7; do
  never_on_disk "$secret" || fail "$secret reached Velloq's folder"
done
run_velloq
for secret in Vault-Secret-42 pass-Secret-7; do
  lacks "$secret" || fail "$secret came back after a restart: $(json)"
done
for kept in "copied before the tool,\\nin two lines" "copied before pass,\\nin two lines"; do
  has "$kept" || fail "\"$kept\" was lost across the restart: $(json)"
done
echo "password tools: passed"
