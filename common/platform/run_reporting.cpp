#include "common/platform/run_reporting.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <system_error>
#include <utility>

#include "common/platform/paths.h"
#include "common/platform/run_scope.h"

namespace jpcp::platform {

void console_error(std::string_view message, std::string_view detail) {
  std::ostream& err = run_err();
  err << ' ' << message << '\n';
  if (!detail.empty()) err << "   " << detail << '\n';
  err.flush();
}

void set_stop_reporter(StopReporter reporter) { current_run_scope().stop_reporter = std::move(reporter); }

void report_stop(std::string_view message, std::string_view detail) {
  // Taken out first: a reporter that stops again must not recurse.
  StopReporter reporter = std::exchange(current_run_scope().stop_reporter, StopReporter{});
  if (reporter) reporter(one_line(message), detail);
}

std::string one_line(std::string_view block) {
  std::string line;
  size_t begin = 0;
  while (begin <= block.size()) {
    size_t end = block.find('\n', begin);
    if (end == std::string_view::npos) end = block.size();
    std::string_view part = block.substr(begin, end - begin);
    const size_t first = part.find_first_not_of(" \t\r");
    if (first != std::string_view::npos) {
      part = part.substr(first, part.find_last_not_of(" \t\r") - first + 1);
      if (!line.empty()) line += ' ';
      line += part;
    }
    begin = end + 1;
  }
  return line;
}

std::string input_file_detail(std::string_view path) {
  namespace fs = std::filesystem;
  const std::string native = native_path(trimmed(path));
  std::error_code error;
  const fs::path absolute = fs::absolute(native, error);
  const std::string shown = error ? native : absolute.lexically_normal().string();
  if (find_input_file(native)) {
    std::ifstream probe(*find_input_file(native));
    if (!probe) return shown + ": permission denied";
    return shown;
  }
  if (fs::is_directory(native, error)) return shown + ": is a directory";
  if (fs::exists(native, error)) return shown + ": permission denied";
  return shown + ": not found";
}

std::string output_file_detail(std::string_view folder, std::string_view path) {
  namespace fs = std::filesystem;
  const auto shown = [](const std::string& native) {
    std::error_code error;
    const fs::path absolute = fs::absolute(native, error);
    return error ? native : absolute.lexically_normal().string();
  };
  // An empty folder text is the working folder. Without its last separator:
  // "file/" is not found, "file" is not a folder.
  fs::path folder_path(trimmed(folder).empty() ? std::string(".") : native_path(trimmed(folder)));
  if (!folder_path.has_filename() && folder_path.has_relative_path()) folder_path = folder_path.parent_path();
  const std::string folder_native = folder_path.string();
  const std::string file_native = native_path(trimmed(path));
  std::error_code error;
  const fs::file_status folder_status = fs::status(folder_native, error);
  if (!fs::exists(folder_status)) return shown(folder_native) + ": not found";
  if (!fs::is_directory(folder_status)) return shown(folder_native) + ": not a folder";
  const fs::file_status file_status = fs::status(file_native, error);
  if (fs::is_directory(file_status)) return shown(file_native) + ": is a directory";
  if (fs::exists(file_status)) return shown(file_native) + ": permission denied";
  // The file is new: the folder refuses it.
  return shown(folder_native) + ": permission denied";
}

}  // namespace jpcp::platform
