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

# A build killed after its first models resumes with them: their files and
# checksums stay, the rest is built, and the manifest's checksums are those
# of the files.
manifest_models() { grep -c '"built":' "$1/MANIFEST.json" 2>/dev/null || echo 0; }
start=$(date +%s)
"$build/jpcp_models" fe-cracking "$out/fe-cracking" --points 4 >"$out/first.log" &
builder=$!
while kill -0 "$builder" 2>/dev/null && [ "$(manifest_models "$out/fe-cracking")" -lt 3 ]; do sleep 0.2; done
kill -9 "$builder" 2>/dev/null
wait "$builder" 2>/dev/null
kept=$(grep -o '"bottom_single.ttt": "[0-9a-f]*"' "$out/fe-cracking/MANIFEST.json")
check "fe-cracking --points 4 resumes after a kill" \
  bash -c '"$1" fe-cracking "$2" --points 4 >"$2.log" && grep -q "^resuming: [0-9]* of 28 models already built" "$2.log"' _ \
  "$build/jpcp_models" "$out/fe-cracking"
echo "fe-cracking --points 4 (killed and resumed): $(($(date +%s) - start)) s"
check "the resumed build kept the finished models" bash -c '[ -n "$1" ] && grep -qF "$1" "$2"' _ \
  "$kept" "$out/fe-cracking/MANIFEST.json"
check "the manifest is complete and its checksums are the files'" bash -c '
  cd "$1" && grep -q "\"complete\": true" MANIFEST.json && grep -q "\"grade\": \"test\"" MANIFEST.json &&
  for f in NNinfo.txt *.ttt; do grep -qF "\"$f\": \"$(sha256sum "$f" | cut -d" " -f1)\"" MANIFEST.json || exit 1; done' _ \
  "$out/fe-cracking"
check "--only rebuilds one model to the same bytes" bash -c '
  "$1" fe-cracking "$2" --points 4 --only bottom_single.ttt >/dev/null && grep -qF "$3" "$2/MANIFEST.json"' _ \
  "$build/jpcp_models" "$out/fe-cracking" "$kept"
check "fe-point prints the spline and the direct solve" bash -c '
  "$1" fe-point "$2" bottom_single.ttt 15,4.2,3,20,1 | grep -Eq "^spline -?[0-9.e+-]+ direct -?[0-9.e+-]+$"' _ \
  "$build/jpcp_models" "$out/fe-cracking"
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
