// Writes small, complete section folders for the end-to-end tests, and runs
// the programs on them.
#pragma once

#include <array>
#include <filesystem>
#include <string>
#include <vector>

namespace jpcp::testing {

// A fresh, empty folder under the test temp directory, removed by its
// destructor.
class TempFolder {
 public:
  explicit TempFolder(const std::string& name);
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::string str() const { return path_.string(); }

 private:
  std::filesystem::path path_;
};

void write_file(const std::filesystem::path& path, const std::string& contents);
// The text of a file, with CRLF line ends (Windows) read as LF.
std::string read_file(const std::filesystem::path& path);
std::vector<std::string> read_lines(const std::filesystem::path& path);

// The inputs of one cracking section, with values of a plausible slab.
struct CrackingSectionInputs {
  std::array<float, 43> general{};  // fields 1..43 at index 0..42
  int years = 1;
  int start_month = 1;
  std::vector<float> calibration_values;  // written only when non-empty
  std::vector<float> observation_ages;
  int temperature_days = 12;  // complete days of hourly records, one per calendar month in turn
  CrackingSectionInputs();
};

// Writes the section's nine input files into `folder` under the default
// names, or under `prefix` + default name when a prefix is given.
void write_cracking_section(const std::filesystem::path& folder, const CrackingSectionInputs& inputs,
                            const std::string& prefix = "");

// The nine file lines of a FileList.txt block for a section written with
// `prefix`.
std::string cracking_file_list_block(const std::string& section_name, const std::string& prefix);

// NNinfo.txt with four names (the model files themselves are not written).
void write_nn_info(const std::filesystem::path& nn_folder);

struct RunResult {
  int exit_status = -1;
  std::string console;         // standard output
  std::string standard_error;  // error lines and their detail
};

// Runs a program with the arguments (each passed as one argument).
RunResult run_program(const std::string& executable, const std::vector<std::string>& arguments);

}  // namespace jpcp::testing
