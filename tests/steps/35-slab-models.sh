#!/usr/bin/env bash
# Finite-element model folders end to end: a coarse cracking folder
# (jpcp_models fe-cracking --points 4) built by the slab solver and used by
# jpcp_cracking on the example section, and a coarse faulting folder used by
# jpcp_faulting. Several minutes on two cores, so a step of its own.
source "$(dirname "$0")/lib.sh"
build="$root/build"
passed=0
failed=0
check() {
  local what=$1
  shift
  if "$@"; then
    echo "PASS: $what"
    passed=$((passed + 1))
  else
    echo "FAIL: $what"
    failed=$((failed + 1))
  fi
}

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null || exit 1
cmake --build "$build" -j"$jobs" --target jpcp_models jpcp_example jpcp_cracking jpcp_faulting || exit 1
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

"$build/jpcp_example" cracking "$out/cracking" >/dev/null || exit 1
"$build/jpcp_example" faulting "$out/faulting" >/dev/null || exit 1
section=$(head -n 1 "$out/cracking/FileList.txt" | tr -d '\r')

start=$(date +%s)
check "fe-cracking --points 4 writes the cracking folder" "$build/jpcp_models" fe-cracking "$out/fe-cracking" --points 4
echo "fe-cracking --points 4: $(($(date +%s) - start)) s"
mkdir -p "$out/results"
check "jpcp_cracking runs with the finite-element folder" \
  "$build/jpcp_cracking" "$out/cracking" "$out/results" "$out/fe-cracking"
check "the cracking result has monthly rows" test "$(wc -l <"$out/results/${section}_Cracking.csv")" -gt 12
tail -n 1 "$out/results/${section}_Cracking.csv"

start=$(date +%s)
check "fe-faulting --points 4 writes the faulting folder" "$build/jpcp_models" fe-faulting "$out/fe-faulting" --points 4
echo "fe-faulting --points 4: $(($(date +%s) - start)) s"
check "jpcp_faulting runs with the finite-element folder" "$build/jpcp_faulting" "$out/faulting" "$out/fe-faulting"
check "the faulting result has monthly rows" test "$(wc -l <"$out/faulting/JPCP_faulting.csv")" -gt 12
tail -n 1 "$out/faulting/JPCP_faulting.csv"

report_counts "$passed" "$failed"
[ "$failed" -eq 0 ]
