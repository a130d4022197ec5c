#!/usr/bin/env bash
# Builds the project if needed, writes one example section for each program
# into a fresh folder, builds the demonstration models when the model tool
# is there, runs jpcp_cracking and jpcp_faulting when they are built, and
# prints a short summary of their results.
#
# Exit status: 0 when everything that exists ran without error; 1 when a
# build, the example or model tool, or one of the programs reported an error.
#
# Environment (for trying the script without touching the usual folders):
#   JPCP_BUILD_DIR    build folder (default: build)
#   JPCP_EXAMPLE_OUT  output folder, emptied first (default: out/example)
#   JPCP_EXAMPLE_ARGS further options for jpcp_example (see jpcp_example --help)
set -uo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root" || exit 1
tools/install-deps.sh example || exit 1
build=${JPCP_BUILD_DIR:-build}
out=${JPCP_EXAMPLE_OUT:-out/example}
read -r -a example_args <<<"${JPCP_EXAMPLE_ARGS:-}"
status=0
notes=()

say() { printf '%s\n' "$*"; }
fail() {
  say "ERROR: $*"
  status=1
}
now() { date +%s.%N; }
elapsed() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.1f s", b - a }'; }

# --- build ---------------------------------------------------------------
say "== Building in $build"
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release >"$build.configure.log" 2>&1 || {
    cat "$build.configure.log"
    fail "cmake could not configure $build"
    exit 1
  }
  rm -f "$build.configure.log"
fi
build_log=$(mktemp)
unbuilt=" "
if ! cmake --build "$build" -j2 >"$build_log" 2>&1; then
  # Part of the tree may not build (for example a test in progress): build
  # the programs one by one so that those that do build still run.
  say "The full build failed; building the programs alone."
  targets=$(cmake --build "$build" --target help 2>/dev/null)
  for target in jpcp_example jpcp_cracking jpcp_faulting jpcp_models; do
    grep -q "\.\.\. $target\$" <<<"$targets" || continue
    if ! cmake --build "$build" -j2 --target "$target" >"$build_log" 2>&1; then
      grep -E -m 8 'error|Error' "$build_log"
      fail "$target does not build"
      unbuilt+="$target "
    fi
  done
fi
rm -f "$build_log"

# Why a program is missing: it failed to build, or it does not exist yet.
missing() {
  case "$unbuilt" in
    *" $1 "*) say "$1 did not build: not run." ;;
    *)
      say "$1 is not built yet: not run."
      notes+=("$1")
      ;;
  esac
}

example="$build/jpcp_example"
models="$build/jpcp_models"
cracking="$build/jpcp_cracking"
faulting="$build/jpcp_faulting"
if [ ! -x "$example" ]; then
  fail "jpcp_example is not built; no example section can be written"
  exit 1
fi

# --- example sections ----------------------------------------------------
rm -rf "$out"
mkdir -p "$out"
say ""
say "== Writing the example sections into $out"
"$example" cracking "$out/cracking" "${example_args[@]}" || fail "jpcp_example cracking failed"
"$example" faulting "$out/faulting" "${example_args[@]}" || fail "jpcp_example faulting failed"
section=$(head -n 1 "$out/cracking/FileList.txt" 2>/dev/null | tr -d '\r')

# --- models --------------------------------------------------------------
say ""
have_faulting_models=0
if [ -x "$models" ]; then
  say "== Building the demonstration models"
  t0=$(now)
  if "$models" demo-cracking "$out/models/cracking" && "$models" demo-faulting "$out/models/faulting"; then
    have_faulting_models=1
    say "models written in $(elapsed "$t0" "$(now)")"
  else
    fail "jpcp_models reported an error"
  fi
else
  # Without the model tool the cracking run frame can still start: NNinfo.txt
  # names the four bottom-up model files, which do not exist.
  mkdir -p "$out/models/cracking"
  printf '%s\n' single_bottom.ttt tandem_bottom.ttt shoulder_paired.ttt adjacent_axle.ttt \
    >"$out/models/cracking/NNinfo.txt"
  case "$unbuilt" in
    *" jpcp_models "*) say "jpcp_models did not build: no demonstration models." ;;
    *)
      say "jpcp_models is not built yet: no demonstration models."
      notes+=("jpcp_models (the demonstration models)")
      ;;
  esac
  say "A minimal NNinfo.txt lets jpcp_cracking start; it stops where it first needs a model file."
