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

}  // namespace jpcp::platform
