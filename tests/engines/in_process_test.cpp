// The engines as a library (cracking/analysis.h, faulting/analysis.h): an
// in-memory run gives every result file byte for byte as the program
// writes it; two runs on two threads give what two runs one after the
// other give; a stop and a data error reach the caller, and the next run
// in the same process goes on.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <thread>

#include "common/nn/model_cache.h"
#include "cracking/analysis.h"
#include "faulting/analysis.h"
#include "tests/support/faulting_section.h"
#include "tests/support/section_folder.h"
#include "tests/support/test_models.h"

#ifdef JPCP_FAULTING_EXE
namespace jpcp::testing {
namespace {

namespace fs = std::filesystem;
using Files = std::map<std::string, std::string>;

// Every file of a folder but Progress.tmp, by name.
Files folder_files(const fs::path& folder) {
  Files files;
  for (const auto& entry : fs::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    if (name != "Progress.tmp") files[name] = read_file(entry.path());
  }
  return files;
}

struct Outcome {
  int exit_status = -1;
  Files files;
  std::string console;
  std::vector<frame::Diagnostic> diagnostics;
};

Outcome in_memory(const std::function<frame::RunOutcome(const frame::RunSetup&)>& run, nn::ModelCache& models) {
  std::ostringstream out;
  std::ostringstream err;
  frame::RunSetup setup;
  setup.in_memory = true;
  setup.out = &out;
  setup.err = &err;
  setup.models = &models;
  frame::RunOutcome outcome = run(setup);
  Outcome result;
  result.exit_status = outcome.exit_status;
  for (const auto& file : outcome.files) {
    const std::string name = fs::path(file.path).filename().string();
    if (name != "Progress.tmp") result.files[name] = file.contents;
  }
  result.console = out.str();
  result.diagnostics = outcome.diagnostics;
  return result;
}

class InProcess : public ::testing::Test {
 protected:
  InProcess()
      : one_("ip_one"), two_("ip_two"), faulting_("ip_fault"), nn_("ip_nn"), fmodels_("ip_fmodels"),
        results_("ip_res") {
    write_test_models(nn_.path());
    write_cracking_section(one_.path(), CrackingSectionInputs());
    write_file(one_.path() / "FileList.txt", "NULL\n");
    // Two cases (bonded for the first 12 months) and two calibration values.
    CrackingSectionInputs two;
    two.years = 2;
    two.general[3] = 12;
    two.calibration_values = {12, 15};
    two.observation_ages = {1.5f};
    write_cracking_section(two_.path(), two);
    write_file(two_.path() / "FileList.txt", "NULL\n");
    write_model_folder(fmodels_.path());
    write_faulting_section(faulting_.path(), FaultingSectionInputs());
    write_file(faulting_.path() / "FaultFileList.txt", "NULL\n");
    write_file(faulting_.path() / "Response.txt", "1\n");
  }

  cracking::Request cracking_request(const TempFolder& source, bool calibration) const {
    cracking::Request request;
    request.source_folder = source.str();
    request.model_folder = nn_.str();
    if (calibration) {
      request.summary_file = "summary.csv";
      request.detail = true;
    }
    return request;
  }
  Outcome cracking(const TempFolder& source, bool calibration, nn::ModelCache& models) const {
    const cracking::Request request = cracking_request(source, calibration);
    return in_memory([&](const frame::RunSetup& setup) { return cracking::run_cracking(request, setup); }, models);
  }
  Outcome faulting(nn::ModelCache& models) const {
    faulting::Request request;
    request.source_folder = faulting_.str();
    request.model_folder = fmodels_.str();
    return in_memory([&](const frame::RunSetup& setup) { return faulting::run_faulting(request, setup); }, models);
  }
  // The program's files of the same run.
  Files cracking_program(const TempFolder& source, bool calibration) {
    fs::remove_all(results_.path());
    fs::create_directories(results_.path());
    std::vector<std::string> arguments = {source.str(), results_.str(), nn_.str()};
    if (calibration) arguments.insert(arguments.end(), {"summary.csv", "detail"});
    const RunResult r = run_program(JPCP_CRACKING_EXE, arguments);
    EXPECT_EQ(r.exit_status, 0) << r.console << r.standard_error;
    return folder_files(results_.path());
  }
  // The program writes into its source folder: it runs on a copy.
  Files faulting_program() {
    fs::remove_all(results_.path());
    fs::copy(faulting_.path(), results_.path(), fs::copy_options::recursive);
    const RunResult r = run_program(JPCP_FAULTING_EXE, {results_.str(), fmodels_.str()});
    EXPECT_EQ(r.exit_status, 0) << r.console << r.standard_error;
    Files written = folder_files(results_.path());
    for (const auto& [name, text] : folder_files(faulting_.path())) written.erase(name);
    return written;
  }

