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
  local socket
  socket=$(compositor_socket "$test_compositor_home" "$test_compositor_pid") || {
    echo "the Wayland compositor did not start: $(tail -n 3 "$test_compositor_home/sway.log")" >&2
    return 1
  }
  export VELLOQ_TEST_WAYLAND_DISPLAY=$socket
}

# compositor_socket FOLDER PID: prints the path of the socket the compositor
# PID makes in FOLDER, once it is there (up to ten seconds); fails when the
# compositor ends first.
compositor_socket() {
  local tries socket
  for tries in $(seq 1 200); do
    socket=$(find "$1" -maxdepth 1 -type s -name 'wayland-*' | head -n 1)
    if [[ -n $socket ]]; then
      echo "$socket"
      return 0
    fi
    kill -0 "$2" 2>/dev/null || break
    sleep 0.05
  done
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

# The compositors of the Debian testing tree that scripts/desktops makes:
# KWin, and a sway newer than the host's. Each runs as nobody, chrooted in
# a mount namespace of its own (so its /proc, /dev and /sys mounts go with
# it), with its runtime folder under the tree's /run; host programs reach
# its socket by that folder's path. The runtime folder is also its home, so
# a test can install desktop entries where KWin looks for them.
tree_compositor_pids=()
tree_compositor_runs=()

# start_tree_compositor ROOT NAME VARIABLE: starts NAME (kwin, sway or
# gnome) and exports VARIABLE as its socket's path and VARIABLE_HOME as its
# home; for gnome also VARIABLE_BUS, the address of its session bus.
# VELLOQ_TEST_COMPOSITOR_LOGGING becomes its QT_LOGGING_RULES, e.g.
# "KWIN_UTILS.debug=true;kwin_core.debug=true" to see KWin's permission
# checks in compositor.log.
start_tree_compositor() {
  local root=$1 name=$2 variable=$3 run inside socket command
  mkdir -p "$root/run"
  run=$(mktemp -d "$root/run/velloq-$name-XXXXXX")
  chown nobody:nogroup "$run"
  chmod 700 "$run"
  inside=${run#"$root"}
  case $name in
    kwin)
      # Focus-stealing prevention at its strictest: a window shown while
      # another is active gets the keyboard only with an activation token,
      # so the tests show that Velloq's overlay uses the one it is handed.
      mkdir -p "$run/.config"
      printf '[Windows]\nFocusStealingPreventionLevel=4\n' >"$run/.config/kwinrc"
      chown -R nobody:nogroup "$run/.config"
      command=(dbus-run-session -- kwin_wayland --virtual --no-lockscreen
        --socket wayland-velloq --width 1920 --height 1080) ;;
    gnome)
      # The Shell as a user session has it: a session bus at a known path
      # (host programs of the same user reach it there), Velloq's extension
      # installed and turned on before the Shell starts, and a stand-in
      # system bus, without which it does not start.
      mkdir -p "$run/.local/share/gnome-shell/extensions"
      cp -r "$(dirname "${BASH_SOURCE[0]}")/../../gnome-shell/velloq@tarnbrooksoftware.com" \
        "$run/.local/share/gnome-shell/extensions/"
      chown -R nobody:nogroup "$run/.local"
      command=(sh -c '
        dbus-daemon --session --nofork --address="unix:path=$HOME/system-bus" &
        dbus-daemon --session --nofork --address="unix:path=$HOME/bus" &
        export DBUS_SYSTEM_BUS_ADDRESS="unix:path=$HOME/system-bus"
        export DBUS_SESSION_BUS_ADDRESS="unix:path=$HOME/bus"
        while [ ! -S "$HOME/bus" ] || [ ! -S "$HOME/system-bus" ]; do sleep 0.05; done
        gsettings set org.gnome.shell disable-user-extensions false &&
          gsettings set org.gnome.shell enabled-extensions "[\"velloq@tarnbrooksoftware.com\"]" ||
          exit 1
        exec gnome-shell --headless --wayland --no-x11 --wayland-display wayland-gnome \
          --virtual-monitor 1920x1080') ;;
    sway)
      : >"$run/config"
      command=(env WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman
        sway -c "$inside/config") ;;
  esac
  setsid unshare --mount --propagation private -- sh -c '
    root=$1; shift
    for folder in proc dev sys; do mount --rbind "/$folder" "$root/$folder" || exit 1; done
    exec chroot "$root" "$@"' sh "$root" \
    setpriv --reuid=nobody --regid=nogroup --clear-groups \
    env -i PATH=/usr/bin:/bin HOME="$inside" XDG_RUNTIME_DIR="$inside" LANG=C.UTF-8 \
    ${VELLOQ_TEST_COMPOSITOR_LOGGING:+QT_LOGGING_RULES="$VELLOQ_TEST_COMPOSITOR_LOGGING"} \
    "${command[@]}" >"$run/compositor.log" 2>&1 &
  tree_compositor_pids+=($!)
  tree_compositor_runs+=("$run")
  socket=$(compositor_socket "$run" "${tree_compositor_pids[-1]}") || {
    echo "$name from the testing tree did not start: $(tail -n 3 "$run/compositor.log")" >&2
    return 1
  }
  export "$variable=$socket" "${variable}_HOME=$run"
  [[ $name != gnome ]] || export "${variable}_BUS=unix:path=$run/bus"
}

stop_tree_compositors() {
  local pid run
  for pid in "${tree_compositor_pids[@]}"; do
    kill -- "-$pid" 2>/dev/null || true
  done
  for pid in "${tree_compositor_pids[@]}"; do
    wait "$pid" 2>/dev/null || true
  done
  for run in "${tree_compositor_runs[@]}"; do
    rm -rf "$run"
  done
  tree_compositor_pids=()
  tree_compositor_runs=()
  unset VELLOQ_TEST_KWIN_DISPLAY VELLOQ_TEST_KWIN_DISPLAY_HOME \
    VELLOQ_TEST_SWAY_DISPLAY VELLOQ_TEST_SWAY_DISPLAY_HOME \
    VELLOQ_TEST_GNOME_DISPLAY VELLOQ_TEST_GNOME_DISPLAY_HOME VELLOQ_TEST_GNOME_DISPLAY_BUS
}
