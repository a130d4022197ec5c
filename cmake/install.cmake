# Install rules: the five programs in bin/, their manual pages in
# share/man/man1/, the documentation and the example script in
# share/doc/jpcp/. Included from the top CMakeLists.txt after every target is
# defined; further install rules (other programs, other files) belong here.

set(JPCP_PROGRAMS jpcp_cracking jpcp_faulting jpcp_models jpcp_example jpcp_climate)
foreach(program ${JPCP_PROGRAMS})
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endforeach()

# Manual pages, built from the Markdown pages of docs/man with pandoc, so that
# the pages and the Markdown documentation have one source.
option(JPCP_MAN_PAGES "Build and install the manual pages (needs pandoc)" ON)
if(JPCP_MAN_PAGES)
  find_program(PANDOC_EXECUTABLE pandoc)
  if(PANDOC_EXECUTABLE)
    set(man_pages "")
    foreach(program ${JPCP_PROGRAMS})
      set(source ${CMAKE_CURRENT_SOURCE_DIR}/docs/man/${program}.md)
      set(page ${CMAKE_CURRENT_BINARY_DIR}/man/${program}.1)
      add_custom_command(OUTPUT ${page}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/man
        COMMAND ${PANDOC_EXECUTABLE} --standalone --to man
                --metadata "footer=jpcp ${PROJECT_VERSION}" ${source} --output ${page}
        DEPENDS ${source}
        COMMENT "Manual page ${program}.1")
      list(APPEND man_pages ${page})
    endforeach()
    add_custom_target(jpcp_man_pages ALL DEPENDS ${man_pages})
    install(FILES ${man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  else()
    message(WARNING "pandoc not found: the manual pages are neither built nor installed "
                    "(apt-get install pandoc, or -DJPCP_MAN_PAGES=OFF)")
  endif()
endif()

install(DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/docs/ DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(PROGRAMS ${CMAKE_CURRENT_SOURCE_DIR}/examples/run_example.sh
        DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples)
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/examples/example-section.toml
        DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples)
