#!/usr/bin/env bash
# Whole runs against their parse floor: jpcp_cracking on a one-case and a
# two-case (bonded) 20-year example section and jpcp_faulting on a 20-year
# example section, all with the demonstration models, on one core. For each
# case: the minimum wall time of RUNS runs, the minimum of RUNS runs of
# parse_floor over the same input and model files (every number converted
# once with std::from_chars, nothing else), their ratio and the run's peak
# memory; with valgrind present also the instruction counts of one run and
# of one floor run (repeatable on a loaded machine, unlike wall times).
#
# The floor reads the files the run opened for reading (found with strace
# when it is there; otherwise every file of the section and model folders,
# which overstates the floor of cracking, whose runs read some model files
# only).
#
# Usage: bench/whole_runs.sh [BUILD_FOLDER] [RUNS] [COUNT]
# (COUNT 0 skips the instruction counts).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
runs=${2:-5}
count=${3:-1}
for tool in jpcp_cracking jpcp_faulting jpcp_example jpcp_models parse_floor; do
  [ -x "$build/$tool" ] || { echo "no $build/$tool: build the project with its benchmarks first" >&2; exit 1; }
done
command -v valgrind >/dev/null || count=0

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/jpcp_example" cracking "$work/one" --design-life 20 >/dev/null
"$build/jpcp_example" cracking "$work/two" --design-life 20 --base asphalt --bond-months 60 >/dev/null
"$build/jpcp_example" faulting "$work/fault" --design-life 20 >/dev/null
"$build/jpcp_models" demo-cracking "$work/crack_models" >/dev/null
"$build/jpcp_models" demo-faulting "$work/fault_models" >/dev/null
mkdir -p "$work/one/results" "$work/two/results"

# seconds COMMAND...: wall seconds of one run on core 0, output discarded.
seconds() {
  local start end
  start=$(date +%s.%N)
  taskset -c 0 "$@" >/dev/null
  end=$(date +%s.%N)
  echo "$end - $start" | bc -l
}
# best RUNS COMMAND...: the minimum of RUNS wall times.
best() {
  local n=$1 r t min=""
  shift
  for ((r = 1; r <= n; r++)); do
    t=$(seconds "$@")
    if [ -z "$min" ] || [ "$(echo "$t < $min" | bc -l)" = 1 ]; then min=$t; fi
  done
  echo "$min"
}
# instructions COMMAND...: instructions of one run under callgrind.
instructions() {
  valgrind --tool=callgrind --callgrind-out-file=/dev/null "$@" 2>&1 >/dev/null |
    awk '/Collected :/ { print $NF }'
}
# input_files LOG FOLDER...: the existing files under the folders that the
# traced run opened read-only, or every file of the folders without a trace.
input_files() {
  local log=$1
  shift
  if [ -s "$log" ]; then
    grep -v -e ENOENT -e O_WRONLY -e O_RDWR "$log" | grep -o '"[^"]*"' | tr -d '"' | sort -u |
      while read -r file; do
        for folder in "$@"; do
          case $file in "$folder"/*) [ -f "$file" ] && echo "$file" ;; esac
        done
      done
  else
    find "$@" -maxdepth 1 -type f | sort
  fi
}

printf '%-22s %9s %9s %7s %10s %12s %12s\n' case "run s" "floor s" ratio "peak MB" "run instr" "floor instr"
measure() { # measure LABEL SECTION MODELS COMMAND...
  local label=$1 section=$2 models=$3
  shift 3
  local log=$work/trace.log
  rm -f "$log"
  if command -v strace >/dev/null; then
    strace -f -e trace=openat -o "$log" "$@" >/dev/null
  else
    "$@" >/dev/null
  fi
  local files
  mapfile -t files < <(input_files "$log" "$section" "$models")
  local peak
  peak=$( { /usr/bin/time -f '%M' "$@" >/dev/null; } 2>&1 | tail -n 1)
  local run floor
  run=$(best "$runs" "$@")
  floor=$(best "$runs" "$build/parse_floor" "${files[@]}")
  local run_count=- floor_count=-
  if [ "$count" != 0 ]; then
    run_count=$(instructions "$@")
    floor_count=$(instructions "$build/parse_floor" "${files[@]}")
  fi
  printf '%-22s %9.3f %9.3f %6.2fx %10.1f %12s %12s\n' "$label" "$run" "$floor" "$(echo "$run / $floor" | bc -l)" \
    "$(echo "$peak / 1024" | bc -l)" "$run_count" "$floor_count"
}

echo "runs: minimum of $runs on core 0; load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
measure "cracking one-case" "$work/one" "$work/crack_models" \
  "$build/jpcp_cracking" "$work/one" "$work/one/results" "$work/crack_models"
measure "cracking two-case" "$work/two" "$work/crack_models" \
  "$build/jpcp_cracking" "$work/two" "$work/two/results" "$work/crack_models"
measure "faulting" "$work/fault" "$work/fault_models" "$build/jpcp_faulting" "$work/fault" "$work/fault_models"
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
