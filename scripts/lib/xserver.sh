# Starts and stops a private X server (Xvfb) with a window manager (openbox)
# for tests and for running Velloq where no display exists. Sourced by the
# scripts; never assumes a display is already there.

test_display_pids=()

start_test_display() {
  local n
  for n in $(seq 90 140); do
    [[ -e /tmp/.X11-unix/X$n || -e /tmp/.X$n-lock ]] && continue
    # -noreset: a server that resets when its last client leaves (the probe
    # below) refuses the next connection for a moment.
    Xvfb ":$n" -screen 0 1920x1080x24 -nolisten tcp -noreset >/dev/null 2>&1 &
    test_display_pids+=($!)
    export DISPLAY=":$n"
    local tries
    for tries in $(seq 1 100); do
      if xdpyinfo >/dev/null 2>&1; then
        openbox >/dev/null 2>&1 &
        test_display_pids+=($!)
        # Tests that activate windows need the window manager running.
        for tries in $(seq 1 100); do
          xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && return 0
          sleep 0.05
        done
        echo "the window manager did not start" >&2
        return 1
      fi
      kill -0 "${test_display_pids[-1]}" 2>/dev/null || break
      sleep 0.05
    done
    stop_test_display
  done
  echo "could not start Xvfb" >&2
  return 1
}

stop_test_display() {
  local pid
  for pid in "${test_display_pids[@]}"; do
    kill "$pid" 2>/dev/null || true
  done
  for pid in "${test_display_pids[@]}"; do
    wait "$pid" 2>/dev/null || true
  done
  test_display_pids=()
}
