#!/usr/bin/env bash
# Runs one Windows program of the tests under Wine:
#
#   run-under-wine.sh WINE PROGRAM.exe [ARGUMENT...]
#
# The Wine server of a busy machine now and then drops a program's connection
# ("wine client error: ... Connection reset by peer"): the program dies
# before or while it runs, through no fault of its own. Such a run, and only
# such a run, is made once more, with a line on standard error that says so.
# The standard output and error of the last run are passed on when it ends
# (a dropped run's partial output is not).
set -u
wine=${1:?Wine program}
shift
out=$(mktemp) && err=$(mktemp) || exit 1
trap 'rm -f "$out" "$err"' EXIT
for attempt in 1 2; do
  "$wine" "$@" >"$out" 2>"$err"
  status=$?
  if [ "$status" -ne 0 ] && [ "$attempt" -eq 1 ] && grep -q 'wine client error' "$err"; then
    echo "run-under-wine.sh: the Wine server dropped the program (exit status $status); running it once more" >&2
    continue
  fi
  cat "$out"
  cat "$err" >&2
  exit "$status"
done
