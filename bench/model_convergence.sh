#!/usr/bin/env bash
# Mesh convergence of the design-grade model systems at their governing
# positions: each case solved directly (jpcp_models fe-direct) with the
# design element sizes times a series of scales, and, for comparison, on the
# test meshes of the --points folders. Writes CSV rows
#   folder,file,inputs,mesh,scale,element_in,value
# to standard output; bench/model_convergence_table.py makes the table of
# docs/model-verification.md from them.
#   bench/model_convergence.sh BUILD [SCALES] > convergence.csv
set -euo pipefail
build=${1:?usage: model_convergence.sh BUILD [SCALES]}
scales=${2:-"2 1.4 1 0.7 0.5"}
models="$build/jpcp_models"
# folder file inputs (model dimension order); bottom-up: L ft, 12L/l, x_p, phi,
# lambda; edge tire: LTE, x, w, r, h; top-down: e, l, phi, q, x_p, -;
# faulting: l, ES, LTE, phi, lambda, d.
cases=(
  "cracking bottom_single.ttt 15,6,0,0,1"
  "cracking bottom_single.ttt 15,4.2,0,0,1"
  "cracking bottom_single.ttt 15,3,0,0,1"
  "cracking bottom_single.ttt 15,4.2,0,40,1"
  "cracking bottom_tandem.ttt 15,4.2,0,20,1"
  "cracking edge_tire.ttt 0,0,8,1.2,6"
  "cracking edge_tire.ttt 0,0,8,1.2,12"
  "cracking adjacent_axle.ttt 10,0,51.5,0"
  "cracking top15d3.ttt 30,30,20,1,0,0"
  "cracking top15d3.ttt 30,43,20,1,0,0"
  "cracking top15d3.ttt 30,80,20,1,0,0"
  "cracking top20d4.ttt 30,43,40,2,0,0"
  "cracking top13d1.ttt 5,22.5,50,3.5,0,0"
  "cracking top13d2.ttt 55,41,30,3.5,20,0"
  "cracking top16d2.ttt 52,110,-10,3.5,40,0"
  "cracking top20d1.ttt 40,22.5,50,0,0,0"
  "faulting defl_single_loaded_15.ttt 30,50,70,20,1,0"
  "faulting defl_single_loaded_15.ttt 43,50,70,20,1,0"
  "faulting defl_single_loaded_15.ttt 80,50,70,20,1,0"
  "faulting defl_single_unloaded_15.ttt 43,50,70,20,1,0"
  "faulting defl_tandem_loaded_21.ttt 43,50,70,0,1,0"
  "faulting defl_single_loaded_33.ttt 30,50,70,20,1,0"
  "faulting defl_tridem_unloaded_33.ttt 80,50,70,40,2,12"
  "faulting defl_single_loaded_15.ttt 22.5,0,0,60,4,0"
  "faulting defl_single_loaded_12.ttt 110,5,5,50,3.8,18"
  "faulting defl_single_loaded_27.ttt 22.5,100,100,60,0.5,48"
)
echo "folder,file,inputs,mesh,scale,element_in,value"
for c in "${cases[@]}"; do
  read -r folder file inputs <<<"$c"
  line=$("$models" fe-direct "$folder" "$file" "$inputs" --points 4)
  read -r _ value _ element <<<"$line"
  echo "$folder,$file,\"$inputs\",test,1,$element,$value"
  for s in $scales; do
    line=$("$models" fe-direct "$folder" "$file" "$inputs" --mesh-scale "$s")
    read -r _ value _ element <<<"$line"
    echo "$folder,$file,\"$inputs\",design,$s,$element,$value"
  done
done
