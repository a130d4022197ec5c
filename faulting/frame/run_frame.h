// Entry and spine of jpcp_faulting: command line, run-wide files, the one
// section of the file list, its readers, the deflection models and the
// monthly faulting computation.
#pragma once

#include <string_view>

namespace jpcp::faulting {

// The arguments the program takes; also the line written when arguments
// are missing.
inline constexpr std::string_view usage_line = "Usage: jpcp_faulting SOURCE_FOLDER MODEL_FOLDER";
inline constexpr int argument_count = 2;

// Runs the program with the command-line arguments; returns the exit status
// (0 no error reported, 1 an error was reported, 2 command-line error:
// other than two arguments).
int run(int argc, const char* const* argv);

}  // namespace jpcp::faulting
