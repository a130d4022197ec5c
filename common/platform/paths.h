// Folder texts, path joining and file access.
//
// Folder texts end in a separator once the command line has been read; a path
// is the folder text followed by a name. A backslash in a name (a sub-folder
// written on Windows) is a separator. Section folders are often prepared on
// Windows, so an input file that is not found under its exact name is looked
// up once more in its folder without regard to case and trailing dots.
#pragma once

#include <fstream>
#include <optional>
#include <string>
#include <string_view>

namespace jpcp::platform {

// Removes trailing blanks (texts of the input files are blank-padded).
std::string_view trimmed(std::string_view text);

// The folder text with a separator at its end: "a/b" gives "a/b/"; a folder
// that ends in "/" or "\" is kept as it is.
std::string folder_text(std::string_view argument);

// Trimmed folder text followed by the trimmed name.
std::string join(std::string_view folder, std::string_view name);

// The path as the operating system sees it: every backslash becomes '/'.
std::string native_path(std::string_view path);

// Finds an existing input file: the exact name first, then (POSIX) a name in
// the same folder that differs only in case or trailing dots. Nothing is
// created. std::nullopt when there is no such file.
std::optional<std::string> find_input_file(std::string_view path);

// Reads a whole input file; std::nullopt when it cannot be found or read.
std::optional<std::string> read_input_file(std::string_view path);

// Creates or replaces an output file for writing (text mode, platform line ends).
bool create_output(std::ofstream& out, std::string_view path);
// Opens an output file for appending; it is created when absent.
bool append_output(std::ofstream& out, std::string_view path);
// Deletes a file; false when it could not be deleted.
bool remove_file(std::string_view path);
bool file_exists(std::string_view path);

// Writes the message line to the standard output and ends the process with a
// non-zero status (stop conditions: a model file of the wrong shape, a
// terminal spline error). The run frame's stop reporter (run_reporting.h)
// also puts it in the error file; `detail` (the file concerned, ...) goes to
// standard error only.
[[noreturn]] void stop_run(std::string_view message_line, std::string_view detail = {});

// Exit status of the programs.
inline constexpr int exit_ok = 0;
inline constexpr int exit_error_reported = 1;
inline constexpr int exit_command_line = 2;
inline constexpr int exit_stopped = 3;

}  // namespace jpcp::platform
