// Folder texts, path joining and file access.
//
// Folder texts end in a separator once the command line has been read; a path
// is the folder text followed by a name. A backslash in a name (a sub-folder
// written on Windows) is a separator on every platform. Section folders are
// often prepared on Windows, so on POSIX an input file that is not found under
// its exact name is looked up once more in its folder without regard to case
// and trailing dots; on Windows the file system itself compares names that
// way.
//
// Every difference between Windows and POSIX lives in this folder.
#pragma once

#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "common/platform/output_file.h"

namespace jpcp::platform {

// Removes trailing blanks (texts of the input files are blank-padded).
std::string_view trimmed(std::string_view text);

// True when the program runs on Windows (drive letters, '\\' separator,
// CRLF line ends, names compared without regard to case by the system).
#ifdef _WIN32
inline constexpr bool windows = true;
#else
inline constexpr bool windows = false;
#endif

// The separator appended to a folder text: '\\' on Windows, '/' elsewhere.
inline constexpr char separator = windows ? '\\' : '/';

// The folder text with a separator at its end: "a/b" gives "a/b/" (POSIX) or
// "a/b\\" (Windows); a folder that ends in "/" or "\\" is kept as it is. On
// Windows a bare drive ("D:", the current folder of drive D) is kept as well:
// a separator would turn it into the drive's root.
std::string folder_text(std::string_view argument);

// Trimmed folder text followed by the trimmed name.
std::string join(std::string_view folder, std::string_view name);

// The path as the operating system sees it: on POSIX every backslash becomes
// '/'; Windows takes both separators, so the path is kept as it is.
std::string native_path(std::string_view path);

// Finds an existing input file: the exact name first, then (POSIX only) a name
// in the same folder that differs only in case or trailing dots. Nothing is
// created. std::nullopt when there is no such file.
std::optional<std::string> find_input_file(std::string_view path);

// Reads a whole input file; std::nullopt when it cannot be found or read.
std::optional<std::string> read_input_file(std::string_view path);

// Creates or replaces an output file for writing (text mode, platform line
// ends); in the current run's OutputStore when its scope has one.
bool create_output(OutputFile& out, std::string_view path);
// Opens an output file for appending; it is created when absent.
bool append_output(OutputFile& out, std::string_view path);
// Writes the whole file FOLDER/NAME through `writer` (create_output, then
// close); false with `error` "cannot create PATH" or "cannot write PATH".
bool write_output(const std::string& folder, std::string_view name,
                  const std::function<void(std::ostream&)>& writer, std::string& error);
// Replaces the whole contents of a small file that another process may read
// at any moment (Progress.tmp): the reader sees the old text or the new one,
// never a part. '\n' in `text` becomes the platform's line end. The text is
// written to "<path>.new" beside the file, which then takes the file's name
// (an atomic rename). On Windows a reader that holds the file open without
// delete sharing blocks the rename: it is tried again for up to about two
// seconds, and only then is the text written over the old one in place.
// False when the file kept its old contents; the caller may go on (the file
// is advisory).
bool replace_small_file(std::string_view path, std::string_view text);

// Deletes a file; false when it could not be deleted.
bool remove_file(std::string_view path);
bool file_exists(std::string_view path);

// A stop of the run (a model file of the wrong shape, a terminal spline
// error): thrown by stop_run, caught by the run frame, which ends the run
// with exit status 3.
struct RunStopped {
  std::string message;  // the stop's message as one line
  std::string detail;
};

// Writes the message line to the run's console (standard output) and throws
// RunStopped. The run frame's stop reporter (run_reporting.h) also puts it
// in the error file; `detail` (the file concerned, ...) goes to the console
// details (standard error) only.
[[noreturn]] void stop_run(std::string_view message_line, std::string_view detail = {});

// Exit status of the programs.
inline constexpr int exit_ok = 0;
inline constexpr int exit_error_reported = 1;
inline constexpr int exit_command_line = 2;
inline constexpr int exit_stopped = 3;

}  // namespace jpcp::platform
