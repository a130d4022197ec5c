# Packages made by cpack from the install rules: a Debian package and a
# .tar.gz of the installed tree. Included last from the top CMakeLists.txt.
# Other package formats: append to CPACK_GENERATOR before include(CPack).
#
# The packages install under CMAKE_INSTALL_PREFIX, which the programs also
# show in --help as the documentation folder: configure with
# -DCMAKE_INSTALL_PREFIX=/usr for the Debian package.

set(CPACK_PACKAGE_NAME jpcp)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Cracking and joint faulting performance engines for jointed plain concrete pavements")
set(CPACK_PACKAGE_DESCRIPTION
    "jpcp_cracking predicts transverse cracking and jpcp_faulting the mean joint faulting\n"
    "of jointed plain concrete pavement sections, month by month over the design life,\n"
    "from section input files and pre-built response models. jpcp_models builds model\n"
    "files and demonstration model folders, jpcp_example writes example sections,\n"
    "jpcp_climate turns hourly weather files into slab temperature files.")
set(CPACK_PACKAGE_VENDOR "jpcp project")
set(CPACK_PACKAGE_CONTACT "jpcp maintainers <jpcp@localhost>")
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_RESOURCE_FILE_README ${CMAKE_CURRENT_SOURCE_DIR}/README.md)
set(CPACK_STRIP_FILES ON)

list(APPEND CPACK_GENERATOR DEB TGZ)

# Debian package: jpcp_<version>_<arch>.deb. Its library dependencies come
# from dpkg-shlibdeps (package dpkg-dev) when it is there; otherwise they are
# declared by hand for the toolchain of Debian 12.
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
find_program(DPKG_SHLIBDEPS_EXECUTABLE dpkg-shlibdeps)
if(DPKG_SHLIBDEPS_EXECUTABLE)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6 (>= 2.34), libgcc-s1 (>= 3.0), libstdc++6 (>= 12)")
  if(JPCP_SLAB_USES_CHOLMOD)
    string(APPEND CPACK_DEBIAN_PACKAGE_DEPENDS ", libcholmod3")
  endif()
endif()
if(TARGET _jpcp_engine)
  # The jpcp.engine extension module is built for one Python minor version.
  math(EXPR JPCP_PYTHON_NEXT_MINOR "${Python_VERSION_MINOR} + 1")
  set(JPCP_PYTHON_DEPENDS "python3 (>= ${Python_VERSION_MAJOR}.${Python_VERSION_MINOR}), python3 (<< ${Python_VERSION_MAJOR}.${JPCP_PYTHON_NEXT_MINOR})")
  if(CPACK_DEBIAN_PACKAGE_DEPENDS)
    string(APPEND CPACK_DEBIAN_PACKAGE_DEPENDS ", ${JPCP_PYTHON_DEPENDS}")
  else()
    set(CPACK_DEBIAN_PACKAGE_DEPENDS "${JPCP_PYTHON_DEPENDS}")
  endif()
endif()

# The .tar.gz unpacks into one folder named after the package.
set(CPACK_ARCHIVE_FILE_NAME ${CPACK_PACKAGE_NAME}-${PROJECT_VERSION}-${CMAKE_SYSTEM_NAME})

# Design-grade model folders: 'cmake --build BUILD --target models' builds
# them once into the user's data folder (jpcp_models install; some 30 minutes
# on two cores); 'models_package' makes the jpcp-models .deb and .tar.gz from
# them in BUILD/models-package (cmake/models-package).
if(TARGET jpcp_models)
  add_custom_target(models COMMAND jpcp_models install USES_TERMINAL
    COMMENT "Design-grade model folders (jpcp_models install)")
  set(JPCP_MODELS_DIR "" CACHE PATH "Design-grade model folders for the jpcp-models package (default: the user's)")
  set(models_dir "${JPCP_MODELS_DIR}")
  if(NOT models_dir)
    if(DEFINED ENV{XDG_DATA_HOME} AND NOT "$ENV{XDG_DATA_HOME}" STREQUAL "")
      set(models_dir "$ENV{XDG_DATA_HOME}/jpcp/models/${PROJECT_VERSION}")
    else()
      set(models_dir "$ENV{HOME}/.local/share/jpcp/models/${PROJECT_VERSION}")
    endif()
  endif()
  add_custom_target(models_package
    COMMAND ${CMAKE_COMMAND} -S ${CMAKE_CURRENT_SOURCE_DIR}/cmake/models-package -B ${CMAKE_BINARY_DIR}/models-package
      -DJPCP_MODELS_DIR=${models_dir} -DJPCP_VERSION=${PROJECT_VERSION} -DCMAKE_INSTALL_PREFIX=${CMAKE_INSTALL_PREFIX}
    COMMAND ${CMAKE_COMMAND} --build ${CMAKE_BINARY_DIR}/models-package --target package
    USES_TERMINAL COMMENT "jpcp-models package from ${models_dir}")
endif()

include(CPack)
