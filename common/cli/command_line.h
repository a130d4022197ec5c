// What the four programs share at the command line: the sole-argument flags
// (--help, -h, --version), the version line, the exit-status table and the
// texts that point a person at a terminal to the usage and the documentation.
#pragma once

#include <ostream>
#include <string>
#include <string_view>

namespace jpcp::cli {

// "<program> <version>", with the source revision in parentheses when the
// build knew it, e.g. "jpcp_cracking 0.1.0 (git 1a2b3c4)".
std::string version_line(std::string_view program);

// The exit statuses of every program, as the usage texts show them.
extern const std::string_view exit_status_table;

// Where the full documentation is, as the usage texts end.
std::string documentation_pointer(std::string_view program);

// "Run '<program> --help' for usage."
std::string help_hint(std::string_view program);

enum class SoleFlag { none, help, version };

// --help or -h, or --version, when it is the only argument. A flag among
// other arguments is an ordinary argument (it may be a folder name).
SoleFlag sole_flag(int argc, const char* const* argv);

// Answers a sole flag on `out`: the usage text (which the caller completes
// with the exit-status table and the documentation pointer) or the version
// line. True when the command line was such a flag; the program then ends
// with exit status 0.
bool answer_sole_flag(int argc, const char* const* argv, std::string_view program, std::string_view usage,
                      std::ostream& out);

// The options block that closes the usage text of every program.
extern const std::string_view sole_flag_options;

// The whole main of an engine: a sole flag is answered on standard output
// with the usage text (the synopsis, the flags line, the description and the
// options block); any other command line goes to `run`.
int engine_main(int argc, const char* const* argv, std::string_view program, std::string_view synopsis,
                std::string_view description, int (*run)(int, const char* const*));

// A command line with more arguments than the program takes: the count, the
// synopsis line and the help hint on `err`. The program then ends with the
// command-line exit status.
void report_extra_arguments(std::string_view program, std::string_view synopsis, int given, int most,
                            std::ostream& err);

}  // namespace jpcp::cli
