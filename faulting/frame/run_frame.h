// Entry and spine of jpcp_faulting: command line, run-wide files, the one
// section of the file list, its readers, the deflection models and the
// monthly faulting computation.
#pragma once

namespace jpcp::faulting {

// Runs the program with the command-line arguments; returns the exit status
// (0 no error reported, 1 an error was reported, 2 command-line error).
int run(int argc, const char* const* argv);

}  // namespace jpcp::faulting
