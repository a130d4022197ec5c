# Eigen for cross builds: header-only, so the build machine's headers serve.
# Debian's own package file is not used because it is found only outside the
# cross compiler's root.
if(NOT TARGET Eigen3::Eigen)
  add_library(Eigen3::Eigen INTERFACE IMPORTED)
  set_target_properties(Eigen3::Eigen PROPERTIES INTERFACE_INCLUDE_DIRECTORIES /usr/include/eigen3)
endif()
set(EIGEN3_INCLUDE_DIR /usr/include/eigen3)
set(EIGEN3_INCLUDE_DIRS /usr/include/eigen3)
