#!/usr/bin/env bash
# The real executable on the test display, with its own data, settings and
# runtime folders: copies made by other clients land in the history with the
# application in front, secrets and copies from password managers do not,
# the command line goes through the running Velloq, a pick pastes into the
# focused window without being captured again, and SIGTERM ends it cleanly.
# A copy made the moment `velloq list` first answers is recorded. A picture,
# which the history keeps in its file only, reads back byte for byte, also
# after a restart.
set -euo pipefail
velloq=$1
owner=$2
window=$3
target=$4
source "$(dirname "$0")/session.sh"
json() { "$velloq" list --json; }
stored() { json | grep -q "\"text\":\"$1\""; }
copy() { printf '%s' "$1" | xclip -selection clipboard >/dev/null 2>&1; }

[[ -n "${DISPLAY:-}" ]] || fail "needs the X server that scripts/test starts"
# As a login script does: start Velloq, wait for the command line to answer,
# copy at once. A command answers only through a Velloq that is watching.
"$velloq" -SkipOnboarding 2>"$home/velloq.log" &
app=$!
pids+=("$app")
eventually "$velloq" list >/dev/null || fail "velloq list did not answer"
copy "copied at start-up"
sleep 0.1
# A 2×2 PNG, as a screenshot tool copies one.
picture=$home/start-up.png
base64 -d >"$picture" <<<'iVBORw0KGgoAAAANSUhEUgAAAAIAAAACCAIAAAD91JpzAAAAEElEQVR4nGP4zwAE/xkgFAAb8gP91pbyKwAAAABJRU5ErkJggg=='
xclip -selection clipboard -t image/png -i "$picture" >/dev/null 2>&1
grep -q "watching the clipboard" "$home/velloq.log" || fail "velloq list answered before Velloq watched"
eventually stored "copied at start-up" || fail "a copy made as velloq list first answered was lost: $(json)"
eventually grep -q '"kind":"image"' < <(json) || fail "a picture copied at start-up was lost: $(json)"

# A photo-like picture (noise, which does not compress), pinned so that it
# outlives the trimming below.
photo=$home/photo.png
python3 - "$photo" <<'PY'
import random, struct, sys, zlib
width = height = 400
rows = b"".join(b"\0" + random.Random(row).randbytes(width * 3) for row in range(height))
def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
open(sys.argv[1], "wb").write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
                              + chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b""))
PY
xclip -selection clipboard -t image/png -i "$photo" >/dev/null 2>&1
two_pictures() { [[ $(json | grep -o '"kind":"image"' | wc -l) == 2 ]]; }
eventually two_pictures || fail "the photo was not stored: $(json)"
photo_id=$(json | tr '}' '\n' | grep -m1 '"kind":"image"' | grep -o '"id":"[^"]*"' | cut -d'"' -f4)
"$velloq" pin "$photo_id" >/dev/null || fail "pinning the photo failed"
copied_back() {
  "$velloq" copy "$photo_id" >/dev/null &&
    eventually cmp -s "$photo" <(xclip -o -selection clipboard -t image/png 2>/dev/null)
}
copied_back || fail "the photo did not read back byte for byte"

"$velloq" || fail "a second launch did not exit 0"
kill -0 "$app" || fail "the first Velloq went away"

editor=$(start "$window" editor Editor --gtk-application-id org.example.Editor)
xdotool windowactivate --sync "$editor"
copy "typed in the editor"
eventually stored "typed in the editor" || fail "copy from xclip not stored"
json | grep -q '"sourceBundleID":"org.example.Editor","isPinned":false,"kind":"text","text":"typed in the editor"' \
  || fail "copy not attributed to the editor: $(json)"

start "$owner" UTF8_STRING=hunter2 x-kde-passwordManagerHint=secret >/dev/null
copy "after the secret"
eventually stored "after the secret" || fail "copy after the secret not stored"
stored hunter2 && fail "a copy marked secret was stored"

# Each copy is read when the clipboard announces it: two copies 50 ms apart
# are two entries.
copy "quick one"
sleep 0.05
copy "quick two"
eventually stored "quick two" || fail "the second of two quick copies not stored"
stored "quick one" || fail "the first of two copies 50 ms apart was merged away"

# An owner that never answers and keeps taking the clipboard anew must not
# hold up the command line: reading it is never the main thread's business.
start "$owner" --silent --retake-every 300 UTF8_STRING=never-sent >/dev/null
for _ in 1 2 3 4 5 6 7 8; do
  began=$(date +%s%N)
  json >/dev/null || fail "list failed while an owner never answered"
  took=$(( ($(date +%s%N) - began) / 1000000 ))
  (( took < 800 )) || fail "list took $took ms while an owner never answered"
  sleep 0.2
done

