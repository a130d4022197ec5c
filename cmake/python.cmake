# Installs the Python package (python/jpcp) and the `jpcp` launcher, which
# runs it with the system's /usr/bin/python3:
#   <prefix>/share/jpcp/python/jpcp/...
#   <prefix>/bin/jpcp
include(GNUInstallDirs)

set(JPCP_PYTHON_INSTALL_DIR "${CMAKE_INSTALL_DATADIR}/jpcp/python")
install(DIRECTORY "${CMAKE_CURRENT_SOURCE_DIR}/python/jpcp"
        DESTINATION "${JPCP_PYTHON_INSTALL_DIR}"
        PATTERN "__pycache__" EXCLUDE
        PATTERN "*.pyc" EXCLUDE)

# The launcher finds the package relative to itself, so the installed tree
# can be moved.
file(RELATIVE_PATH JPCP_PYTHON_FROM_BIN "/${CMAKE_INSTALL_BINDIR}" "/${JPCP_PYTHON_INSTALL_DIR}")
file(WRITE "${CMAKE_CURRENT_BINARY_DIR}/jpcp_launcher/jpcp"
"#!/bin/sh
# Runs the jpcp Python package (summary, report, batch).
here=$(cd \"$(dirname \"$0\")\" && pwd)
PYTHONPATH=\"$here/${JPCP_PYTHON_FROM_BIN}\${PYTHONPATH:+:$PYTHONPATH}\" exec /usr/bin/python3 -m jpcp \"$@\"
")
install(PROGRAMS "${CMAKE_CURRENT_BINARY_DIR}/jpcp_launcher/jpcp" DESTINATION "${CMAKE_INSTALL_BINDIR}")