fi

# --- cracking ------------------------------------------------------------
say ""
cracking_csv=""
if [ -x "$cracking" ]; then
  say "== jpcp_cracking"
  mkdir -p "$out/cracking-results"
  t0=$(now)
  "$cracking" "$out/cracking" "$out/cracking-results" "$out/models/cracking"
  code=$?
  cracking_time=$(elapsed "$t0" "$(now)")
  say "exit status $code after $cracking_time"
  if [ -s "$out/cracking-results/JPCP Errors.txt" ]; then
    say "JPCP Errors.txt:"
    sed 's/^/  /' "$out/cracking-results/JPCP Errors.txt"
  fi
  if [ "$code" -ne 0 ] && [ ! -x "$models" ]; then
    say "(without the demonstration models the cracking run cannot go past its first model evaluation)"
  fi
  [ "$code" -eq 0 ] || fail "jpcp_cracking reported an error (exit status $code)"
  cracking_csv="$out/cracking-results/${section}_Cracking.csv"
else
  missing jpcp_cracking
fi

# --- faulting ------------------------------------------------------------
say ""
faulting_csv=""
if [ ! -x "$faulting" ]; then
  missing jpcp_faulting
elif [ "$have_faulting_models" -eq 0 ]; then
  say "jpcp_faulting needs the deflection models that jpcp_models writes: not run."
  notes+=("a faulting run: it needs the deflection models")
else
  say "== jpcp_faulting"
  t0=$(now)
  "$faulting" "$out/faulting" "$out/models/faulting"
  code=$?
  faulting_time=$(elapsed "$t0" "$(now)")
  say "exit status $code after $faulting_time"
  if [ -s "$out/faulting/ErrorsFAULT.txt" ]; then
    say "ErrorsFAULT.txt:"
    sed 's/^/  /' "$out/faulting/ErrorsFAULT.txt"
  fi
  [ "$code" -eq 0 ] || fail "jpcp_faulting reported an error (exit status $code)"
  faulting_csv="$out/faulting/JPCP_faulting.csv"
fi

# --- summary -------------------------------------------------------------
say ""
say "== Summary"
say "example sections: $out/cracking (jpcp_cracking input), $out/faulting (jpcp_faulting input)"
if [ -n "$cracking_csv" ] && [ -s "$cracking_csv" ]; then
  # C4 and C5 of the cracking transfer function are General input fields 19
  # and 20 (one value per line in the example file).
  c4=$(sed -n 19p "$out/cracking/GeneralInput.txt")
  c5=$(sed -n 20p "$out/cracking/GeneralInput.txt")
  tail -n 1 "$cracking_csv" | awk -F, -v c4="$c4" -v c5="$c5" '
    function crk(d,  x) { if (d <= 0) return 0; x = exp(-c5 * log(d)); return x / (x + c4) }
    { gsub(/ /, "", $3)
      printf "cracking after %d months (%s of year %d): %.2f %% slabs cracked\n", $2, $3, $1, $17
      printf "  bottom-up: %.2f %% (damage %.3g), top-down: %.2f %% (damage %.3g)\n", 100 * crk($12 + 0), $12 + 0, 100 * crk($16 + 0), $16 + 0 }'
  say "  jpcp_cracking ran $cracking_time; results in $out/cracking-results"
elif [ -x "$cracking" ]; then
  say "cracking: no ${section}_Cracking.csv was written${cracking_time:+ (run time $cracking_time)}; files in $out/cracking-results: $(ls "$out/cracking-results" | tr '\n' ' ')"
fi
if [ -n "$faulting_csv" ] && [ "$(wc -l <"$faulting_csv")" -gt 4 ]; then
  tail -n 1 "$faulting_csv" | awk -F, '{ printf "faulting after %d months: %.4f in (%.2f mm)\n", $1, $22, 25.4 * $22 }'
  say "  jpcp_faulting ran $faulting_time; results in $out/faulting (JPCP_faulting.csv, JPCP_faulting2.csv)"
elif [ -n "$faulting_csv" ]; then
  say "faulting: JPCP_faulting.csv holds no monthly rows (run time $faulting_time)"
fi
for note in "${notes[@]}"; do say "not there yet: $note"; done
exit "$status"
