# The phases of scripts/test, timed, and the table of them printed at the
# end. Sourced by scripts/test.

phase_rows=()
tests_passed=0
tests_failed=0

# run_phase NAME COMMAND...: runs COMMAND and notes how long it took, and
# what it says of itself in phase_detail. COMMAND runs where errexit does
# not apply, so the functions below check each step themselves.
run_phase() {
  local name=$1 start=$SECONDS status=0
  shift
  phase_detail=""
  "$@" || status=$?
  local outcome="ok"
  ((status == 0)) || outcome="failed ($status)"
  phase_rows+=("$(printf '%-16s %6ss  %-12s %s' "$name" $((SECONDS - start)) "$outcome" "$phase_detail")")
  return "$status"
}

start_test_displays() {
  start_test_display || return
  start_test_compositor
}

# The testing tree (made on the first run, about five minutes) and its
# compositors.
start_desktop_compositors() {
  local root
  root=$(bash scripts/desktops) || return
  start_tree_compositor "$root" kwin VELLOQ_TEST_KWIN_DISPLAY || return
  start_tree_compositor "$root" sway VELLOQ_TEST_SWAY_DISPLAY || return
  start_tree_compositor "$root" gnome VELLOQ_TEST_GNOME_DISPLAY || return
  local version
  version() { chroot "$root" dpkg-query -W -f '${Version}' "$1" | sed 's/^[0-9]*://'; }
  phase_detail="KWin $(version kwin-wayland), sway $(version sway), GNOME Shell $(version gnome-shell)"
}

# The compiler cache's hits and misses so far, as "HITS MISSES", read from
# the cache that the build's configuration names.
cache_counts() {
  local dir
  dir=$(sed -n 's/^VELLOQ_CCACHE_DIR:PATH=//p' "build/$1/CMakeCache.txt" 2>/dev/null)
  if [[ -z $dir ]] || ! command -v ccache >/dev/null; then
    echo "0 0"
    return
  fi
  CCACHE_DIR=$dir ccache --print-stats 2>/dev/null | awk '
    $1 == "direct_cache_hit" || $1 == "preprocessed_cache_hit" { hits += $2 }
    $1 == "cache_miss" { misses += $2 }
    END { print hits + 0, misses + 0 }'
}

build_preset() {
  local preset=$1 jobs=$2
  cmake --preset "$preset" >/dev/null || return
  local hits misses hits_after misses_after
  read -r hits misses < <(cache_counts "$preset")
  cmake --build --preset "$preset" --parallel "$jobs" || return
  read -r hits_after misses_after < <(cache_counts "$preset")
  phase_detail="compiler cache: $((hits_after - hits)) hits, $((misses_after - misses)) compiled"
}

test_preset() {
  local preset=$1 jobs=$2 log status=0
  log=$(mktemp)
  ctest --preset "$preset" --parallel "$jobs" 2>&1 | tee "$log" || status=$?
  # CTest closes with "N% tests passed, F tests failed out of T".
  local failed total
  read -r failed total < <(sed -nE 's/.*tests passed, ([0-9]+) tests? failed out of ([0-9]+).*/\1 \2/p' "$log")
  rm -f "$log"
  if [[ -n ${total:-} ]]; then
    tests_passed=$((tests_passed + total - failed))
    tests_failed=$((tests_failed + failed))
    phase_detail="$((total - failed)) of $total tests passed"
  fi
  return "$status"
}

print_phases() {
  ((${#phase_rows[@]} > 0)) || return 0
  echo
  echo "== phases =="
  printf '%s\n' "${phase_rows[@]}"
  printf '%-16s %6ss\n' "total" "$SECONDS"
  echo "tests: $tests_passed passed, $tests_failed failed"
}