  TempFolder one_, two_, faulting_, nn_, fmodels_, results_;
};

TEST_F(InProcess, ResultFilesAreThoseOfTheProgramsByteForByte) {
  nn::ModelCache models;
  const Outcome one = cracking(one_, false, models);
  EXPECT_EQ(one.exit_status, 0);
  EXPECT_EQ(one.files, cracking_program(one_, false));
  const Outcome two = cracking(two_, true, models);
  EXPECT_EQ(two.exit_status, 0);
  EXPECT_TRUE(two.files.count("summary.csv") && two.files.count("LTemp_B_JPCP.csv"));
  EXPECT_EQ(two.files, cracking_program(two_, true));
  const Outcome f = faulting(models);
  EXPECT_EQ(f.exit_status, 0);
  EXPECT_TRUE(f.files.count("_Deflection.csv"));
  EXPECT_EQ(f.files, faulting_program());
  // Nothing was written by the in-memory runs.
  EXPECT_FALSE(fs::exists(one_.path() / "JPCP_Cracking.csv"));

  // The fixtures, for bench/compare_programs.sh (FIXTURES=folder).
  if (const char* keep = std::getenv("JPCP_FIXTURE_OUT")) {
    const fs::path out(keep);
    fs::remove_all(out);
    for (const auto& [name, folder] : {std::pair<const char*, const TempFolder*>{"cracking-one", &one_},
                                       {"cracking-two-calibration", &two_}, {"faulting", &faulting_},
                                       {"models-cracking", &nn_}, {"models-faulting", &fmodels_}}) {
      fs::create_directories(out / name);
      fs::copy(folder->path(), out / name, fs::copy_options::recursive);
    }
  }
}

TEST_F(InProcess, TwoThreadsGiveWhatOneThreadGives) {
  nn::ModelCache models;
  const Outcome one = cracking(one_, false, models);
  const Outcome two = cracking(two_, true, models);
  const Outcome f = faulting(models);
  std::vector<Outcome> a(3), b(3);
  std::thread first([&] {
    for (Outcome& o : a) o = cracking(two_, true, models);
  });
  std::thread second([&] {
    for (size_t i = 0; i < b.size(); ++i) b[i] = i == 1 ? faulting(models) : cracking(one_, false, models);
  });
  first.join();
  second.join();
  for (const Outcome& o : a) {
    EXPECT_EQ(o.files, two.files);
    EXPECT_EQ(o.console, two.console);
  }
  EXPECT_EQ(b[0].files, one.files);
  EXPECT_EQ(b[1].files, f.files);
  EXPECT_EQ(b[2].files, one.files);
}

TEST_F(InProcess, AStopAndADataErrorReachTheCallerAndTheProcessGoesOn) {
  nn::ModelCache models;
  const fs::path model = nn_.path() / "bottom1.ttt";
  const std::string good = read_file(model);
  std::string bad = good;
  bad[0] = '2';  // ig1 = 2: a stop
  write_file(model, bad);
  const Outcome stopped = cracking(one_, false, models);
  EXPECT_EQ(stopped.exit_status, 3);
  ASSERT_EQ(stopped.diagnostics.size(), 1u);
  EXPECT_EQ(stopped.diagnostics[0].message, "Wrong NN");
  EXPECT_NE(stopped.diagnostics[0].detail.find("bottom1.ttt"), std::string::npos);
  EXPECT_EQ(stopped.console, " JPCP\n Wrong NN\n");

  write_file(model, good);
  // The cache knows a file by its size and modification time; a file system
  // with a coarse clock (Windows under Wine) could give the rewrite the same
  // time as the broken file of the same size.
  fs::last_write_time(model, fs::last_write_time(model) + std::chrono::seconds(2));
  CrackingSectionInputs broken;
  broken.general[4] = -1;  // slab thickness
  write_cracking_section(one_.path(), broken);
  const Outcome error = cracking(one_, false, models);
  EXPECT_EQ(error.exit_status, 1);
  ASSERT_EQ(error.diagnostics.size(), 1u);
  EXPECT_NE(error.diagnostics[0].message.find("General Input"), std::string::npos) << error.diagnostics[0].message;

  write_cracking_section(one_.path(), CrackingSectionInputs());
  EXPECT_EQ(cracking(one_, false, models).exit_status, 0);
}

}  // namespace
}  // namespace jpcp::testing
#endif
