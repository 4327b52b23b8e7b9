#!/usr/bin/env bash
# kill -9 at random moments: of offline writers while they save a large
# history, and of the running Velloq while adds stream in through it. After
# every kill the history must read back whole, and the latest add that
# printed its id must be in it. VELLOQ_KILLS sets the number of kills of each
# kind (10 unless set).
set -euo pipefail
velloq=$1
kills=${VELLOQ_KILLS:-10}
source "$(dirname "$0")/session.sh"
data=$XDG_DATA_HOME/Velloq
json() { "$velloq" list --json 2>"$home/list.err"; }
readable() {
  json >"$home/list.json" || fail "the history cannot be listed after a kill"
  [[ ! -s "$home/list.err" ]] || fail "the history did not read back: $(cat "$home/list.err")"
}
holds() { grep -q "\"text\":\"$1\"" "$home/list.json"; }
# Sleeps 0 to 49 ms.
pause() { sleep "0.0$((RANDOM % 5))$((RANDOM % 10))"; }

# A large history: 5,000 pinned entries of 200 bytes (about 1.3 MB).
mkdir -p "$data"
chmod 700 "$XDG_DATA_HOME" "$data"
awk 'BEGIN {
  printf "{\"items\":["
  for (i = 0; i < 5000; i++)
    printf "%s{\"id\":\"00000000-0000-4000-8000-%012d\",\"capturedAt\":%d,\"isPinned\":true,\"kind\":\"text\",\"text\":\"pinned %d %0190d\"}", (i ? "," : ""), i, 1000 + i, i, 0
  printf "]}"
}' >"$data/items.json"

acknowledged=""
for round in $(seq 1 "$kills"); do
  printf 'offline %s' "$round" | "$velloq" add >"$home/add.out" 2>/dev/null &
  writer=$!
  pause
  kill -9 "$writer" 2>/dev/null || true
  wait "$writer" 2>/dev/null || true
  [[ -s "$home/add.out" ]] && acknowledged="offline $round"
  readable
  [[ -z "$acknowledged" ]] || holds "$acknowledged" || fail "'$acknowledged' was acknowledged, then lost"
done
[[ $(grep -o '"isPinned":true' "$home/list.json" | wc -l) == 5000 ]] || fail "pinned entries lost"

starts=0
started() { [[ $(grep -c "watching the clipboard" "$home/velloq.log") -ge $starts ]]; }
start_velloq() {
  starts=$((starts + 1))
  "$velloq" -SkipOnboarding 2>>"$home/velloq.log" &
  app=$!
  eventually started || fail "Velloq did not start again: $(tail -n 3 "$home/velloq.log")"
}
touch "$home/velloq.log"
[[ -n "${DISPLAY:-}" ]] || fail "needs the X server that scripts/test starts"
# A history command saving offline holds the lock for a moment: a launch at
# that moment waits for it instead of calling itself already running.
sleep 1 &
printf '%s\nsleep\n%s\n' "$!" "$(hostname)" >"$data/.lock"
start_velloq
grep -q "already running" "$home/velloq.log" && fail "a launch gave up on a lock held for a moment"
for round in $(seq 1 "$kills"); do
  (
    for n in $(seq 1 50); do
      kill -0 "$app" 2>/dev/null || exit 0
      id=$(printf 'running %s-%s' "$round" "$n" | "$velloq" add 2>/dev/null) || exit 0
      [[ -n $id ]] && echo "running $round-$n" >"$home/acknowledged"
    done
  ) &
  stream=$!
  pause
  pause
  kill -9 "$app"
  wait "$app" 2>/dev/null || true
  wait "$stream" 2>/dev/null || true
  start_velloq
  readable
  if [[ -s "$home/acknowledged" ]]; then
    holds "$(cat "$home/acknowledged")" || fail "'$(cat "$home/acknowledged")' was acknowledged, then lost"
  fi
done
kill "$app"
wait "$app" 2>/dev/null || true
echo "kill safety: $kills offline writers and $kills running Velloqs killed; nothing acknowledged was lost"
