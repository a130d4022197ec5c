#!/usr/bin/env bash
# Times whole runs of jpcp_cracking on generated example sections with the
# demonstration models, on one core: design lives of 10, 20 and 40 years
# (cost should grow linearly), a one-case and a two-case (bonded) section,
# wall time and peak memory.
# Usage: bench/cracking_run.sh [BUILD_FOLDER] [RUNS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
runs=${2:-3}
for tool in jpcp_cracking jpcp_example jpcp_models; do
  [ -x "$build/$tool" ] || { echo "no $build/$tool: build the project first" >&2; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/jpcp_models" demo-cracking "$work/models" >/dev/null

run_case() {
  local label=$1
  shift
  local section=$work/$label
  "$build/jpcp_example" cracking "$section" "$@" >/dev/null
  mkdir -p "$section/results"
  local best=""
  local memory=0
  for ((r = 1; r <= runs; r++)); do
    local report
    report=$( { /usr/bin/time -f '%e %M' taskset -c 0 "$build/jpcp_cracking" "$section" "$section/results" \
      "$work/models" >/dev/null; } 2>&1 | tail -n 1)
    if [ -f "$section/results/JPCP Errors.txt" ]; then
      echo "$label: the run reported an error:" >&2
      cat "$section/results/JPCP Errors.txt" >&2
      exit 1
    fi
    local seconds=${report% *}
    memory=${report#* }
    if [ -z "$best" ] || [ "$(echo "$seconds < $best" | bc -l)" = 1 ]; then best=$seconds; fi
  done
  printf '%-28s best of %d: %6.2f s, peak memory %6.1f MB\n' "$label" "$runs" "$best" "$(echo "$memory / 1024" | bc -l)"
}

run_case "one-case, 10 years" --design-life 10
run_case "one-case, 20 years" --design-life 20
run_case "one-case, 40 years" --design-life 40
run_case "two-case, 20 years" --design-life 20 --base asphalt --bond-months 60
