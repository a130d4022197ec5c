#!/usr/bin/env bash
# Runs every fuzz target of fuzz/ for SECONDS seconds each under
# AddressSanitizer and UndefinedBehaviorSanitizer, starting from seed inputs
# that jpcp_example and jpcp_models write at run time (never committed).
#
#   tests/fuzz.sh SECONDS [TARGET...]      e.g. tests/fuzz.sh 30
#
# Builds with clang in $JPCP_FUZZ_BUILD (default build-fuzz). Each target runs
# with a memory limit of 1 GB and a 10 s limit per input. A crash, a
# sanitizer report, a leak, a stop that ends the process, an input that needs
# more than 1 GB or 10 s is a finding: it is kept under
# $JPCP_FUZZ_BUILD/findings/ and the script exits 1. One line per target:
#   PASS|FAIL name: N executions, coverage C, F findings
set -uo pipefail

seconds=${1:?usage: tests/fuzz.sh SECONDS [TARGET...]}
shift
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root" || exit 1
build=${JPCP_FUZZ_BUILD:-build-fuzz}

if [ ! -f "$build/CMakeCache.txt" ]; then
  # The configure log goes inside the build folder, not beside it in the tree.
  mkdir -p "$build"
  CC=clang CXX=clang++ cmake -S . -B "$build" -DJPCP_FUZZ=ON -DJPCP_TESTS=OFF -DJPCP_BENCH=OFF \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo >"$build/configure.log" 2>&1 || {
    cat "$build/configure.log"
    exit 1
  }
fi
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for source in fuzz/*_fuzz.cpp; do targets+=("$(basename "$source" .cpp)"); done
fi
cmake --build "$build" -j"$(nproc 2>/dev/null || echo 2)" --target jpcp_example jpcp_models "${targets[@]}" ||
  exit 1

# --- seeds ---------------------------------------------------------------
seeds=$build/seed-sections
corpus=$build/corpus
if [ ! -d "$seeds/models/faulting" ]; then
  rm -rf "$seeds"
  "$build/jpcp_example" cracking "$seeds/cracking" >/dev/null &&
    "$build/jpcp_example" faulting "$seeds/faulting" >/dev/null &&
    "$build/jpcp_models" demo-cracking "$seeds/models/cracking" >/dev/null &&
    "$build/jpcp_models" demo-faulting "$seeds/models/faulting" >/dev/null || {
    echo "fuzz.sh: the seed sections could not be written" >&2
    exit 1
  }
fi
c=$seeds/cracking
f=$seeds/faulting
seed() { # seed TARGET FILE...
  mkdir -p "$corpus/$1"
  local target=$1 file
  shift
  for file in "$@"; do cp "$file" "$corpus/$target/seed-$(basename "$file")"; done
}
seed free_form_reader_fuzz "$c/FileList.txt" "$c/GeneralInput.txt" "$f/FaultFileList.txt" "$c/SeasonPattern.txt"
seed general_input_fuzz "$c/GeneralInput.txt"
mkdir -p "$corpus/season_pattern_fuzz"
{ cat "$c/SeasonPattern.txt"; printf '@@\n'; cat "$c/PCCModulus.txt"; } >"$corpus/season_pattern_fuzz/seed-pair"
head -n 40 "$c/SingleAxleOutput.csv" >"$seeds/single-40.csv"
head -n 40 "$c/TridemAxleOutput.csv" >"$seeds/tridem-40.csv"
seed traffic_fuzz "$seeds/single-40.csv" "$seeds/tridem-40.csv" "$c/_HourlyTrafficPerc.txt"
# A few weeks of records: enough structure, short enough to run fast.
head -n $((288 + 24 * 40)) "$c/ThermalPCC.dat" >"$seeds/cracking-thermal.dat"
head -n $((24 * 40)) "$f/thermalPCC.dat" >"$seeds/faulting-thermal.dat"
seed temperature_data_fuzz "$seeds/cracking-thermal.dat" "$seeds/faulting-thermal.dat"
seed nn_info_fuzz "$seeds/models/cracking/NNinfo.txt" "$seeds/models/faulting/NNinfo.txt"
smallest_model=$(ls -S "$seeds"/models/*/*.ttt | tail -n 1)
seed model_file_fuzz "$smallest_model"
seed fault_section_input_fuzz "$f/faultgeneralinput.txt"
seed fault_season_pattern_fuzz "$f/seasonpattern.txt"
seed curl_grid_fuzz "$seeds/models/faulting/defl0.csv"
# Two days of hourly weather in the plain CSV layout.
mkdir -p "$corpus/weather_file_fuzz"
{
  echo "time,air_temperature_c,ghi_w_m2,wind_m_s,dew_point_c,relative_humidity,sky_cover_tenths"
  for h in $(seq 1 48); do
    printf '2019-01-%02dT%02d:00,%d,%d,3.5,-2.0,70,4\n' $((1 + h / 24)) $((h % 24)) $((h % 12)) $((h % 24 * 30))
  done
} >"$corpus/weather_file_fuzz/seed-hourly.csv"

# --- runs ----------------------------------------------------------------
mkdir -p "$build/findings" "$build/logs"
status=0
for target in "${targets[@]}"; do
  log=$build/logs/$target.log
  mkdir -p "$corpus/$target"
  max_len=65536
  [ "$target" = temperature_data_fuzz ] && max_len=131072
  [ "$target" = model_file_fuzz ] && max_len=$((1 << 20))
  "$build/fuzz/$target" "$corpus/$target" -max_total_time="$seconds" -max_len="$max_len" -rss_limit_mb=1024 \
    -malloc_limit_mb=1024 -timeout=10 -print_final_stats=1 -artifact_prefix="$build/findings/$target-" \
    >"$log" 2>&1
  code=$?
  runs=$(grep -m1 -o 'stat::number_of_executed_units: [0-9]*' "$log" | grep -o '[0-9]*$')
  cov=$(grep -E '^#[0-9]+' "$log" | grep -o 'cov: [0-9]*' | tail -n 1 | grep -o '[0-9]*$')
  findings=$(ls "$build/findings" 2>/dev/null | grep -c "^$target-")
  if [ "$code" -eq 0 ] && [ "$findings" -eq 0 ]; then
    verdict=PASS
  else
    verdict=FAIL
    status=1
    grep -E -m 5 'ERROR|SUMMARY|==[0-9]+==' "$log"
  fi
  echo "$verdict $target: ${runs:-0} executions, coverage ${cov:-0}, $findings findings (log $log)"
done
exit "$status"
