// A run context whose results folder is a fresh temp folder, with the error
// file open there, for the tests of the result writers.
#pragma once

#include <string>
#include <vector>

#include "cracking/frame/run_context.h"
#include "tests/support/section_folder.h"

namespace jpcp::testing {

class WriterRun {
 public:
  explicit WriterRun(const std::string& name) : folder_(name) {
    run.results_folder = folder_.str() + "/";
    run.error_file.open(folder_.path() / std::string(cracking::error_file_name));
  }
  const std::filesystem::path& folder() const { return folder_.path(); }
  std::vector<std::string> lines(const std::string& file) const { return read_lines(folder_.path() / file); }
  // Lines of the error file (each message with its leading blank).
  std::vector<std::string> errors() {
    run.error_file.flush();
    return lines(std::string(cracking::error_file_name));
  }

  cracking::RunContext run;

 private:
  TempFolder folder_;
};

}  // namespace jpcp::testing
