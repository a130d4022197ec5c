# Writes jpcp_version.h into OUT_DIR: the project version, the short source
# revision when the source tree is a git checkout (empty otherwise) and the
# installed documentation folder. Run at every build (cmake -P) so that the
# revision follows new commits; the header is rewritten only when it changes,
# so nothing recompiles when it has not.
#   cmake -DSOURCE_DIR=... -DOUT_DIR=... -DVERSION=... -DDOC_DIR=... -P version.cmake
set(revision "")
find_program(GIT_EXECUTABLE git)
if(GIT_EXECUTABLE)
  # Only the source tree's own checkout counts, not a repository that merely
  # contains an unpacked source archive.
  execute_process(COMMAND ${GIT_EXECUTABLE} rev-parse --show-toplevel
    WORKING_DIRECTORY ${SOURCE_DIR} OUTPUT_VARIABLE top
    OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET RESULT_VARIABLE git_status)
  get_filename_component(top "${top}" REALPATH)
  get_filename_component(source "${SOURCE_DIR}" REALPATH)
  if(git_status EQUAL 0 AND top STREQUAL source)
    execute_process(COMMAND ${GIT_EXECUTABLE} rev-parse --short=10 HEAD
      WORKING_DIRECTORY ${SOURCE_DIR} OUTPUT_VARIABLE revision
      OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET RESULT_VARIABLE git_status)
    if(NOT git_status EQUAL 0)
      set(revision "")
    endif()
  endif()
endif()
set(text "// Written by the build (cmake/version.cmake); not a source file.\n")
string(APPEND text "#define JPCP_VERSION \"${VERSION}\"\n")
string(APPEND text "#define JPCP_GIT_REVISION \"${revision}\"\n")
string(APPEND text "#define JPCP_DOC_DIR \"${DOC_DIR}\"\n")
set(header ${OUT_DIR}/jpcp_version.h)
set(old "")
if(EXISTS ${header})
  file(READ ${header} old)
endif()
if(NOT old STREQUAL text)
  file(WRITE ${header} "${text}")
endif()
