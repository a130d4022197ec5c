#!/usr/bin/env bash
# The README's test command: installs what the machine lacks, then runs each
# step in tests/steps/ in name order (optimised build, sanitizer build, and
# whatever else has a step there). Each step's output goes to a log in
# build-logs/ that is printed only when the step fails; the run ends with one
# line per step and a total line "N passed, M failed".
#
# Exit status: 0 when every step passed, 1 otherwise.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/install-deps.sh" tests || exit 1

logs="$root/build-logs"
mkdir -p "$logs"
summary=()
total_passed=0
total_failed=0
started=$(date +%s)

for step in "$root"/tests/steps/[0-9]*.sh; do
  name=$(basename "$step" .sh)
  name=${name#*-}
  log="$logs/$name.log"
  counts="$logs/$name.counts"
  rm -f "$counts"
  printf '== %s (log: %s)\n' "$name" "${log#"$root"/}"
  step_start=$(date +%s)
  JPCP_ROOT="$root" JPCP_STEP_COUNTS="$counts" bash "$step" >"$log" 2>&1
  status=$?
  passed=0 failed=0 skipped=0
  [ -f "$counts" ] && read -r passed failed skipped <"$counts"
  skipped=${skipped:-0}
  # A step that failed without counting a failed test still failed.
  if [ "$status" -ne 0 ] && [ "$failed" -eq 0 ]; then failed=1; fi
  line="$name: $passed tests, $failed failed"
  [ "$skipped" -gt 0 ] && line+=", $skipped skipped"
  [ "$status" -ne 0 ] && line+=" (exit status $status)"
  line+=" in $(($(date +%s) - step_start)) s"
  if [ "$status" -ne 0 ]; then
    printf '%s\n' "---- $name failed; its log follows ----"
    cat "$log"
    printf '%s\n' "---- end of the $name log ----"
  fi
  printf '%s\n' "$line"
  summary+=("$line")
  total_passed=$((total_passed + passed))
  total_failed=$((total_failed + failed))
done

printf '\n== Summary (%d s)\n' "$(($(date +%s) - started))"
printf '%s\n' "${summary[@]}"
printf '%d passed, %d failed\n' "$total_passed" "$total_failed"
[ "$total_failed" -eq 0 ]
