#!/usr/bin/env bash
# Runs one Windows program of the tests under Wine:
#
#   run-under-wine.sh WINE PROGRAM.exe [ARGUMENT...]
#
# The Wine server of a busy machine now and then drops a program's connection
# ("wine client error: ... Connection reset by peer"): the program dies
# before or while it runs, through no fault of its own. Such a run, and only
# such a run, is made once more, with a line on standard error that says so.
# The program's standard error is passed on after it ends.
set -u
wine=${1:?Wine program}
shift
err=$(mktemp) || exit 1
trap 'rm -f "$err"' EXIT
for attempt in 1 2; do
  "$wine" "$@" 2>"$err"
  status=$?
  cat "$err" >&2
  if [ "$status" -eq 0 ] || [ "$attempt" -eq 2 ] || ! grep -q 'wine client error' "$err"; then
    exit "$status"
  fi
  echo "run-under-wine.sh: the Wine server dropped the program (exit status $status); running it once more" >&2
done
