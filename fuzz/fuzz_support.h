// Shared by the fuzz targets: the input bytes as a file the readers can
// open, a silent error reporter, and stops turned into an exception so that
// one stopping input does not end the fuzzing process.
#pragma once

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "common/inputs/reporting.h"
#include "common/platform/run_reporting.h"

namespace jpcp::fuzz {

// Thrown by the stop reporter: the stop message was printed and the
// process would have ended with status 3, which is the designed outcome.
struct Stopped {};

// Re-armed for every input: the stop reporter is cleared when it is used.
inline void throw_on_stop() {
  platform::set_stop_reporter([](std::string_view, std::string_view) { throw Stopped{}; });
}

// A folder of this process for the files of one input.
inline const std::filesystem::path& scratch_folder() {
  static const std::filesystem::path folder = [] {
    std::filesystem::path p = std::filesystem::temp_directory_path() / ("jpcp_fuzz_" + std::to_string(getpid()));
    std::filesystem::create_directories(p);
    return p;
  }();
  return folder;
}

// Writes `contents` as `name` in the scratch folder and returns its path.
inline std::string write_file(std::string_view name, std::string_view contents) {
  const std::filesystem::path path = scratch_folder() / std::string(name);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(contents.data(), static_cast<std::streamsize>(contents.size()));
  return path.string();
}

inline std::string_view as_text(const uint8_t* data, size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

inline inputs::ReportError silent() {
  return [](std::string_view, std::string_view) {};
}

// The part of the input before and after the first line "@@" (two files in
// one input); without that line both parts are the whole input.
inline std::pair<std::string_view, std::string_view> split_files(std::string_view text) {
  const size_t at = text.find("\n@@\n");
  if (at == std::string_view::npos) return {text, text};
  return {text.substr(0, at + 1), text.substr(at + 4)};
}

}  // namespace jpcp::fuzz
