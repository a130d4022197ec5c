// What a person at a terminal and a calling application see of a failure.
//
// Every line of a program's error file is also written to standard error,
// followed there by the detail the fixed text leaves out (the full path, why
// a file could not be read, the line and field of a failed read). A stop (a
// model file of the wrong shape, a terminal spline error) prints its message
// on standard output as before and, through the reporter that the run frame
// registers, also lands in the error file with -1.0 in Progress.tmp.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "common/platform/run_scope.h"

namespace jpcp::platform {

// Writes " message" and, when given, "   detail" to standard error.
void console_error(std::string_view message, std::string_view detail);

// The stop reporter of the current run scope (run_scope.h), called by
// stop_run before the stop is thrown to the run frame.
void set_stop_reporter(StopReporter reporter);
void report_stop(std::string_view message, std::string_view detail);

// The message of a stop block as one line: its lines, without their leading
// and trailing blanks, joined by one blank.
std::string one_line(std::string_view block);

// Why an input file cannot be read, for the console detail:
// "<path>: not found", "<path>: is a directory", "<path>: permission denied";
// "<path>" alone when nothing is wrong with the file itself.
std::string input_file_detail(std::string_view path);

// Why a file cannot be created in a folder, for the console detail:
// "<folder>: not found", "<folder>: not a folder", "<folder>: permission
// denied", "<path>: is a directory", "<path>: permission denied"; "<path>"
// alone when none of these holds.
std::string output_file_detail(std::string_view folder, std::string_view path);

}  // namespace jpcp::platform
