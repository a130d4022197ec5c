#!/usr/bin/env bash
# Runs the example sections with the Linux programs and with the Windows .exe
# files under Wine, and compares every file each side wrote: the example
# sections (jpcp_example), the demonstration model folders (jpcp_models), and
# the results of jpcp_cracking (a one-case and a two-case section, the second
# also with Response.txt asking for the stress top and bottom files) and of
# jpcp_faulting. The Windows files must end their lines in CRLF and equal the
# Linux files once CRLF is turned into LF; the exit statuses and console lines
# must match too.
#
# The Windows programs get their folders the way a Windows caller writes
# them: drive-letter paths with backslashes, with and without the final
# separator, a '/' ending, and paths relative to the current folder.
#
#   tests/windows/compare_examples.sh LINUX_BUILD WINDOWS_BUILD [WORK_FOLDER]
#
# Environment: WINEPREFIX (default WINDOWS_BUILD/wineprefix).
# Last line: "compared N files: P identical, F different" (plus the checks of
# exit statuses and consoles). Exit status: 0 when everything matched.
set -uo pipefail

linux=$(cd "${1:?Linux build folder}" && pwd)
windows=$(cd "${2:?Windows build folder}" && pwd)
work=${3:-$windows/compare-examples}
export WINEPREFIX=${WINEPREFIX:-$windows/wineprefix}
export WINEDEBUG=-all
wine=$(command -v wine || command -v wine64) || { echo "Wine is not installed" >&2; exit 1; }
# Reruns a program once when the Wine server dropped it (a fault of the test
# machine, not of the programs).
under_wine=$(cd "$(dirname "$0")/../../cmake" && pwd)/run-under-wine.sh

for tool in jpcp_example jpcp_models jpcp_cracking jpcp_faulting; do
  [ -x "$linux/$tool" ] || { echo "missing $linux/$tool" >&2; exit 1; }
  [ -f "$windows/$tool.exe" ] || { echo "missing $windows/$tool.exe" >&2; exit 1; }
done

# Wine's background services inherit the standard output of the program
# that starts them: started first, with none, so that no pipe stays open.
wineboot </dev/null >/dev/null 2>&1

rm -rf "$work"
mkdir -p "$work/linux" "$work/windows"
passed=0
failed=0
pass() { passed=$((passed + 1)); }
fail() {
  failed=$((failed + 1))
  printf 'DIFFERENT: %s\n' "$*"
}

# The Windows form of a folder: drive letter and backslashes, no final
# separator (winepath maps the Linux root to a drive).
winpath() { WINEDEBUG=-all winepath -w "$1" 2>/dev/null | tr -d '\r' | sed 's/\\$//'; }

# Both sides write the same sections and models with their own tools: the
# example's 20-year design, a granular base (one-case) with the stress files
# in US units, a cement-treated base bonded for its first 60 months
# (two-case) with them in SI units, and faulting with "_Deflection.csv".
one_case=(--name OneCase --response 1)
two_case=(--name TwoCase --base cement --response 0 --climate hot-dry)
faulting=(--response 1)

run_linux() {
  local side=$work/linux
  "$linux/jpcp_example" cracking "$side/one" "${one_case[@]}" >/dev/null
  "$linux/jpcp_example" cracking "$side/two" "${two_case[@]}" >/dev/null
  "$linux/jpcp_example" faulting "$side/fault" "${faulting[@]}" >/dev/null
  "$linux/jpcp_models" demo-cracking "$side/models/cracking" >/dev/null
  "$linux/jpcp_models" demo-faulting "$side/models/faulting" >/dev/null
  mkdir -p "$side/one/results" "$side/two/results dir"
  "$linux/jpcp_cracking" "$side/one" "$side/one/results" "$side/models/cracking" >"$side/one.console"
  echo $? >"$side/one.status"
  "$linux/jpcp_cracking" "$side/two" "$side/two/results dir" "$side/models/cracking" >"$side/two.console"
  echo $? >"$side/two.status"
  "$linux/jpcp_faulting" "$side/fault" "$side/models/faulting" >"$side/fault.console"
  echo $? >"$side/fault.status"
}

run_windows() {
  local side=$work/windows
  local exe w
  w=$(winpath "$side")
  run() {
    exe=$1
    shift
    "$under_wine" "$wine" "$windows/$exe.exe" "$@"
  }
  run jpcp_example cracking "$w\\one" "${one_case[@]}" >/dev/null
  run jpcp_example cracking "$w\\two" "${two_case[@]}" >/dev/null
  run jpcp_example faulting "$w\\fault" "${faulting[@]}" >/dev/null
  run jpcp_models demo-cracking "$w\\models\\cracking" >/dev/null
  run jpcp_models demo-faulting "$w\\models\\faulting" >/dev/null
  mkdir -p "$side/one/results" "$side/two/results dir"
  # Drive-letter folders: with the final backslash, without it, with '/',
  # with a blank.
  run jpcp_cracking "$w\\one\\" "$w\\one\\results" "$w\\models\\cracking/" >"$side/one.console"
  echo $? >"$side/one.status"
  run jpcp_cracking "$w\\two" "$w\\two\\results dir\\" "$w\\models\\cracking" >"$side/two.console"
  echo $? >"$side/two.status"
  # Relative to the current folder.
  (cd "$side" && run jpcp_faulting "fault" "models\\faulting\\") >"$side/fault.console"
  echo $? >"$side/fault.status"
}

started=$(date +%s)
run_linux
echo "Linux programs: $(($(date +%s) - started)) s"
started=$(date +%s)
run_windows
echo "Windows programs under Wine: $(($(date +%s) - started)) s"

# Exit statuses and console lines (CR removed).
for run in one two fault; do
  if cmp -s "$work/linux/$run.status" "$work/windows/$run.status"; then
    pass
  else
    fail "exit status of the $run run: $(cat "$work/linux/$run.status") on Linux, $(cat "$work/windows/$run.status") under Wine"
  fi
  [ "$(cat "$work/linux/$run.status")" = 0 ] || fail "the $run run reported an error on Linux"
  if diff -q "$work/linux/$run.console" <(tr -d '\r' <"$work/windows/$run.console") >/dev/null; then
    pass
  else
    fail "console of the $run run"
  fi
done

# Every file of both sides: the same names, CRLF line ends on Windows, the
# same contents after CRLF -> LF.
files=0
identical=0
(cd "$work/linux" && find one two fault models -type f | sort) >"$work/linux.list"
(cd "$work/windows" && find one two fault models -type f | sort) >"$work/windows.list"
if ! diff "$work/linux.list" "$work/windows.list" >"$work/list.diff"; then
  fail "the two sides wrote different sets of files:"
  sed 's/^/    /' "$work/list.diff"
fi
while read -r file; do
  [ -f "$work/windows/$file" ] || continue
  files=$((files + 1))
  lf=$(mktemp)
  sed 's/\r$//' "$work/windows/$file" >"$lf"
  if ! cmp -s "$work/linux/$file" "$lf"; then
    fail "$file"
    diff "$work/linux/$file" "$lf" | head -n 6 | sed 's/^/    /'
  elif [ "$(tr -cd '\n' <"$work/windows/$file" | wc -c)" -ne "$(grep -c $'\r$' "$work/windows/$file")" ]; then
    fail "$file: a line of the Windows file does not end in CRLF"
  else
    identical=$((identical + 1))
    pass
  fi
  rm -f "$lf"
done <"$work/linux.list"

echo "compared $files files: $identical identical, $((files - identical)) different; $passed checks passed, $failed failed"
[ "$failed" -eq 0 ] && [ "$files" -gt 0 ]
