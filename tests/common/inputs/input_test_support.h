// A fresh folder per test for the input files a reader test writes, and a
// collector of the messages a reader reports.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "common/inputs/reporting.h"

namespace jpcp::inputs::testing {

class TempFolder {
 public:
  TempFolder() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    root_ = std::filesystem::path(::testing::TempDir()) / "jpcp_inputs" /
            (std::string(info->test_suite_name()) + "." + info->name());
    std::filesystem::remove_all(root_);
    std::filesystem::create_directories(root_);
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  // The folder text, ending in a separator as the programs keep it.
  std::string folder() const { return root_.string() + "/"; }
  std::string path(std::string_view name) const { return folder() + std::string(name); }

  std::string write(std::string_view name, std::string_view contents) const {
    const std::string full = path(name);
    std::filesystem::create_directories(std::filesystem::path(full).parent_path());
    std::ofstream(full, std::ios::binary) << contents;
    return full;
  }
  // The text of a written file: text mode, so CRLF line ends (Windows) read
  // as LF.
  std::string read(std::string_view name) const {
    std::ifstream in(path(name));
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  bool exists(std::string_view name) const { return std::filesystem::exists(path(name)); }

 private:
  std::filesystem::path root_;
};

struct ReportedErrors {
  std::vector<std::string> messages;
  ReportError reporter() {
    return [this](std::string_view message) { messages.emplace_back(message); };
  }
};

// The text blank-padded (or cut) to the width of a message field.
inline std::string padded(std::string_view text, size_t width) {
  std::string result(text.substr(0, width));
  result.resize(width, ' ');
  return result;
}

}  // namespace jpcp::inputs::testing
