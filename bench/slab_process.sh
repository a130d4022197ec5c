#!/usr/bin/env bash
# One jpcp_slab process a case: the speed case of bench_slab.cpp (two 15 ft
# slabs with a 10 ft shoulder, 6 in elements refined under a tandem's
# wheels, tensionless with self weight) at -20 and +20 F, each run RUNS
# times; prints the minimum and the median wall time of a whole process
# (start, case file, mesh set-up, solve, output). A 2 ft slab gives the
# process's own floor.
#
# Usage: bench/slab_process.sh [BUILD_FOLDER] [RUNS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
runs=${2:-20}
[ -x "$build/jpcp_slab" ] || { echo "no $build/jpcp_slab: build the project first" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
speed_case() {
  cat <<JSON
{"slabs": {"lengths_ft": [15, 15], "widths_ft": [12], "shoulder_width_ft": 10, "thickness_in": 10,
           "modulus_psi": 4e6, "poisson": 0.15, "unit_weight_pcf": 150, "cte_per_F": 5.5e-6},
 "foundation": {"k_pci": 100, "tensionless": true}, "self_weight": true, "temperature_difference_F": $1,
 "joints": {"transverse_lte_percent": 70, "longitudinal_lte_percent": 40}, "mesh_in": 6,
 "loads": [{"x_in": 145, "y_in": 2, "length_in": 10, "width_in": 10, "pressure_psi": 100},
           {"x_in": 145, "y_in": 74, "length_in": 10, "width_in": 10, "pressure_psi": 100},
           {"x_in": 196.5, "y_in": 2, "length_in": 10, "width_in": 10, "pressure_psi": 100},
           {"x_in": 196.5, "y_in": 74, "length_in": 10, "width_in": 10, "pressure_psi": 100}],
 "points": [{"x_in": 180, "y_in": 0}, {"x_in": 180.001, "y_in": 0}, {"x_in": 90, "y_in": 0}]}
JSON
}
speed_case -20 >"$work/minus20.json"
speed_case 20 >"$work/plus20.json"
cat >"$work/small.json" <<'JSON'
{"slabs": {"lengths_ft": [2], "widths_ft": [2], "thickness_in": 10, "modulus_psi": 4e6, "poisson": 0.15,
           "unit_weight_pcf": 150, "cte_per_F": 5.5e-6},
 "foundation": {"k_pci": 100, "tensionless": false}, "self_weight": false, "temperature_difference_F": 0,
 "joints": {"transverse_lte_percent": 0, "longitudinal_lte_percent": 0}, "mesh_in": 6,
 "loads": [{"x_in": 8, "y_in": 8, "length_in": 8, "width_in": 8, "pressure_psi": 100}],
 "points": [{"x_in": 12, "y_in": 12}]}
JSON

echo "machine: $(nproc) cores; load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
for name in minus20 plus20 small; do
  "$build/jpcp_slab" "$work/$name.json" >/dev/null 2>"$work/log" || { cat "$work/log" >&2; exit 1; }
  times=()
  for ((r = 0; r < runs; r++)); do
    start=${EPOCHREALTIME/./}
    "$build/jpcp_slab" "$work/$name.json" >/dev/null 2>&1
    times+=($((${EPOCHREALTIME/./} - start)))
  done
  sorted=($(printf '%s\n' "${times[@]}" | sort -n))
  printf '%-8s %d runs: min %.1f ms, median %.1f ms (%s)\n' "$name" "$runs" "$(bc -l <<<"${sorted[0]} / 1000")" \
    "$(bc -l <<<"${sorted[$((runs / 2))]} / 1000")" "$(tail -n 1 "$work/log")"
done
