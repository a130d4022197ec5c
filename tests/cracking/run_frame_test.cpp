// End-to-end runs of jpcp_cracking on small section folders.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "common/platform/result_guard.h"
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

TEST_F(CrackingRun, EmptyFileListIsAnErrorAndStillWritesTheVersionFile) {
  write_file(source_.path() / "FileList.txt", "");
  const RunResult r = run();
  EXPECT_EQ(r.exit_status, 1);
  EXPECT_EQ(progress(), " -1.0\n");
  EXPECT_EQ(errors(), std::vector<std::string>{" Data error: FileList.txt -- no sections"});
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

// A base modulus that the Ebase(ksi) column (F7.2) cannot hold is refused
// where it is read, before the analysis.
TEST_F(CrackingRun, BaseModulusNoResultLayoutCanHoldIsRefusedWhenRead) {
  write_cracking_section(source_.path(), CrackingSectionInputs());
  write_file(source_.path() / "FileList.txt", "NULL\n");
  std::string season = read_file(source_.path() / "SeasonPattern.txt");
  season.replace(season.find("30000"), 5, "2e7");  // January
  write_file(source_.path() / "SeasonPattern.txt", season);
  const RunResult r = run();
  EXPECT_EQ(r.exit_status, 1);
  EXPECT_EQ(errors(), std::vector<std::string>{" Data error: Season Pattern File -- base modulus of month 1 (psi) must "
                                               "be below 10000000 to fit the Ebase(ksi) column of JPCP_Cracking.csv: "
                                               "20000000"});
  EXPECT_FALSE(fs::exists(result("JPCP_Cracking.csv")));
}

// A results folder that is missing or is a file: the line on standard
// output as ever, and on standard error with the reason; nothing written.
TEST_F(CrackingRun, UnusableResultsFolderIsReportedOnStandardErrorWithTheReason) {
  write_file(source_.path() / "FileList.txt", "NULL\n");
  write_file(result("plain_file"), "x\n");
  for (const auto& [folder, reason] : std::vector<std::pair<fs::path, std::string>>{
           {result("missing"), ": not found"}, {result("plain_file"), ": not a folder"}}) {
    const RunResult r = run_program(JPCP_CRACKING_EXE, {source_.str(), folder.string(), nn_.str()});
    EXPECT_EQ(r.exit_status, 1);
    const std::string line =
        "The error file could not be created: " + folder.string() + platform::separator + "JPCP Errors.txt";
    EXPECT_EQ(r.console, " " + line + "\n");
    EXPECT_EQ(r.standard_error, " " + line + "\n   " + folder.lexically_normal().string() + reason + "\n");
  }
  EXPECT_FALSE(fs::exists(result("missing")));
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
  EXPECT_NE(errors()[0].find("100 years"), std::string::npos) << errors()[0];
}

// Every file of the three folders, by path.
std::vector<fs::path> files_under(const fs::path& folder) {
  std::vector<fs::path> files;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (entry.is_regular_file()) files.push_back(entry.path());
  }
  return files;
}

// An impossible input value: exit 1, the error line naming file, field,
// rule and value, the full path on standard error, -1.0 in Progress.tmp.
TEST_F(CrackingRun, ImpossibleValueIsAnErrorWithItsDetailOnStandardError) {
  CrackingSectionInputs inputs;
  inputs.general[4] = -1;  // slab thickness
  write_cracking_section(source_.path(), inputs);
  write_file(source_.path() / "FileList.txt", "NULL\n");
  const RunResult r = run();
  EXPECT_EQ(r.exit_status, 1);
  const std::string line = "Data error: General Input File -- field 5 (slab thickness, in) must be above 0: -1";
  EXPECT_EQ(errors(), std::vector<std::string>{" " + line});
  EXPECT_EQ(progress(), " -1.0\n");
  EXPECT_EQ(r.standard_error, " " + line + "\n   " +
                                  fs::absolute(source_.path() / "GeneralInput.txt").lexically_normal().string() + "\n");
}

// A section name that is a path: rejected, and nothing is written outside
// the results folder.
TEST_F(CrackingRun, SectionNameWithAPathIsRejectedAndNothingLeavesTheResultsFolder) {
  write_cracking_section(source_.path(), CrackingSectionInputs(), "s_");
  const fs::path outside = results_.path().parent_path();
  for (const std::string& name :
       std::vector<std::string>{"'../escaped'", "'..\\escaped'", "/tmp/escaped", "'C:escaped'"}) {
    std::string block = cracking_file_list_block("X", "s_");
    block.replace(0, 1, name);
    write_file(source_.path() / "FileList.txt", block);
    const RunResult r = run();
    EXPECT_EQ(r.exit_status, 1) << name;
    ASSERT_EQ(errors().size(), 1u);
    EXPECT_EQ(errors()[0].rfind(" Data error: FileList.txt -- section name ", 0), 0u) << errors()[0];
  }
  // "../" leads into the folder that holds the results folder. Other tests
  // create and remove folders there meanwhile, so it is listed, not walked.
  for (const fs::directory_entry& entry : fs::directory_iterator(outside)) {
    EXPECT_EQ(entry.path().filename().string().find("escaped"), std::string::npos) << entry.path();
  }
  EXPECT_FALSE(fs::exists("/tmp/escaped_Cracking.csv"));
}

// A model file of the wrong shape stops the run (exit 3) with its message on
// standard output, and now also in the error file with -1.0 in Progress.tmp.
TEST_F(CrackingRun, StopIsReportedInTheErrorFileAndProgress) {
  write_cracking_section(source_.path(), CrackingSectionInputs());
  write_file(source_.path() / "FileList.txt", "NULL\n");
  std::string model = read_file(nn_.path() / "bottom1.ttt");
  model[0] = '2';  // ig1 = 2
  write_file(nn_.path() / "bottom1.ttt", model);
  const RunResult r = run();
  EXPECT_EQ(r.exit_status, 3);
  EXPECT_EQ(r.console, " JPCP\n Wrong NN\n");
  EXPECT_EQ(errors(), std::vector<std::string>{" Wrong NN"});
  EXPECT_EQ(progress(), " -1.0\n");
  EXPECT_NE(r.standard_error.find("bottom1.ttt"), std::string::npos) << r.standard_error;
}

// Overflowing values end the run with an error or give clean results: a run
// that exits 0 never leaves NaN, an infinity or asterisks in any file.
TEST_F(CrackingRun, OverflowingValuesNeverLeaveUnfitFieldsInARunThatSucceeds) {
  const std::vector<std::pair<int, float>> general_cases = {{19, 1e38f}, {20, -1e38f}, {42, 99.99f}, {43, 1e38f},
                                                            {24, 1e38f}, {14, 1e38f},  {5, 1e38f}};
  for (const auto& [field, value] : general_cases) {
    CrackingSectionInputs inputs;
    inputs.general[static_cast<size_t>(field - 1)] = value;
    write_cracking_section(source_.path(), inputs);
    write_file(source_.path() / "FileList.txt", "NULL\n");
    fs::remove_all(results_.path());
    fs::create_directories(results_.path());
    const RunResult r = run();
    if (r.exit_status == 0) {
      for (const fs::path& file : files_under(results_.path())) {
        EXPECT_FALSE(platform::find_unfit_field(read_file(file))) << "field " << field << ": " << file;
      }
    } else {
      EXPECT_EQ(r.exit_status, 1) << "field " << field << r.console;
      EXPECT_EQ(errors().size(), 1u) << "field " << field;
    }
  }
}

}  // namespace
}  // namespace jpcp::testing
