#!/usr/bin/env bash
# The example: writes one example section for each program, uses the
# design-grade models when installed ('jpcp_models install') or else builds
# the demonstration models, runs jpcp_cracking and jpcp_faulting, names every
# result file, and ends with the two headline numbers (percent slabs cracked,
# mean joint faulting) at the end of the design life. When the companion
# Python package is there it also writes an HTML report of both runs.
#
# In the source tree the script first builds the four programs it runs (and
# nothing else), showing the build's progress. Installed (share/doc/jpcp/
# examples), it runs the installed programs instead and writes into
# ./jpcp-example.
#
# Exit status: 0 when everything ran without error; 1 when a build, the
# example or model tool, or one of the programs reported an error.
#
# Environment:
#   JPCP_BUILD_DIR    build folder in the source tree (default: build)
#   JPCP_BIN_DIR      folder of installed programs to use instead of a build
#   JPCP_EXAMPLE_OUT  output folder, emptied first (default: out/example in
#                     the source tree, ./jpcp-example otherwise)
#   JPCP_EXAMPLE_ARGS further options for jpcp_example (see jpcp_example --help)
#   JPCP_EXAMPLE_REPORT 0: no HTML report
set -uo pipefail

here=$(cd "$(dirname "$0")" && pwd)
programs=(jpcp_example jpcp_models jpcp_cracking jpcp_faulting)
status=0

say() { printf '%s\n' "$*"; }
fail() {
  say "ERROR: $*"
  status=1
}
now() { date +%s.%N; }
elapsed() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.1f s", b - a }'; }
started=$(now)

# --- the programs: a build in the source tree, or installed ones ----------
root=""
if [ -z "${JPCP_BIN_DIR:-}" ] && [ -f "$here/../CMakeLists.txt" ] && [ -d "$here/../cracking" ]; then
  root=$(cd "$here/.." && pwd)
fi
if [ -n "$root" ]; then
  cd "$root" || exit 1
  tools/install-deps.sh example || exit 1
  build=${JPCP_BUILD_DIR:-build}
  out=${JPCP_EXAMPLE_OUT:-out/example}
  bin=$build
  say "== Building ${programs[*]} in $build"
  jobs=$(nproc 2>/dev/null || echo 2)
  log=$(mktemp)
  if [ ! -f "$build/CMakeCache.txt" ]; then
    # Only the programs: the tests and benchmarks are the test command's job.
    if ! cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DJPCP_TESTS=OFF -DJPCP_BENCH=OFF >"$log" 2>&1; then
      cat "$log"
      fail "cmake could not configure $build"
      exit 1
    fi
  fi
  # One line per compiled file and per program linked, with the build's own
  # percentage; the full output is shown only when a program does not build.
  progress() {
    sed -u -n -E \
      -e 's#^\[ *([0-9]+)%\] Building CXX object CMakeFiles/[^/]+\.dir/(.*)\.o$#  [\1%] \2#p' \
      -e 's#^\[ *([0-9]+)%\] Linking CXX executable (.*)$#  [\1%] linking \2#p' \
      -e 's#^\[([0-9]+/[0-9]+)\] Building CXX object CMakeFiles/[^/]+\.dir/(.*)\.o$#  [\1] \2#p'
  }
  if ! cmake --build "$build" -j"$jobs" --target "${programs[@]}" 2>&1 | tee "$log" | progress; then
    # Find out which programs do not build, and show why.
    for target in "${programs[@]}"; do
      if ! cmake --build "$build" -j"$jobs" --target "$target" >"$log" 2>&1; then
        grep -E -m 12 'error|Error' "$log"
        fail "$target does not build"
      fi
    done
  fi
  rm -f "$log"
  say "built in $(elapsed "$started" "$(now)")"
else
  bin=${JPCP_BIN_DIR:-}
  if [ -z "$bin" ] && [ -x "$here/../../../../bin/jpcp_cracking" ]; then
    bin=$(cd "$here/../../../../bin" && pwd) # share/doc/jpcp/examples -> bin
  fi
  if [ -z "$bin" ]; then
    bin=$(dirname "$(command -v jpcp_cracking 2>/dev/null || echo /nonexistent/jpcp_cracking)")
  fi
  out=${JPCP_EXAMPLE_OUT:-jpcp-example}
  say "== Using the installed programs in $bin"
