#!/usr/bin/env bash
# Times whole runs of jpcp_faulting on a 20-year example section (240
# analysis months, about 50 000 coefficients per model node file) on one core.
# Usage: bench/faulting_run.sh [BUILD_FOLDER] [RUNS] [large|medium]
# (model size: about 50 000 or 10 000 coefficients per node file).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
runs=${2:-5}
size=${3:-large}
exe=$build/jpcp_faulting
[ -x "$exe" ] || { echo "no $exe: build the project first" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
python3 "$root/bench/faulting_example.py" "$work/section" "$work/models" "$size"

times=()
for ((r = 1; r <= runs; r++)); do
  start=$(date +%s.%N)
  taskset -c 0 "$exe" "$work/section" "$work/models" >/dev/null || { echo "run failed" >&2; cat "$work/section/ErrorsFAULT.txt" >&2; exit 1; }
  end=$(date +%s.%N)
  times+=("$(echo "$end - $start" | bc -l)")
done
rows=$(($(wc -l < "$work/section/JPCP_faulting2.csv") - 4))
printf '%s\n' "${times[@]}" | sort -n | awk -v size="$size" -v rows="$rows" -v runs="$runs" '
  { t[NR] = $1 } END { printf "jpcp_faulting, 20-year section (%d monthly rows, " size " models): %d runs, min %.3f s, median %.3f s, max %.3f s\n", rows, runs, t[1], t[int((NR + 1) / 2)], t[NR] }'
