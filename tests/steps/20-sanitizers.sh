#!/usr/bin/env bash
# The whole C++ suite under AddressSanitizer and UndefinedBehaviorSanitizer.
source "$(dirname "$0")/lib.sh"
cmake_build_and_test "$root/build-asan" -DCMAKE_BUILD_TYPE=Debug -DJPCP_SANITIZE=ON -DJPCP_BENCH=OFF