fi
for program in "${programs[@]}"; do
  if [ ! -x "$bin/$program" ]; then
    fail "$program is not in $bin"
    exit 1
  fi
done

read -r -a example_args <<<"${JPCP_EXAMPLE_ARGS:-}"
rm -rf "$out"
mkdir -p "$out"
cracking_in="$out/cracking"
faulting_in="$out/faulting"
cracking_out="$out/cracking-results"
models="$out/models"

# --- example sections and models ----------------------------------------
say ""
say "== Writing the example sections into $out"
"$bin/jpcp_example" cracking "$cracking_in" "${example_args[@]}" || fail "jpcp_example cracking failed"
"$bin/jpcp_example" faulting "$faulting_in" "${example_args[@]}" || fail "jpcp_example faulting failed"
section=$(head -n 1 "$cracking_in/FileList.txt" 2>/dev/null | tr -d '\r')

# The design-grade model folders built by 'jpcp_models install' (or the
# jpcp-models package) when present: a complete design build's MANIFEST.json.
design_models() {
  local version root
  version=$("$bin/jpcp_models" --version | awk '{print $2}')
  for root in "${XDG_DATA_HOME:-$HOME/.local/share}/jpcp/models/$version" "$bin/../share/jpcp/models" \
    /usr/local/share/jpcp/models /usr/share/jpcp/models; do
    if grep -qs '"complete": true' "$root/cracking/MANIFEST.json" && grep -qs '"complete": true' "$root/faulting/MANIFEST.json" &&
      grep -qs '"grade": "design"' "$root/cracking/MANIFEST.json" && grep -qs '"grade": "design"' "$root/faulting/MANIFEST.json"; then
      (cd "$root" && pwd)
      return 0
    fi
  done
  return 1
}

say ""
if design=$(design_models); then
  say "== Using the design-grade models in $design"
  mkdir -p "$models"
  ln -s "$design/cracking" "$models/cracking"
  ln -s "$design/faulting" "$models/faulting"
else
  say "design-grade models not installed: using the demonstration models (not for design); build the design-grade ones once with 'jpcp_models install'"
  say "== Building the demonstration models into $models"
  say "   These models interpolate closed-form slab responses. They are"
  say "   demonstration models, NOT FOR DESIGN: the numbers below show how the"
  say "   programs work, not how a real pavement will perform."
  "$bin/jpcp_models" demo-cracking "$models/cracking" || fail "jpcp_models demo-cracking failed"
  "$bin/jpcp_models" demo-faulting "$models/faulting" || fail "jpcp_models demo-faulting failed"
fi
[ "$status" -eq 0 ] || exit 1