keepass=$(start "$window" keepassxc KeePassXC)
xdotool windowactivate --sync "$keepass"
copy "from the password manager"
# Time for the copy to be seen while KeePassXC is in front.
sleep 0.7
xdotool windowactivate --sync "$editor"
copy "just after leaving it"
# The second of grace after leaving it has to pass.
sleep 1.3
copy "a while after leaving it"
eventually stored "a while after leaving it" || fail "copy after the grace second not stored"
stored "from the password manager" && fail "a copy made in KeePassXC was stored"
stored "just after leaving it" && fail "a copy within a second of leaving KeePassXC was stored"

printf "through the instance" | "$velloq" add >/dev/null || fail "add through the instance failed"
stored "through the instance" || fail "add through the instance not in the list"

field=$(start "$target")
xdotool windowactivate --sync "$field"
before=$(json | grep -o '"id"' | wc -l)
id=$(json | tr '}' '\n' | grep '"text":"typed in the editor"' | grep -o '"id":"[^"]*"' | cut -d'"' -f4)
[[ -n $id ]] || fail "no id for the editor's copy"
"$velloq" paste "$id" || fail "paste failed"
eventually grep -q "text: typed in the editor" "$home"/helper-* || fail "the target did not receive the paste"
# Copies are taken in order: once a later copy is stored, Velloq has seen
# its own write too.
copy "after the paste"
eventually stored "after the paste" || fail "the copy after the paste was not stored"
[[ $(json | grep -o '"id"' | wc -l) == $((before + 1)) ]] || fail "Velloq captured its own paste"

# A browser's copy: HTML beside plain text. It is kept as rich text and
# pastes formatted into a rich-text editor.
start "$owner" "text/html=<meta charset='utf-8'><p>Some <b>strong</b> and <i>slanted</i> words</p>" \
  "UTF8_STRING=Some strong and slanted words" >/dev/null
rich_stored() { json | grep -q '"kind":"richText"'; }
eventually rich_stored || fail "a copy offering HTML was not kept as rich text: $(json)"
rich=$(json | tr '}' '\n' | grep '"kind":"richText"' | grep -o '"id":"[^"]*"' | cut -d'"' -f4)
editor_log=$home/rich-editor.log
"$target" --rich >"$editor_log" 2>/dev/null &
pids+=($!)
eventually test -s "$editor_log" || fail "the rich-text editor did not start"
xdotool windowactivate --sync "$(head -n 1 "$editor_log")"
"$velloq" paste "$rich" || fail "paste of the rich text failed"
eventually grep -qx "bold: strong" "$editor_log" || fail "the editor did not get bold text: $(tail -n 3 "$editor_log")"
grep -qx "italic: slanted" "$editor_log" || fail "the editor did not get italic text: $(tail -n 3 "$editor_log")"
grep -qx "text: Some strong and slanted words" "$editor_log" || fail "the editor got other words: $(tail -n 3 "$editor_log")"
# As plain text the same entry arrives without its formatting.
"$velloq" paste --plain "$rich" || fail "plain paste of the rich text failed"
twice="text: Some strong and slanted wordsSome strong and slanted words"
eventually grep -qx "$twice" "$editor_log" || fail "the plain paste did not arrive: $(tail -n 3 "$editor_log")"
[[ $(grep '^bold: ' "$editor_log" | tail -n 1) == "bold: strong" ]] || fail "the plain paste was formatted: $(tail -n 3 "$editor_log")"

for i in $(seq 1 12); do echo "entry $i" | "$velloq" add >/dev/null; done
printf '{"historyLimit": 9}' >"$XDG_CONFIG_HOME/Velloq/settings.json.new"
mv "$XDG_CONFIG_HOME/Velloq/settings.json.new" "$XDG_CONFIG_HOME/Velloq/settings.json"
nine() { [[ $(json | grep -o '"isPinned":false' | wc -l) == 9 ]]; }
eventually nine || fail "changing historyLimit to 9 did not trim: $(json | grep -o '"isPinned":false' | wc -l) left"

kill -TERM "$app"
wait "$app" || fail "Velloq did not exit cleanly on SIGTERM"
echo "offline" | "$velloq" add >/dev/null || fail "history still locked after exit"
for i in 1 2 3; do echo "offline $i" | "$velloq" add >/dev/null; done
nine || fail "adds made without Velloq running ignored historyLimit"
env -u XDG_RUNTIME_DIR "$velloq" list >/dev/null 2>"$home/list.noise"
[[ ! -s "$home/list.noise" ]] || fail "a command printed more than its own output: $(cat "$home/list.noise")"

# Started again, Velloq reads the photo from its file, whole.
"$velloq" -SkipOnboarding 2>>"$home/velloq.log" &
app=$!
pids+=("$app")
eventually "$velloq" copy "$photo_id" >/dev/null || fail "the restarted Velloq did not answer"
copied_back || fail "after a restart the photo did not read back byte for byte"
kill -TERM "$app"
wait "$app" || fail "the restarted Velloq did not exit cleanly on SIGTERM"
echo "end-to-end test passed"
