// End to end: the result files of example sections (fixed weather seed)
// with the demonstration models, pinned by checksum, so that work on the
// readers, the formatter or the numerics cannot change an output byte
// unnoticed. A deliberate change of outputs re-pins the list: the failure
// message prints the current one.
#include <cstdint>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/section_folder.h"

namespace jpcp::testing {
namespace {

// FNV-1a, 64 bits.
uint64_t checksum(const std::string& bytes) {
  uint64_t hash = 14695981039346656037ull;
  for (const char c : bytes) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 1099511628211ull;
  }
  return hash;
}

// "case/file checksum" lines of the result files of a folder; the progress
// and version files are left out.
void list_results(const std::string& label, const std::filesystem::path& folder, const std::vector<std::string>& names,
                  std::ostringstream& list) {
  for (const std::string& name : names) {
    std::ostringstream hex;
    hex << std::hex << checksum(read_file(folder / name));
    list << label << '/' << name << ' ' << hex.str() << '\n';
  }
}

void run_ok(const std::string& executable, const std::vector<std::string>& arguments) {
  const RunResult result = run_program(executable, arguments);
  ASSERT_EQ(result.exit_status, 0) << executable << ": " << result.console;
}

TEST(ExampleResults, ResultFilesOfTheExampleSectionsAreUnchanged) {
  TempFolder work("example_results");
  const std::string w = work.str();
  run_ok(JPCP_EXAMPLE_EXE, {"both", w + "/one", "--design-life", "3"});
  run_ok(JPCP_EXAMPLE_EXE, {"cracking", w + "/two", "--design-life", "3", "--base", "asphalt", "--bond-months", "12"});
  run_ok(JPCP_MODELS_EXE, {"demo-cracking", w + "/crack_models"});
  run_ok(JPCP_MODELS_EXE, {"demo-faulting", w + "/fault_models"});
  std::filesystem::create_directories(w + "/one/cracking/results");
  std::filesystem::create_directories(w + "/two/results");
  run_ok(JPCP_CRACKING_EXE, {w + "/one/cracking", w + "/one/cracking/results", w + "/crack_models"});
  run_ok(JPCP_CRACKING_EXE, {w + "/two", w + "/two/results", w + "/crack_models"});
  run_ok(JPCP_FAULTING_EXE, {w + "/one/faulting", w + "/fault_models"});

  std::ostringstream list;
  const std::vector<std::string> cracking = {"ESALs.txt", "Example_Cracking.csv", "LTemp_Example.csv",
                                             "StressResults.csv", "Traff.csv"};
  list_results("one-case", work.path() / "one/cracking/results", cracking, list);
  std::vector<std::string> bonded = cracking;
  bonded.insert(bonded.end(), {"LTemp_B_Example.csv", "StressResultsBond.csv"});
  list_results("two-case", work.path() / "two/results", bonded, list);
  list_results("faulting", work.path() / "one/faulting", {"JPCP_faulting.csv", "JPCP_faulting2.csv"}, list);

  // Written by the build before the readers and the formatter were reworked.
  const std::string pinned =
      "one-case/ESALs.txt 5919793916482bdc\n"
      "one-case/Example_Cracking.csv 7b23e6b6bfe39f79\n"
      "one-case/LTemp_Example.csv 646e9bb9208a1c02\n"
      "one-case/StressResults.csv efd9366b5e2fc3\n"
      "one-case/Traff.csv 73420b824711f5da\n"
      "two-case/ESALs.txt 5919793916482bdc\n"
      "two-case/Example_Cracking.csv ddf5755f04b5909a\n"
      "two-case/LTemp_Example.csv 4b028a55a935a136\n"
      "two-case/StressResults.csv 87b20ed0b610e392\n"
      "two-case/Traff.csv 73420b824711f5da\n"
      "two-case/LTemp_B_Example.csv f06a38b5f2e84e6c\n"
      "two-case/StressResultsBond.csv bbea183eba1c8865\n"
      "faulting/JPCP_faulting.csv e559b380887be59b\n"
      "faulting/JPCP_faulting2.csv f57021bfb91425d2\n";
  EXPECT_EQ(list.str(), pinned) << "current checksums:\n" << list.str();
}

}  // namespace
}  // namespace jpcp::testing