# Lists the result files of a folder that exist, one per line, with what
# each holds.
name_files() {
  local folder=$1 file
  shift
  while [ $# -gt 1 ]; do
    file=$1
    [ -e "$folder/$file" ] && printf '  %-24s %s\n' "$file" "$2"
    shift 2
  done
}

# Runs an engine with its arguments, says its exit status and time and shows
# its error file; a failed run ends the example. Beside the results (FOLDER)
# it keeps what the programs do not write themselves, for jpcp summary and
# the report: KIND.out, the console output (its WARNING lines), and
# KIND.models, the model folder the run used.
run_engine() { # run_engine FOLDER KIND MODELS ERROR_FILE PROGRAM ARGUMENT...
  local folder=$1 kind=$2 model_folder=$3 errors=$4 program=$5 t0 code warnings
  shift 5
  say ""
  say "== $program $*"
  (cd "$model_folder" && pwd) >"$folder/$kind.models"
  t0=$(now)
  "$bin/$program" "$@" | tee "$folder/$kind.out"
  code=${PIPESTATUS[0]}
  warnings=$(grep -c '^ \*\*\* WARNING ' "$folder/$kind.out")
  if [ "$warnings" -gt 0 ]; then
    say "$warnings WARNING messages above: a model input was outside the model's range and the model gave 0"
    say "there (no stress or deflection), so the result may be unconservative."
  fi
  say "exit status $code after $(elapsed "$t0" "$(now)")"
  if [ -s "$errors" ]; then
    say "$(basename "$errors"):"
    sed 's/^/  /' "$errors"
  fi
  [ "$code" -eq 0 ] || fail "$program reported an error (exit status $code)"
}

# --- cracking ------------------------------------------------------------
mkdir -p "$cracking_out"
run_engine "$cracking_out" cracking "$models/cracking" "$cracking_out/JPCP Errors.txt" \
  jpcp_cracking "$cracking_in" "$cracking_out" "$models/cracking"
say "Result files in $cracking_out:"
name_files "$cracking_out" \
  "${section}_Cracking.csv" "monthly damage and percent slabs cracked" \
  "LTemp_${section}.csv" "monthly temperature-gradient distributions" \
  "LTemp_B_${section}.csv" "the same for the bonded slab" \
  "StressResults.csv" "stress tables (appended to by every run)" \
  "StressResultsBond.csv" "the same for the bonded slab" \
  "_StressBot.csv" "bottom stresses per month (Response.txt)" \
  "_StressTop.csv" "top stresses per month (Response.txt)" \
  "ESALs.txt" "design traffic in million ESALs" \
  "Traff.csv" "axle totals per load class" \
  "Progress.tmp" "last progress value" \
  "VersionCracking.txt" "version of the file layouts" \
  "cracking.out" "the console output (kept by this script)" \
  "cracking.models" "the model folder used (kept by this script)"

# --- faulting ------------------------------------------------------------
run_engine "$faulting_in" faulting "$models/faulting" "$faulting_in/ErrorsFAULT.txt" \
  jpcp_faulting "$faulting_in" "$models/faulting"
say "Result files in $faulting_in (next to the inputs):"
name_files "$faulting_in" \
  "JPCP_faulting.csv" "monthly faulting with every intermediate quantity" \
  "JPCP_faulting2.csv" "monthly summary table" \
  "_Deflection.csv" "corner deflections per month (Response.txt)" \
  "Progress.tmp" "last progress value" \
  "VersionFaulting.txt" "version of the file layouts" \
  "faulting.out" "the console output (kept by this script)" \
  "faulting.models" "the model folder used (kept by this script)"

# --- headline numbers ----------------------------------------------------
say ""
if [ -n "${design:-}" ]; then
  say "== Result (design-grade models)"
else
  say "== Result (demonstration models, not for design)"
fi
cracking_csv="$cracking_out/${section}_Cracking.csv"
faulting_csv="$faulting_in/JPCP_faulting2.csv"
if [ -s "$cracking_csv" ] && [ "$(wc -l <"$cracking_csv")" -gt 1 ]; then
  # Last row: Year, Age(mo), Month, ..., %Crack (column 17).
  tail -n 1 "$cracking_csv" | awk -F, '{ gsub(/ /, "", $3)
    printf "Slabs cracked:  %.2f %% after %d months (%s of year %d)\n", $17, $2, $3, $1 }'
else
  fail "no cracking result in $cracking_csv"
fi
if [ -s "$faulting_csv" ] && [ "$(wc -l <"$faulting_csv")" -gt 4 ]; then
  # Last row: Age(mo), Age(yr), ..., Faulting(in) (column 16).
  tail -n 1 "$faulting_csv" | awk -F, '{
    printf "Mean faulting:  %.4f in (%.2f mm) after %d months (%.1f years)\n", $16, 25.4 * $16, $1, $2 }'
else
  fail "no faulting result in $faulting_csv"
fi

# --- report --------------------------------------------------------------
report="$out/report.html"
report_command=()
if [ -n "$root" ] && [ -d "$root/python/jpcp" ]; then
  report_command=(env PYTHONPATH="$root/python" /usr/bin/python3 -m jpcp report)
elif [ -z "$root" ] && [ -x "$bin/jpcp" ]; then
  report_command=("$bin/jpcp" report)
fi
if [ ${#report_command[@]} -gt 0 ] && [ "${JPCP_EXAMPLE_REPORT:-1}" != 0 ]; then
  say ""
  if "${report_command[@]}" "$cracking_out" "$faulting_in" -o "$report"; then
    say "Report: $report"
  else
    fail "the HTML report could not be written"
  fi
fi
say ""
say "Done in $(elapsed "$started" "$(now)"). The files are described in docs/ (installed: share/doc/jpcp)."
exit "$status"
