#!/usr/bin/env bash
# The Python package's tests (python/tests) with Debian's python3 and pytest.
# They run the programs of the optimised build of step 10 (JPCP_BUILD_DIR,
# default build/); the test fixtures build the four program targets there
# when they are missing.
source "$(dirname "$0")/lib.sh"
export JPCP_BUILD_DIR=${JPCP_BUILD_DIR:-$root/build}
# The engines' extension module (_jpcp_engine) of that build: jpcp.engine.
export PYTHONPATH="$JPCP_BUILD_DIR/python${PYTHONPATH:+:$PYTHONPATH}"
xml=$(mktemp --suffix=.xml)
trap 'rm -f "$xml"' EXIT

cd "$root" || exit 1
/usr/bin/python3 -m pytest -p no:cacheprovider -q -rfEs "$root/python/tests" --junitxml="$xml"
status=$?

# Counts from the JUnit file: passed = tests - failures - errors - skipped.
counts=$(/usr/bin/python3 - "$xml" <<'PY'
import sys
import xml.etree.ElementTree as ET
try:
    root = ET.parse(sys.argv[1]).getroot()
except (ET.ParseError, OSError):
    print(0, 0, 0)
    sys.exit()
suites = [root] if root.tag == "testsuite" else root.findall("testsuite")
total = {k: sum(int(s.get(k, 0)) for s in suites) for k in ("tests", "failures", "errors", "skipped")}
failed = total["failures"] + total["errors"]
print(total["tests"] - failed - total["skipped"], failed, total["skipped"])
PY
)
read -r passed failed skipped <<<"$counts"
# Exit status 5: no test was collected, which is a failure of the step.
if [ "$status" -eq 5 ]; then
  echo "pytest collected no tests in python/tests"
  failed=$((failed + 1))
fi
report_counts "$passed" "$failed" "$skipped"
[ "$status" -eq 0 ]
