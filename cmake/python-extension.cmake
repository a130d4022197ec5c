# The jpcp.engine extension module (_jpcp_engine, pybind11): built into
# build/python/ (PYTHONPATH=python:build/python) and installed into the
# system Python's dist-packages. Built for Debian's /usr/bin/python3 unless
# Python_EXECUTABLE says otherwise; left out (with a note) where pybind11 or
# the Python headers are missing, and in the sanitizer and fuzz builds.
option(JPCP_PYTHON_ENGINE "Build the jpcp.engine extension module (pybind11)" ON)
if(JPCP_PYTHON_ENGINE AND NOT JPCP_SANITIZE AND NOT JPCP_FUZZ AND TARGET jpcp_faulting_lib)
  if(NOT DEFINED Python_EXECUTABLE AND EXISTS /usr/bin/python3)
    set(Python_EXECUTABLE /usr/bin/python3)
  endif()
  set(PYBIND11_FINDPYTHON ON)
  find_package(Python COMPONENTS Interpreter Development.Module QUIET)
  find_package(pybind11 CONFIG QUIET)
  if(Python_FOUND AND pybind11_FOUND)
    pybind11_add_module(_jpcp_engine MODULE python/extension/engine_module.cpp)
    target_link_libraries(_jpcp_engine PRIVATE jpcp_cracking_lib jpcp_faulting_lib)
    set_target_properties(_jpcp_engine PROPERTIES LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/python)
    install(TARGETS _jpcp_engine LIBRARY DESTINATION lib/python3/dist-packages)
    message(STATUS "jpcp.engine extension: built for ${Python_EXECUTABLE}")
  else()
    message(STATUS "jpcp.engine extension: not built (pybind11-dev and python3-dev are needed)")
  endif()
endif()
