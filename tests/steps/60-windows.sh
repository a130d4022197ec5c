#!/usr/bin/env bash
# The Windows executables: cross-built with MinGW-w64, the whole C++ suite
# run under Wine through ctest, then the example sections compared file by
# file with the Linux build's results (tests/windows/compare_examples.sh).
# Reuses the optimised Linux build of step 10 when it is there.
source "$(dirname "$0")/lib.sh"
build=$root/build-win
linux=$root/build
export WINEPREFIX=$build/wineprefix WINEDEBUG=-all

cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DJPCP_BENCH=OFF || exit 1
cmake --build "$build" -j"$jobs" || exit 1
for tool in jpcp_example jpcp_models jpcp_cracking jpcp_faulting jpcp_climate; do
  if x86_64-w64-mingw32-objdump -p "$build/$tool.exe" | grep -i 'DLL Name' | grep -viqE 'kernel32|msvcrt'; then
    echo "$tool.exe needs a DLL beyond the system's:"
    x86_64-w64-mingw32-objdump -p "$build/$tool.exe" | grep 'DLL Name'
    exit 1
  fi
done

# One prefix for the whole step, kept warm by a persistent server. Wine's
# background services start with the first program and inherit its standard
# output: started here with none, so that no later pipe (ctest reading a
# test's output) stays open after its program ended.
mkdir -p "$WINEPREFIX"
[ -f "$WINEPREFIX/system.reg" ] || wineboot -i </dev/null >/dev/null 2>&1
wineserver -p
trap 'wineserver -k 2>/dev/null' EXIT
wineboot </dev/null >/dev/null 2>&1

out=$(mktemp)
ctest --test-dir "$build" --output-on-failure -j"$jobs" 2>&1 | tee "$out"
suite_status=${PIPESTATUS[0]}
line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$out" | tail -n 1)
suite_failed=$(sed -E 's/.* ([0-9]+) tests? failed.*/\1/' <<<"$line")
suite_total=$(sed -E 's/.*out of ([0-9]+).*/\1/' <<<"$line")
suite_skipped=$(grep -cE '\(Skipped\)$' "$out")
rm -f "$out"

# The Linux programs for the comparison.
if [ ! -x "$linux/jpcp_cracking" ]; then
  cmake -S "$root" -B "$linux" -DCMAKE_BUILD_TYPE=Release || exit 1
fi
cmake --build "$linux" -j"$jobs" --target jpcp_example jpcp_models jpcp_cracking jpcp_faulting || exit 1
out=$(mktemp)
bash "$root/tests/windows/compare_examples.sh" "$linux" "$build" 2>&1 | tee "$out"
compare_status=${PIPESTATUS[0]}
compare_passed=$(sed -nE 's/.* ([0-9]+) checks passed, ([0-9]+) failed$/\1/p' "$out" | tail -n 1)
compare_failed=$(sed -nE 's/.* ([0-9]+) checks passed, ([0-9]+) failed$/\2/p' "$out" | tail -n 1)
rm -f "$out"
[ "$compare_status" -ne 0 ] && [ "${compare_failed:-0}" -eq 0 ] && compare_failed=1

report_counts $((${suite_total:-0} - ${suite_failed:-0} - suite_skipped + ${compare_passed:-0})) \
  $((${suite_failed:-0} + ${compare_failed:-0})) "$suite_skipped"
[ "$suite_status" -eq 0 ] && [ "$compare_status" -eq 0 ]
