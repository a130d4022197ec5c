#!/usr/bin/env bash
# Time of `jpcp design` with the demonstration models on the example
# section (examples/example-section.toml: 20 years, thickness grid 6 to 16 in by
# 0.25 in), the whole command timed: checking the design file and building
# the end sections, the searches (each trial builds its two sections and
# runs both programs), the 1993-guide run, the CSV files and design.html.
#   1. one thickness search (one joint spacing and dowel size); target 10 s
#      on 2 cores;
#   2. a design chart of 4 joint spacings x 3 dowel sizes (12 searches);
#      target 2 minutes on 2 cores.
# Wall time needs an otherwise idle machine; the CPU time (the command and
# its programs) says what the design costs whatever else the machine does,
# and CPU / JOBS is the wall time an idle machine with JOBS cores would take.
#
# Usage: bench/design_search.sh [BUILD_FOLDER] [JOBS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
jobs=${2:-2}
for tool in jpcp_cracking jpcp_faulting jpcp_example jpcp_models; do
  [ -x "$build/$tool" ] || { echo "no $build/$tool: build the project first" >&2; exit 1; }
done
export PYTHONPATH=$root/python JPCP_BUILD_DIR=$build
python=/usr/bin/python3

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/jpcp_models" demo-cracking "$work/models/cracking" >/dev/null
"$build/jpcp_models" demo-faulting "$work/models/faulting" >/dev/null
models=(--cracking-models "$work/models/cracking" --faulting-models "$work/models/faulting")
sed -e 's/^joint_spacing = .*/joint_spacing = [12, 15, 18, 20]/' -e 's/^dowel = .*/dowel = [0, 1.25, 1.5]/' \
  "$root/examples/example-section.toml" >"$work/chart.toml"

measure() { # measure NAME TARGET_SECONDS DESIGN_FILE
  local out=$work/$1 wall user system trials searches
  /usr/bin/time -o "$work/$1.time" -f "%e %U %S" "$python" -m jpcp design "$3" --out "$out" -j "$jobs" \
    "${models[@]}" >"$work/$1.answer" 2>/dev/null
  read -r wall user system <"$work/$1.time"
  trials=$(($(wc -l <"$out/trials.csv") - 1))
  searches=$(($(wc -l <"$out/design.csv") - 1))
  awk -v n="$1" -v w="$wall" -v u="$user" -v s="$system" -v t="$trials" -v c="$searches" -v j="$jobs" \
    -v target="$2" 'BEGIN {
      printf "%-8s %2d searches %3d trials: wall %6.1f s (target %d s), CPU %6.1f s (%.2f s a trial), CPU/%d %6.1f s\n",
        n, c, t, w, target, u + s, (u + s) / t, j, (u + s) / j }'
}
echo "jpcp design, demonstration models, -j $jobs, $(nproc) cores, load $(cut -d' ' -f1 /proc/loadavg)"
measure search 10 "$root/examples/example-section.toml"
head -1 "$work/search.answer"
measure chart 120 "$work/chart.toml"
