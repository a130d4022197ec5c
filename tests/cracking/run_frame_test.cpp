// End-to-end runs of jpcp_cracking on small section folders.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "common/platform/paths.h"
#include "tests/support/section_folder.h"
#include "tests/support/test_models.h"

namespace jpcp::testing {
namespace {

namespace fs = std::filesystem;

class CrackingRun : public ::testing::Test {
 protected:
  CrackingRun() : source_("src"), results_("res"), nn_("nn") { write_test_models(nn_.path()); }

  RunResult run(std::vector<std::string> extra = {}) {
    std::vector<std::string> arguments = {source_.str(), results_.str(), nn_.str()};
    arguments.insert(arguments.end(), extra.begin(), extra.end());
    return run_program(JPCP_CRACKING_EXE, arguments);
  }
  fs::path result(const std::string& name) const { return results_.path() / name; }
  std::string progress() const { return read_file(result("Progress.tmp")); }
  std::vector<std::string> errors() const { return read_lines(result("JPCP Errors.txt")); }

  TempFolder source_;
  TempFolder results_;
  TempFolder nn_;
};

TEST_F(CrackingRun, CompleteSectionWritesTrafficSummariesAndVersionAndNoErrorFile) {
  write_cracking_section(source_.path(), CrackingSectionInputs(), "s1_");
  write_file(source_.path() / "FileList.txt", cracking_file_list_block("Section1", "s1_"));
  const RunResult r = run();
  EXPECT_EQ(r.exit_status, 0) << r.console;
  EXPECT_EQ(r.console, " Section1\n");
  EXPECT_FALSE(fs::exists(result("JPCP Errors.txt")));
  EXPECT_EQ(progress(), "100.0\n");
  EXPECT_EQ(read_file(result("VersionCracking.txt")), " VERSION=5 DATE=1/04/2013 AUTHOR=TEMBRA\n");
  const auto esals = read_lines(result("ESALs.txt"));
  ASSERT_EQ(esals.size(), 1u);
  EXPECT_EQ(esals[0].substr(0, 16), "Design traffic =");
  EXPECT_EQ(esals[0].substr(22), " million ESALs");
  const auto traff = read_lines(result("Traff.csv"));
  ASSERT_EQ(traff.size(), 40u);
  EXPECT_EQ(traff[0], " Single,Tandem,Tridem");
}

TEST_F(CrackingRun, NullBlockUsesTheDefaultInputSetAndFoldersWithOrWithoutSeparator) {
  write_cracking_section(source_.path(), CrackingSectionInputs());
  write_file(source_.path() / "FileList.txt", "NULL\n");
  const RunResult r = run_program(JPCP_CRACKING_EXE, {source_.str() + "/", results_.str(), nn_.str() + "/"});
  EXPECT_EQ(r.exit_status, 0) << r.console;
  EXPECT_EQ(r.console, " JPCP\n");
  EXPECT_FALSE(fs::exists(result("JPCP Errors.txt")));
  EXPECT_TRUE(fs::exists(result("Traff.csv")));
}

TEST_F(CrackingRun, FailingSecondSectionLeavesOneErrorLineAndStopsTheRun) {
  write_cracking_section(source_.path(), CrackingSectionInputs(), "a_");
  write_cracking_section(source_.path(), CrackingSectionInputs(), "b_");
  write_cracking_section(source_.path(), CrackingSectionInputs(), "c_");
  write_file(source_.path() / "b_GeneralInput.txt", "1 2 3 x\n");
  write_file(source_.path() / "FileList.txt", cracking_file_list_block("A", "a_") +
                                                  cracking_file_list_block("B", "b_") +
                                                  cracking_file_list_block("C", "c_"));
  const RunResult r = run();
  EXPECT_EQ(r.exit_status, 1);
  EXPECT_EQ(r.console, " A\n");  // B fails before its console line, C is never read
  EXPECT_EQ(errors(), std::vector<std::string>{" Data error: General Input File."});
  EXPECT_EQ(progress(), " -1.0\n");
  EXPECT_TRUE(fs::exists(result("VersionCracking.txt")));
}

TEST_F(CrackingRun, MissingInputFileIsReportedAndNeverCreated) {
  write_cracking_section(source_.path(), CrackingSectionInputs(), "s_");
  fs::remove(source_.path() / "s_ThermalPCC.dat");
  write_file(source_.path() / "FileList.txt", cracking_file_list_block("S", "s_"));
  const auto before = read_file(source_.path() / "FileList.txt");
  const RunResult r = run();
  EXPECT_EQ(r.exit_status, 1);
  const auto lines = errors();
  ASSERT_EQ(lines.size(), 1u);
  const std::string path = source_.str() + platform::separator + "s_ThermalPCC.dat";
  EXPECT_EQ(lines[0], " Unexpected end of file: " + path + std::string(260 - path.size(), ' '));
  EXPECT_FALSE(fs::exists(source_.path() / "s_ThermalPCC.dat"));
  EXPECT_EQ(read_file(source_.path() / "FileList.txt"), before);
}

TEST_F(CrackingRun, MissingFileListAndMissingNnInfo) {
  RunResult r = run();
  EXPECT_EQ(r.exit_status, 1);
  EXPECT_EQ(errors(), std::vector<std::string>{" The following input file could not be opened: FileList.txt"});
  EXPECT_FALSE(fs::exists(source_.path() / "FileList.txt"));

  write_file(source_.path() / "FileList.txt", "NULL\n");
  fs::remove(nn_.path() / "NNinfo.txt");
  r = run();
  EXPECT_EQ(r.exit_status, 1);
  EXPECT_EQ(r.console, "");  // no section is analysed
  EXPECT_EQ(errors(), std::vector<std::string>{" Read error: NNinfo.txt"});
}

TEST_F(CrackingRun, EmptyFileListEndsAtOnceWithTheVersionFile) {
  write_file(source_.path() / "FileList.txt", "");
  const RunResult r = run();
  EXPECT_EQ(r.exit_status, 0);
  EXPECT_EQ(progress(), "  0.0\n");
  EXPECT_FALSE(fs::exists(result("JPCP Errors.txt")));
  EXPECT_TRUE(fs::exists(result("VersionCracking.txt")));
}

TEST_F(CrackingRun, ShortCommandLinePrintsUsageAndExitsTwo) {
  const RunResult r = run_program(JPCP_CRACKING_EXE, {source_.str(), results_.str()});
  EXPECT_EQ(r.exit_status, 2);
  EXPECT_EQ(r.console,
            " Missing command parameters.\n The program requires: Source folder, Results Folder, FileList.txt\n"
            "Run 'jpcp_cracking --help' for usage.\n");
  EXPECT_FALSE(fs::exists(result("JPCP Errors.txt")));
}

TEST_F(CrackingRun, CalibrationModeWritesTheSummaryHeaderAndAppliesANegativeBgcal) {
  CrackingSectionInputs inputs;
  inputs.years = 2;
  inputs.calibration_values = {12, 15};
  inputs.observation_ages = {5};
  write_cracking_section(source_.path(), inputs);
  write_file(source_.path() / "FileList.txt", "NULL\n");
  write_file(source_.path() / "BGCal.txt", "-12.5\n");
  RunResult r = run({"summary.csv"});
  EXPECT_EQ(r.exit_status, 0) << r.console;
  const auto summary = read_lines(result("summary.csv"));
  ASSERT_EQ(summary.size(), 3u);  // the header and one line per analysis at the one observation age
  EXPECT_EQ(summary[0], "      Section,     Age,     BU,       TD,       CR");
  EXPECT_EQ(summary[1].substr(0, 14), "JPCPL12,  5.0,");
  EXPECT_EQ(summary[2].substr(0, 14), "JPCPL15,  5.0,");
  EXPECT_EQ(r.console, " JPCP:  BTG = -12.50000\n");

  write_file(source_.path() / "BGCal.txt", "3\n");  // zero or more keeps the section's own gradient
  r = run({"summary.csv", "detail"});
  EXPECT_EQ(r.exit_status, 0) << r.console;
  EXPECT_EQ(r.console, " JPCP:  BTG = -10.00000\n");
}

TEST_F(CrackingRun, OneYearCalibrationRunInterpolatesFromAgeZero) {
  CrackingSectionInputs inputs;
  inputs.calibration_values = {15};
  inputs.observation_ages = {0.5, 0.5, 1};  // repeated ages are allowed
  write_cracking_section(source_.path(), inputs);
  write_file(source_.path() / "FileList.txt", "NULL\n");
  const RunResult r = run({"summary.csv"});
  EXPECT_EQ(r.exit_status, 0) << r.console;
  const auto summary = read_lines(result("summary.csv"));
  ASSERT_EQ(summary.size(), 4u);
  EXPECT_EQ(summary[1], summary[2]);
  EXPECT_EQ(summary[1].substr(0, 14), "JPCPL15,  0.5,");
}

TEST_F(CrackingRun, OutsideCalibrationModeNoSummaryOrBgcalIsTouched) {
  write_cracking_section(source_.path(), CrackingSectionInputs());
  write_file(source_.path() / "FileList.txt", "NULL\n");
  write_file(source_.path() / "BGCal.txt", "-12.5\n");
  const RunResult r = run();
  EXPECT_EQ(r.exit_status, 0) << r.console;
  EXPECT_EQ(r.console, " JPCP\n");
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(results_.path())) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"ESALs.txt", "JPCP_Cracking.csv", "LTemp_JPCP.csv", "Progress.tmp",
                                             "StressResults.csv", "Traff.csv", "VersionCracking.txt"}));
}

TEST_F(CrackingRun, UnreadableHourlyTrafficAndOverlongDesignLife) {
  write_cracking_section(source_.path(), CrackingSectionInputs());
  write_file(source_.path() / "_HourlyTrafficPerc.txt", "4 4 4\n");
  write_file(source_.path() / "FileList.txt", "NULL\n");
  RunResult r = run();
  EXPECT_EQ(r.exit_status, 1);
  EXPECT_EQ(errors(), std::vector<std::string>{" Read error: hourly traffic distribution file."});

  CrackingSectionInputs long_life;
  long_life.years = 126;
  write_cracking_section(source_.path(), long_life);
  r = run();
  EXPECT_EQ(r.exit_status, 1);
  ASSERT_EQ(errors().size(), 1u);
  EXPECT_NE(errors()[0].find("125 years"), std::string::npos) << errors()[0];
}

}  // namespace
}  // namespace jpcp::testing
