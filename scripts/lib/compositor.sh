# Starts and stops a private headless Wayland compositor (sway) for tests.
# Sway refuses to run as root, so it runs as nobody in a runtime folder of
# its own. VELLOQ_TEST_WAYLAND_DISPLAY names its socket by full path, which
# clients of any user (the tests run as root) can reach; it is not
# WAYLAND_DISPLAY, so that the X11 tests' programs do not take the Wayland
# session for theirs. Sourced by the scripts.

test_compositor_pid=""
test_compositor_home=""

start_test_compositor() {
  test_compositor_home=$(mktemp -d)
  chown nobody:nogroup "$test_compositor_home"
  chmod 700 "$test_compositor_home"
  # An empty configuration: no bar, no key bindings of sway's own.
  : >"$test_compositor_home/config"
  setpriv --reuid=nobody --regid=nogroup --clear-groups \
    env -i PATH=/usr/bin:/bin HOME="$test_compositor_home" XDG_RUNTIME_DIR="$test_compositor_home" \
    WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman \
    sway -c "$test_compositor_home/config" >"$test_compositor_home/sway.log" 2>&1 &
  test_compositor_pid=$!
  local tries socket
  for tries in $(seq 1 200); do
    socket=$(find "$test_compositor_home" -maxdepth 1 -type s -name 'wayland-*' | head -n 1)
    if [[ -n $socket ]]; then
      export VELLOQ_TEST_WAYLAND_DISPLAY=$socket
      return 0
    fi
    kill -0 "$test_compositor_pid" 2>/dev/null || break
    sleep 0.05
  done
  echo "the Wayland compositor did not start: $(tail -n 3 "$test_compositor_home/sway.log")" >&2
  return 1
}

stop_test_compositor() {
  [[ -n $test_compositor_pid ]] && kill "$test_compositor_pid" 2>/dev/null
  wait "$test_compositor_pid" 2>/dev/null || true
  # Clipboard sources such as wl-copy stay behind as the compositor's user.
  pkill -u nobody -x wl-copy 2>/dev/null || true
  [[ -n $test_compositor_home ]] && rm -rf "$test_compositor_home"
  test_compositor_pid=""
  unset VELLOQ_TEST_WAYLAND_DISPLAY
}
