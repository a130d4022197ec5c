#!/usr/bin/env bash
# Every fuzz target for 30 seconds under AddressSanitizer and
# UndefinedBehaviorSanitizer (clang build of its own).
source "$(dirname "$0")/lib.sh"
out=$(mktemp)
JPCP_FUZZ_BUILD="$root/build-fuzz" "$root/tests/fuzz.sh" 30 2>&1 | tee "$out"
status=${PIPESTATUS[0]}
report_counts "$(grep -c '^PASS ' "$out")" "$(grep -c '^FAIL ' "$out")"
rm -f "$out"
exit "$status"
