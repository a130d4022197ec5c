#!/usr/bin/env bash
# The whole C++ suite in an optimised build.
source "$(dirname "$0")/lib.sh"
# Tests and benchmarks named explicitly: the example script configures the
# same folder with the programs only.
cmake_build_and_test "$root/build" -DCMAKE_BUILD_TYPE=Release -DJPCP_TESTS=ON -DJPCP_BENCH=ON
