// A run context whose results folder is a fresh temp folder, with the error
// file open there, for the tests of the result writers.
#pragma once

#include <string>
#include <vector>

#include "common/frame/run_frame.h"
#include "cracking/frame/run_context.h"
#include "tests/support/section_folder.h"

namespace jpcp::testing {

class WriterRun {
 public:
  explicit WriterRun(const std::string& name)
      : folder_(name), frame_(cracking::error_file_name, true, setup(folder_.str() + "/")), run(frame_) {
    run.results_folder = folder_.str() + "/";
    frame_.open_error_file();
  }
  const std::filesystem::path& folder() const { return folder_.path(); }
  std::vector<std::string> lines(const std::string& file) const { return read_lines(folder_.path() / file); }
  // Lines of the error file (each message with its leading blank).
  std::vector<std::string> errors() { return lines(std::string(cracking::error_file_name)); }

 private:
  static frame::RunSetup setup(const std::string& folder) {
    frame::RunSetup s;
    s.results_folder = folder;
    return s;
  }
  TempFolder folder_;
  frame::RunFrame frame_;

 public:
  cracking::RunContext run;
};

}  // namespace jpcp::testing
