#!/usr/bin/env bash
# Throughput of `jpcp batch run` against the programs run one after the
# other: a Latin-hypercube study of CASES (200) cases of a 20-year section,
# each a jpcp_cracking and a jpcp_faulting run, through GNU parallel with
# -j JOBS (2); the reference is the single-process rate: LOOP_CASES (50)
# of the study's own cases (its first rows: the Latin hypercube's rows come
# in random order) run in a plain loop, one program after the other in one
# shell, before and after the study; the pooled rate of the two loops is
# used, and a warning says when they differ by more than 10 % (the machine
# was not quiet). The study's time is that of the whole `jpcp batch run`:
# preparation, runs, summary.csv and report.html. The figure to watch is
#   efficiency = study rate / (JOBS x loop rate)
# which is 1 when the runner costs nothing and the cores scale perfectly.
# The CPU time per case (programs, runner, parallel, Python) of the study
# against the loop's says what the runner itself costs whatever else the
# machine is doing; the wall-time efficiency needs a machine otherwise idle.
#
# Usage: bench/batch_throughput.sh [BUILD_FOLDER] [CASES] [JOBS] [LOOP_CASES]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
cases=${2:-200}
jobs=${3:-2}
loop_cases=${4:-50}
for tool in jpcp_cracking jpcp_faulting jpcp_example jpcp_models; do
  [ -x "$build/$tool" ] || { echo "no $build/$tool: build the project first" >&2; exit 1; }
done
export PYTHONPATH=$root/python JPCP_BUILD_DIR=$build
python=/usr/bin/python3

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/jpcp_example" both "$work/base" --design-life 20 >/dev/null
"$build/jpcp_models" demo-cracking "$work/models/cracking" >/dev/null
"$build/jpcp_models" demo-faulting "$work/models/faulting" >/dev/null
models=(--cracking-models "$work/models/cracking" --faulting-models "$work/models/faulting")

study() { # study FILE SAMPLES SEED
  "$python" -m jpcp batch make-study --cracking "$work/base/cracking" --faulting "$work/base/faulting" \
    --vary thickness=8:12 --vary joint_spacing=12:18 --samples "$2" --seed "$3" -o "$1" >/dev/null
}
load() { cut -d' ' -f1-3 /proc/loadavg; }
# timed FILE COMMAND...: wall, user and system seconds of the command and its children.
timed() {
  local out=$1
  shift
  /usr/bin/time -f '%e %U %S' -o "$out" "$@"
}
rate() { awk -v n="$1" '{ printf "%.4f", n / $1 }' "$2"; }
cpu() { awk -v n="$1" '{ printf "%.3f", ($2 + $3) / n }' "$2"; }

study "$work/study.csv" "$cases" 1
(( loop_cases <= cases )) || loop_cases=$cases
# Case folders for the loop, prepared (and run once, which also warms the
# file cache for what follows) by the runner itself.
head -n $((loop_cases + 1)) "$work/study.csv" >"$work/loop.csv"
"$python" -m jpcp batch run "$work/loop.csv" --out "$work/loop" --no-progress "${models[@]}" >/dev/null
loop() {
  local folder
  for folder in "$work"/loop/cases/*/; do
    (cd "$folder" && "$build/jpcp_cracking" cracking cracking/results "$work/models/cracking" >/dev/null &&
      "$build/jpcp_faulting" faulting "$work/models/faulting" >/dev/null)
  done
}
export -f loop
export work build

echo "machine: $(nproc) cores; load average before: $(load)"
timed "$work/loop1.time" bash -c loop
before=$(rate "$loop_cases" "$work/loop1.time")
echo "plain loop, $loop_cases cases: $before cases/s, CPU $(cpu "$loop_cases" "$work/loop1.time") s per case"

timed "$work/study.time" "$python" -m jpcp batch run "$work/study.csv" --out "$work/run" -j "$jobs" --no-progress \
  "${models[@]}" >"$work/run.log" ||
  {
    cat "$work/run.log"
    echo "the study did not finish without error" >&2
    exit 1
  }
study_rate=$(rate "$cases" "$work/study.time")
echo "jpcp batch run -j $jobs, $cases cases: $(cut -d' ' -f1 "$work/study.time") s, $study_rate cases/s," \
  "CPU $(cpu "$cases" "$work/study.time") s per case (summary and report included)"

timed "$work/loop2.time" bash -c loop
after=$(rate "$loop_cases" "$work/loop2.time")
echo "plain loop again: $after cases/s, CPU $(cpu "$loop_cases" "$work/loop2.time") s per case;" \
  "load average after: $(load)"
awk -v s="$study_rate" -v a="$before" -v b="$after" -v j="$jobs" 'BEGIN {
  loop = 2 / (1 / a + 1 / b)  # both loops together: cases over their total time
  if (a > 1.1 * b || b > 1.1 * a)
    print "warning: the two loops differ by more than 10 %: the machine was not quiet; run again"
  printf "efficiency: %.1f %% of %d x the loop rate (%.4f cases/s)\n", 100 * s / (j * loop), j, loop }'
# The programs' own CPU time, from the status records; the rest of the
# study's CPU time is the runner's (parallel, workers, preparation, summary
# and report).
"$python" - "$work/run" "$work/study.time" "$cases" <<'EOF'
import glob, json, sys
run, timing, cases = sys.argv[1], sys.argv[2], int(sys.argv[3])
programs = sum(r["cpu_seconds"] for f in glob.glob(f"{run}/cases/*/status.json") for r in json.load(open(f))["runs"])
wall, user, system = map(float, open(timing).read().split()[-3:])
runner = user + system - programs
print(f"CPU: programs {programs:.1f} s, runner {runner:.1f} s ({runner / cases * 1000:.0f} ms per case,"
      f" {100 * runner / (user + system):.1f} % of the study's CPU time)")
EOF
