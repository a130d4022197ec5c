# GoogleTest built from its sources with the project's compiler, for builds
# that cannot use the build machine's installed library (cross builds).
# Debian's package "googletest" puts the sources in /usr/src/googletest.
# Defines GTest::gtest and GTest::gtest_main like find_package(GTest).
set(JPCP_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources for cross builds")
if(NOT EXISTS ${JPCP_GOOGLETEST_SOURCE}/CMakeLists.txt)
  message(FATAL_ERROR "GoogleTest sources not found in ${JPCP_GOOGLETEST_SOURCE} "
                      "(Debian: apt-get install googletest, or set JPCP_GOOGLETEST_SOURCE)")
endif()
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(${JPCP_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
# The project's warning options are for its own code.
foreach(gtest_target gtest gtest_main)
  set_property(TARGET ${gtest_target} PROPERTY COMPILE_OPTIONS "")
endforeach()
if(NOT TARGET GTest::gtest)
  add_library(GTest::gtest ALIAS gtest)
  add_library(GTest::gtest_main ALIAS gtest_main)
endif()
