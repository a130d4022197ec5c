# The Windows release, from a cross build: "cpack" in the build folder writes
# jpcp-<version>-win64.zip holding
#   bin/       jpcp_cracking.exe, jpcp_faulting.exe, jpcp_example.exe,
#              jpcp_models.exe, jpcp_climate.exe (static: no DLL needed beside them)
#   README.md  the project README
#   docs/      the user documentation
#   example/   run_example.bat: writes example sections and the
#              demonstration models, then runs both programs
if(PROJECT_VERSION)
  set(JPCP_PACKAGE_VERSION ${PROJECT_VERSION})
else()
  set(JPCP_PACKAGE_VERSION 0.0.0)
endif()

foreach(program jpcp_cracking jpcp_faulting jpcp_example jpcp_models jpcp_climate)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION bin)
  endif()
endforeach()
if(EXISTS ${PROJECT_SOURCE_DIR}/docs)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/docs/ DESTINATION docs)
endif()
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/examples/windows/run_example.bat DESTINATION example)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME jpcp)
set(CPACK_PACKAGE_VERSION ${JPCP_PACKAGE_VERSION})
set(CPACK_PACKAGE_FILE_NAME jpcp-${JPCP_PACKAGE_VERSION}-win64)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
include(CPack)
