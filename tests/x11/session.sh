# Shared by the end-to-end scripts: private data, settings and runtime
# folders for one Velloq, helper processes stopped at exit, and polling.
home=$(mktemp -d)
export XDG_DATA_HOME=$home/data XDG_CONFIG_HOME=$home/config XDG_RUNTIME_DIR=$home/run
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$home"
}
trap cleanup EXIT
# What Velloq said last helps to tell a slow machine from a fault.
fail() {
  echo "FAIL: $*" >&2
  [[ -s $home/velloq.log ]] && tail -n 5 "$home/velloq.log" >&2
  exit 1
}
# Polls a command until it succeeds, for up to fifteen seconds (sanitizer
# builds start slowly).
eventually() {
  for _ in $(seq 1 300); do "$@" && return 0; sleep 0.05; done
  return 1
}
# Starts a helper and waits for its first line (its window id, or "ready").
start() {
  local log=$home/helper-$RANDOM
  "$@" >"$log" 2>/dev/null &
  pids+=($!)
  eventually test -s "$log" || fail "helper $1 did not start"
  head -n 1 "$log"
}
# This test's wl-copy processes, the newest last: those started with
# VELLOQ_TEST_COPY=$home in their environment. wl-copy stays to serve its
# copy; tests on other compositors run beside this one.
own_copies() {
  local pid
  for pid in $(pgrep -x wl-copy); do
    grep -qzx "VELLOQ_TEST_COPY=$home" "/proc/$pid/environ" 2>/dev/null && echo "$pid"
  done
  # Another test's copy checked last is no failure.
  return 0
}
