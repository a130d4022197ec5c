#include "common/platform/paths.h"

#include "common/platform/result_guard.h"
#include "common/platform/run_reporting.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <sstream>
#include <system_error>

namespace jpcp::platform {

namespace fs = std::filesystem;

std::string_view trimmed(std::string_view text) {
  const size_t end = text.find_last_not_of(' ');
  return end == std::string_view::npos ? std::string_view() : text.substr(0, end + 1);
}

std::string folder_text(std::string_view argument) {
  std::string folder(trimmed(argument));
  if (folder.empty() || (folder.back() != '/' && folder.back() != '\\')) folder += '/';
  return folder;
}

std::string join(std::string_view folder, std::string_view name) {
  std::string path(trimmed(folder));
  path += trimmed(name);
  return path;
}

std::string native_path(std::string_view path) {
  std::string result(path);
  for (char& c : result) {
    if (c == '\\') c = '/';
  }
  return result;
}

namespace {

// A Windows file name compares without regard to case and trailing dots.
std::string windows_key(std::string_view name) {
  std::string key(name);
  while (!key.empty() && key.back() == '.') key.pop_back();
  for (char& c : key) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return key;
}

}  // namespace

std::optional<std::string> find_input_file(std::string_view path) {
  const std::string exact = native_path(trimmed(path));
  std::error_code error;
  if (fs::is_regular_file(exact, error)) return exact;
  const fs::path wanted(exact);
  fs::path folder = wanted.parent_path();
  if (folder.empty()) folder = ".";
  const std::string key = windows_key(wanted.filename().string());
  if (key.empty()) return std::nullopt;
  std::optional<std::string> found;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    if (windows_key(it->path().filename().string()) != key) continue;
    if (!it->is_regular_file(error)) continue;
    // Of several candidates take the first in name order, so the choice does
    // not depend on the directory's listing order.
    const std::string candidate = (wanted.parent_path() / it->path().filename()).string();
    if (!found || candidate < *found) found = candidate;
  }
  return found;
}

std::optional<std::string> read_input_file(std::string_view path) {
  const auto found = find_input_file(path);
  if (!found) return std::nullopt;
  std::ifstream in(*found, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream contents;
  contents << in.rdbuf();
  if (in.bad()) return std::nullopt;
  return contents.str();
}

bool create_output(std::ofstream& out, std::string_view path) {
  note_written_file(path);
  out.open(native_path(trimmed(path)), std::ios::out | std::ios::trunc);
  return out.is_open();
}

bool append_output(std::ofstream& out, std::string_view path) {
  note_written_file(path);
  out.open(native_path(trimmed(path)), std::ios::out | std::ios::app);
  return out.is_open();
}

bool remove_file(std::string_view path) { return std::remove(native_path(trimmed(path)).c_str()) == 0; }

bool file_exists(std::string_view path) {
  std::error_code error;
  return fs::exists(native_path(trimmed(path)), error);
}

void stop_run(std::string_view message_line, std::string_view detail) {
  std::cout << message_line << '\n';
  std::cout.flush();
  report_stop(message_line, detail);
  std::exit(exit_stopped);
}

}  // namespace jpcp::platform
