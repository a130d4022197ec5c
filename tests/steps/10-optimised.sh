#!/usr/bin/env bash
# The whole C++ suite in an optimised build.
source "$(dirname "$0")/lib.sh"
cmake_build_and_test "$root/build" -DCMAKE_BUILD_TYPE=Release
