// Entry and spine of jpcp_cracking: command line, run-wide files, the loop
// over the sections of the file list and over the analyses of a section.
#pragma once

namespace jpcp::cracking {

// Runs the program with the command-line arguments; returns the exit status
// (0 no error reported, 1 an error was reported, 2 command-line error).
int run(int argc, const char* const* argv);

}  // namespace jpcp::cracking
