#!/usr/bin/env bash
# Runs two builds of jpcp_cracking and jpcp_faulting on the same section
# folders and compares every file they write (diff -r), their console output
# and exit status: the check that a restructuring changed no output byte.
# Sections: the example generator's with a few option sets, a stopping run
# (a malformed model file), and the folders of FIXTURES.
#
# Usage: bench/compare_programs.sh REF_BIN NEW_BIN [WORK_DIR]
#   REF_BIN, NEW_BIN  folders with jpcp_cracking, jpcp_faulting (NEW_BIN also
#                     jpcp_example and jpcp_models)
set -uo pipefail
ref=$1 new=$2 work=${3:-$(mktemp -d)}
status=0
mkdir -p "$work"
"$new/jpcp_models" demo-cracking "$work/models/cracking" >/dev/null || exit 1
"$new/jpcp_models" demo-faulting "$work/models/faulting" >/dev/null || exit 1

compare_cracking() {  # name source-folder model-folder [summary [detail]]
  local name=$1 src=$2 models=$3; shift 3
  for side in ref new; do
    local bin=$ref; [ $side = new ] && bin=$new
    rm -rf "$work/out/$name/$side"; mkdir -p "$work/out/$name/$side"
    "$bin/jpcp_cracking" "$src" "$work/out/$name/$side" "$models" "$@" \
      >"$work/out/$name/$side.stdout" 2>"$work/out/$name/$side.stderr"
    echo $? >"$work/out/$name/$side.status"
  done
  report "$name"
}

compare_faulting() {  # name source-folder model-folder
  local name=$1 src=$2 models=$3
  for side in ref new; do
    local bin=$ref; [ $side = new ] && bin=$new
    rm -rf "$work/out/$name/$side"; mkdir -p "$work/out/$name"; cp -r "$src" "$work/out/$name/$side"
    "$bin/jpcp_faulting" "$work/out/$name/$side" "$models" \
      >"$work/out/$name/$side.stdout" 2>"$work/out/$name/$side.stderr"
    echo $? >"$work/out/$name/$side.status"
  done
  report "$name"
}

report() {
  local d="$work/out/$1"
  if diff -r "$d/ref" "$d/new" >/dev/null && cmp -s "$d/ref.stdout" "$d/new.stdout" &&
     cmp -s "$d/ref.stderr" "$d/new.stderr" && cmp -s "$d/ref.status" "$d/new.status"; then
    echo "same: $1 (exit $(cat "$d/ref.status"), $(find "$d/new" -type f | wc -l) files)"
  else
    echo "DIFFERENT: $1"; diff -r "$d/ref" "$d/new" | head -5; status=1
  fi
}

i=0
while read -r options; do
  i=$((i + 1))
  "$new/jpcp_example" both "$work/sections/ex$i" $options >/dev/null || { echo "example $i failed"; status=1; continue; }
  compare_cracking "example$i-cracking" "$work/sections/ex$i/cracking" "$work/models/cracking"
  compare_faulting "example$i-faulting" "$work/sections/ex$i/faulting" "$work/models/faulting"
done <<'OPTIONS'
--design-life 5
--design-life 3 --base asphalt --bond-months 12 --response 1 --climate hot-dry
--design-life 2 --thickness 7 --dowel 0 --response 0 --shoulder tied --slab-width 14
OPTIONS

# A stop (a model file cut short) and a data error (no file list).
cp -r "$work/models/cracking" "$work/models/cracking-broken"
first=$(ls "$work/models/cracking-broken"/*.ttt | head -n 1)
head -c 200 "$first" >"$first.cut" && mv "$first.cut" "$first"
compare_cracking stop-cracking "$work/sections/ex1/cracking" "$work/models/cracking-broken"
cp -r "$work/models/faulting" "$work/models/faulting-broken"
first=$(ls "$work/models/faulting-broken"/*.ttt | head -n 1)
[ -n "$first" ] && head -c 200 "$first" >"$first.cut" && mv "$first.cut" "$first"
compare_faulting stop-faulting "$work/sections/ex1/faulting" "$work/models/faulting-broken"
compare_cracking error-cracking "$work/models" "$work/models/cracking"

# The jpcp_tests fixtures (JPCP_FIXTURE_OUT=DIR jpcp_tests --gtest_filter=InProcess.*):
# DIR/cracking-one, cracking-two-calibration (summary.csv, detail),
# faulting, models-cracking, models-faulting.
for fixture in ${FIXTURES:-}; do
  compare_cracking fixture-cracking-one "$fixture/cracking-one" "$fixture/models-cracking"
  compare_cracking fixture-cracking-two-calibration "$fixture/cracking-two-calibration" \
    "$fixture/models-cracking" summary.csv detail
  compare_faulting fixture-faulting "$fixture/faulting" "$fixture/models-faulting"
done
exit $status
