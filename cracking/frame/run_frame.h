// Entry and spine of jpcp_cracking: command line, run-wide files, the loop
// over the sections of the file list and over the analyses of a section.
#pragma once

#include <string_view>

namespace jpcp::cracking {

// The arguments the program takes, as the usage texts show them.
inline constexpr std::string_view command_synopsis =
    "Usage: jpcp_cracking SOURCE_FOLDER RESULTS_FOLDER NN_FOLDER [SUMMARY_FILE [DETAIL]]";
inline constexpr int most_arguments = 5;

// Runs the program with the command-line arguments; returns the exit status
// (0 no error reported, 1 an error was reported, 2 command-line error:
// fewer than three or more than five arguments).
int run(int argc, const char* const* argv);

}  // namespace jpcp::cracking
