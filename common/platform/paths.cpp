#include "common/platform/paths.h"

#include <algorithm>
#include <bit>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <system_error>

#include "common/platform/result_guard.h"
#include "common/platform/run_reporting.h"
#include "common/platform/run_scope.h"
#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif

namespace jpcp::platform {

namespace fs = std::filesystem;

std::string_view trimmed(std::string_view text) {
  const size_t end = text.find_last_not_of(' ');
  return end == std::string_view::npos ? std::string_view() : text.substr(0, end + 1);
}

namespace {

// "D:": the current folder of drive D (Windows only).
bool is_bare_drive(std::string_view folder) {
  return windows && folder.size() == 2 && folder[1] == ':' && std::isalpha(static_cast<unsigned char>(folder[0]));
}

}  // namespace

std::string folder_text(std::string_view argument) {
  std::string folder(trimmed(argument));
  if (is_bare_drive(folder)) return folder;
  if (folder.empty() || (folder.back() != '/' && folder.back() != '\\')) folder += separator;
  return folder;
}

std::string join(std::string_view folder, std::string_view name) {
  std::string path(trimmed(folder));
  path += trimmed(name);
  return path;
}

std::string native_path(std::string_view path) {
  std::string result(path);
  if constexpr (!windows) {
    for (char& c : result) {
      if (c == '\\') c = '/';
    }
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
  if constexpr (windows) {
    // The system compares names without regard to case and trailing dots.
    // The same narrow-name call as the later open decides, so a name in the
    // ANSI code page is found exactly when it can be opened.
    std::ifstream probe(exact, std::ios::binary);
    if (probe.is_open()) return exact;
    return std::nullopt;
  }
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
  std::ifstream in(*found, std::ios::binary | std::ios::ate);
  if (!in) return std::nullopt;
  // Sized from the end position so that one read takes the whole file (the
  // model files run to hundreds of kilobytes); the one byte more, and the
  // loop, take whatever a file still being written has gained since.
  const auto size = static_cast<size_t>(std::max<std::streamoff>(in.tellg(), 0));
  in.seekg(0);
  std::string contents;
  // A power-of-two capacity: the buffers of the model files read one after
  // the other (dozens of some 300 KB in a run) then come and go in the same
  // few sizes, and the allocator reuses their pages instead of handing them
  // back to the system and faulting fresh ones in for the next file.
  contents.reserve(std::bit_ceil(size + 1));
  size_t have = 0;
  for (size_t want = size + 1;; want = have) {
    contents.resize(have + want);
    in.read(contents.data() + have, static_cast<std::streamsize>(want));
    have += static_cast<size_t>(in.gcount());
    if (static_cast<size_t>(in.gcount()) < want) break;
  }
  if (in.bad()) return std::nullopt;
  contents.resize(have);
  return contents;
}

namespace {

bool open_output(OutputFile& out, std::string_view path, bool append) {
  note_written_file(path);
  if (OutputStore* store = current_run_scope().outputs) {
    out.open_in_memory(*store, native_path(trimmed(path)), append);
    return true;
  }
  return out.open_on_disk(native_path(trimmed(path)), append);
}

}  // namespace

bool create_output(OutputFile& out, std::string_view path) { return open_output(out, path, false); }

bool append_output(OutputFile& out, std::string_view path) { return open_output(out, path, true); }

bool write_output(const std::string& folder, std::string_view name,
                  const std::function<void(std::ostream&)>& writer, std::string& error) {
  const std::string path = join(folder_text(folder), name);
  OutputFile out;
  if (!create_output(out, path)) {
    error = "cannot create " + path;
    return false;
  }
  writer(out);
  out.close();
  if (!out) {
    error = "cannot write " + path;
    return false;
  }
  return true;
}

namespace {

std::string with_platform_line_ends(std::string_view text) {
  std::string bytes;
  bytes.reserve(text.size() + 8);
  for (char c : text) {
    if (c == '\n' && windows) bytes += '\r';
    bytes += c;
  }
  return bytes;
}

bool write_whole_file(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
  out.close();
  return static_cast<bool>(out);
}

#ifdef _WIN32
// One write over the file, without truncating it first, then cut at the new
// end. Works while a reader holds the file open as long as it shares
// writing; a reader that reads during the write may see a mixture of the
// two lines, so this is the last resort.
bool overwrite_in_place(const std::string& path, const std::string& bytes) {
  const HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                  written == bytes.size() && SetEndOfFile(file);
  CloseHandle(file);
  return ok;
}
#endif

}  // namespace

bool replace_small_file(std::string_view path, std::string_view text) {
  const std::string target = native_path(trimmed(path));
  const std::string temporary = target + ".new";
  const std::string bytes = with_platform_line_ends(text);
#ifdef _WIN32
  // A reader holding the file open without delete sharing (the usual C and
  // .NET readers) makes the rename fail for as long as it holds it; it
  // normally reads a line and closes, so the rename is tried again for up to
  // about two seconds. Only then is the line written over the old one in
  // place, so that a reader that keeps the file open still gets it.
  constexpr int attempts = 200;
  constexpr DWORD pause_ms = 10;
  if (write_whole_file(temporary, bytes)) {
    for (int attempt = 0; attempt < attempts; ++attempt) {
      if (MoveFileExA(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) return true;
      Sleep(pause_ms);
    }
  }
  std::remove(temporary.c_str());
  return overwrite_in_place(target, bytes);
#else
  if (!write_whole_file(temporary, bytes)) {
    std::remove(temporary.c_str());
    return false;
  }
  if (std::rename(temporary.c_str(), target.c_str()) != 0) {
    std::remove(temporary.c_str());
    return false;
  }
  return true;
#endif
}

bool remove_file(std::string_view path) { return std::remove(native_path(trimmed(path)).c_str()) == 0; }

bool file_exists(std::string_view path) {
  std::error_code error;
  return fs::exists(native_path(trimmed(path)), error);
}

void stop_run(std::string_view message_line, std::string_view detail) {
  std::ostream& out = run_out();
  out << message_line << '\n';
  out.flush();
  report_stop(message_line, detail);
  throw RunStopped{one_line(message_line), std::string(detail)};
}

}  // namespace jpcp::platform
