# Shared by the steps of tests/run_all.sh. A step runs with JPCP_ROOT (the
# source tree) and JPCP_STEP_COUNTS (where it leaves "passed failed skipped")
# in its environment; its exit status says whether it passed.
set -uo pipefail
root=${JPCP_ROOT:?run the steps through tests/run_all.sh}
jobs=$(nproc 2>/dev/null || echo 2)

# Leaves the step's counts for run_all.sh.
report_counts() { printf '%s %s %s\n' "$1" "$2" "${3:-0}" >"${JPCP_STEP_COUNTS:-/dev/null}"; }

# Counts of a ctest run from its closing line, e.g.
# "100% tests passed, 0 tests failed out of 248".
count_ctest() {
  local line total failed
  line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$1" | tail -n 1)
  [ -n "$line" ] || { report_counts 0 0; return; }
  failed=$(sed -E 's/.* ([0-9]+) tests? failed.*/\1/' <<<"$line")
  total=$(sed -E 's/.*out of ([0-9]+).*/\1/' <<<"$line")
  report_counts $((total - failed)) "$failed"
}

# Configures and builds a CMake tree, then runs its tests through ctest.
#   cmake_build_and_test BUILD_DIR [cmake options...]
cmake_build_and_test() {
  local build=$1 out status
  shift
  cmake -S "$root" -B "$build" "$@" || return 1
  cmake --build "$build" -j"$jobs" || return 1
  out=$(mktemp)
  ctest --test-dir "$build" --output-on-failure -j"$jobs" 2>&1 | tee "$out"
  status=${PIPESTATUS[0]}
  count_ctest "$out"
  rm -f "$out"
  return "$status"
}
