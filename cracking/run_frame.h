// Entry and spine of jpcp_cracking: command line, run-wide files, the loop
// over the sections of the file list and over the analyses of a section.
#pragma once

namespace jpcp::cracking {

// Runs the program; returns the exit status (0 no error reported, 1 an error
// was reported to the error file, 2 command-line error).
int run(int argc, char** argv);

}  // namespace jpcp::cracking
