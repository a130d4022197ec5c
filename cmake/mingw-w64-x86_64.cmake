# Cross build of the Windows (x86-64) executables on Linux with MinGW-w64, in
# its posix thread model (Debian: g++-mingw-w64-x86-64-posix).
#
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
#   cmake --build build-win -j2
#
# The programs are linked statically: nothing but the .exe file needs to be
# copied to a Windows machine. When Wine is installed it runs the tests
# (CMAKE_CROSSCOMPILING_EMULATOR), with its own prefix inside the build folder.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(JPCP_MINGW_TRIPLET x86_64-w64-mingw32)
find_program(CMAKE_C_COMPILER NAMES ${JPCP_MINGW_TRIPLET}-gcc-posix REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${JPCP_MINGW_TRIPLET}-g++-posix REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${JPCP_MINGW_TRIPLET}-windres)
find_program(CMAKE_AR NAMES ${JPCP_MINGW_TRIPLET}-gcc-ar-posix ${JPCP_MINGW_TRIPLET}-ar)
find_program(CMAKE_RANLIB NAMES ${JPCP_MINGW_TRIPLET}-gcc-ranlib-posix ${JPCP_MINGW_TRIPLET}-ranlib)

# Libraries and packages come from the MinGW tree only; header-only libraries
# of the build machine (Eigen, nlohmann-json) may be added by path, since they
# need no compiled part.
set(CMAKE_FIND_ROOT_PATH /usr/${JPCP_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE BOTH)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# libgcc, libstdc++ and winpthread linked into each program: no DLL beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Wine runs the tests: its own prefix inside the build folder (created by
# the first run, or at once by "wineboot -i"), without debug chatter, through
# a script that reruns a program once when the Wine server dropped it.
find_program(JPCP_WINE NAMES wine wine64 PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(JPCP_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR
      ${CMAKE_COMMAND} -E env WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix WINEDEBUG=-all
      ${CMAKE_CURRENT_LIST_DIR}/run-under-wine.sh ${JPCP_WINE})
endif()

# Header-only libraries of the build machine (Debian: libeigen3-dev,
# nlohmann-json3-dev), found through package files of our own.
set(Eigen3_DIR ${CMAKE_CURRENT_LIST_DIR}/cross-packages CACHE PATH "Eigen package for cross builds")
set(nlohmann_json_DIR ${CMAKE_CURRENT_LIST_DIR}/cross-packages CACHE PATH "nlohmann-json package for cross builds")
