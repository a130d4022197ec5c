// End-to-end runs of jpcp_faulting on small section and model folders.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <sstream>

#include "tests/support/faulting_section.h"
#include "tests/support/section_folder.h"

#ifdef JPCP_FAULTING_EXE

namespace jpcp::testing {
namespace {

namespace fs = std::filesystem;

// Splits a CSV line at its commas (an empty last field after a final comma
// is kept).
std::vector<std::string> fields(const std::string& line) {
  std::vector<std::string> result;
  std::string field;
  std::istringstream in(line);
  while (std::getline(in, field, ',')) result.push_back(field);
  if (!line.empty() && line.back() == ',') result.push_back("");
  return result;
}

class FaultingRun : public ::testing::Test {
 protected:
  FaultingRun() : source_("fsrc"), models_("fmodels") { write_model_folder(models_.path()); }

  void write_section(const FaultingSectionInputs& inputs = FaultingSectionInputs()) {
    write_faulting_section(source_.path(), inputs);
    write_file(source_.path() / "FaultFileList.txt", "NULL\n");
  }
  RunResult run() { return run_program(JPCP_FAULTING_EXE, {source_.str(), models_.str()}); }
  fs::path file(const std::string& name) const { return source_.path() / name; }
  std::vector<std::string> errors() const { return read_lines(file("ErrorsFAULT.txt")); }
  // Runs a section expected to fail and returns its one error line.
  std::string single_error() {
    const RunResult r = run();
    EXPECT_EQ(r.exit_status, 1) << r.console;
    const auto lines = errors();
    EXPECT_EQ(lines.size(), 1u);
    return lines.empty() ? "" : lines[0];
  }

  TempFolder source_;
  TempFolder models_;
};

TEST_F(FaultingRun, CompleteSectionWritesTheResultLayoutsAndNoErrorFile) {
  write_section();
  const RunResult r = run();
  ASSERT_EQ(r.exit_status, 0) << r.console;
  EXPECT_EQ(r.console, "");
  EXPECT_FALSE(fs::exists(file("ErrorsFAULT.txt")));
  EXPECT_FALSE(fs::exists(file("nndata.txt")));
  EXPECT_FALSE(fs::exists(file("_Deflection.csv")));  // no Response.txt
  EXPECT_FALSE(fs::exists(file("Progress.tmp")));     // 24 months: never a 240th
  EXPECT_EQ(read_file(file("VersionFaulting.txt")), " VERSION=5 DATE=4/05/2011 AUTHOR=TEMBRA\n");

  const auto detail = read_lines(file("JPCP_faulting.csv"));
  ASSERT_EQ(detail.size(), 4u + 24u);
  const auto first = fields(detail[0]);
  ASSERT_EQ(first.size(), 4u);
  EXPECT_EQ(detail[0].substr(0, 2), "  ");
  EXPECT_GT(std::stof(first[0]), 0.0f);  // faultmax
  EXPECT_EQ(detail[1].substr(0, 16), "Pavement,,,,,,,r");
  EXPECT_EQ(detail[3].substr(0, 12), "mo, ,psi,psi");
  EXPECT_NE(detail[3].find(",\xB0" "F,"), std::string::npos);
  for (size_t i = 4; i < detail.size(); ++i) {
    const auto row = fields(detail[i]);
    ASSERT_EQ(row.size(), 23u) << detail[i];  // 22 fields and the final comma
    EXPECT_EQ(std::stoi(row[0]), static_cast<int>(i - 3));
    EXPECT_EQ(detail[i].size(), 5u + 3 + 1 + 12 + 1 + 4 + 12 + 1 + 14 + 4 * 10 + 14 * 12);
  }
  EXPECT_EQ(detail[4].substr(0, 22), "    1   ,January     ,");
  EXPECT_EQ(detail[12].substr(0, 22), "    9   ,September   ,");

  const auto summary = read_lines(file("JPCP_faulting2.csv"));
  ASSERT_EQ(summary.size(), 4u + 24u);
  EXPECT_EQ(summary[0], "Age(mo),Age(yr),Month,Epcc (Mpsi),Ebase (ksi),");
  EXPECT_EQ(summary[1], "k(psi/in),R.H.(%),dT(\xB0" "F),Joint opening(in),LTE(%),");
  EXPECT_EQ(summary[1].size(), 50u);
  EXPECT_EQ(summary[2], "SA def. L(in),SA def. UL(in),TA def. L(in),TA def. UL(in),");
  EXPECT_EQ(summary[3], "D.E.(in-lb),Faulting(in)");
  EXPECT_EQ(summary[12].substr(0, 24), "    9,  0.75,September ,");
  for (size_t i = 4; i < summary.size(); ++i) EXPECT_EQ(fields(summary[i]).size(), 16u) << summary[i];

  // Faulting never decreases.
  float previous = 0.0f;
  for (size_t i = 4; i < detail.size(); ++i) {
    const float F = std::stof(fields(detail[i])[21]);
    EXPECT_GE(F, previous);
    previous = F;
  }
}

TEST_F(FaultingRun, ResultRowsAgreeWithTheClosedFormModels) {
  write_section();
  ASSERT_EQ(run().exit_status, 0);
  const auto detail = read_lines(file("JPCP_faulting.csv"));
  ASSERT_EQ(detail.size(), 28u);
  const double h = 10.0, hb = 6.0, gamma = 150.0 / 1728.0;
  const double W = gamma * 25920.0 * h;  // slab weight, lb
  const double load17 = 18500.0 / W;    // normalised 18.5-kip single axle
  for (size_t i = 4; i < detail.size(); ++i) {
    const auto row = fields(detail[i]);
    // E of age month k = i + 1 is the mean of the linear table at ages k-2, k-1.
    const double age = static_cast<double>(i - 3) + 1.0 - 1.5;
    const double E = std::stod(row[2]);
    EXPECT_NEAR(E, 4.0e6 + 2000.0 * age, 100.0) << i;
    const double Eb = std::stod(row[3]), k = std::stod(row[4]), ell = std::stod(row[8]), lte = std::stod(row[12]);
    EXPECT_LE(lte, 95.0);
    // Deflection = slope(model, L, ell, LTE) * load * beta, with the test
    // model's slope and beta = 34100596 h_eff / (k ell^4).
    const double h_eff = std::cbrt(h * h * h + Eb / E * hb * hb * hb);
    const double beta = 34100596.0 * h_eff / (k * std::pow(ell, 4.0));
    const double rounding = 0.000051;
    EXPECT_NEAR(std::stod(row[13]), default_deflection_slope(0, 15, ell, lte) * load17 * beta, rounding) << i;
    EXPECT_NEAR(std::stod(row[14]), default_deflection_slope(1, 15, ell, lte) * load17 * beta, rounding) << i;
    EXPECT_NEAR(std::stod(row[15]), default_deflection_slope(2, 15, ell, lte) * load17 * beta, rounding) << i;
    EXPECT_NEAR(std::stod(row[16]), default_deflection_slope(3, 15, ell, lte) * load17 * beta, rounding) << i;
    // Total faulting is the running sum of the increments (to the rounding).
    if (i > 4) {
      const double previous = std::stod(fields(detail[i - 1])[21]);
      EXPECT_NEAR(std::stod(row[21]), previous + std::stod(row[20]), 0.000101);
    }
  }
}

TEST_F(FaultingRun, ResponseSwitchSelectsTheDeflectionFileUnits) {
  write_section();
  write_file(file("Response.txt"), "1\n");
  ASSERT_EQ(run().exit_status, 0);
  auto deflection = read_lines(file("_Deflection.csv"));
  ASSERT_EQ(deflection.size(), 1u + 2u * 24u);
  EXPECT_EQ(deflection[0],
            "Year,Age(mo),Epcc(Mpsi), Total Temp Dif(deg F),Axle Type,Load(Kips), Loaded Defl(in),Unloaded Defl(in)");
  EXPECT_EQ(deflection[1].substr(0, 12), "    0,    1,");
  EXPECT_EQ(deflection[1].substr(27, 17), "Single    , 18.5,");
  EXPECT_EQ(deflection[2].substr(27, 17), "Tandem    , 37.0,");
  const std::string us_first = deflection[1];

  write_file(file("Response.txt"), "0\n");
  ASSERT_EQ(run().exit_status, 0);
  deflection = read_lines(file("_Deflection.csv"));
  ASSERT_EQ(deflection.size(), 1u + 2u * 24u);
  EXPECT_EQ(deflection[0],
            "Year,Age(mo),Epcc(Mpa), Total Temp Dif(deg C),Axle Type,Load(Kg), Loaded Defl(cm),Unloaded Defl(cm)");
  const auto si = fields(deflection[1]);
  const auto us = fields(us_first);
  EXPECT_EQ(si[4], "Single    ");
  EXPECT_EQ(si[5], "  8380.");
  EXPECT_NEAR(std::stod(si[6]), 2.54 * std::stod(us[6]), 1e-4);
  EXPECT_NEAR(std::stod(si[3]), std::stod(us[3]) * 5.0 / 9.0, 0.051);

  write_file(file("Response.txt"), "5\n");
  ASSERT_EQ(run().exit_status, 0);
  EXPECT_TRUE(fs::exists(file("_Deflection.csv")));
  EXPECT_EQ(read_file(file("_Deflection.csv")), "");
}

TEST_F(FaultingRun, NamedSectionBlockAndFoldersWithSeparatorAnalyseOnlyTheFirstBlock) {
  write_faulting_section(source_.path(), FaultingSectionInputs(), "a_");
  FaultingSectionInputs other;
  other.set(1, "12");
  write_faulting_section(source_.path(), other, "b_");
  write_file(file("FaultFileList.txt"), faulting_file_list_block("A", "a_") + faulting_file_list_block("B", "b_"));
  const RunResult r = run_program(JPCP_FAULTING_EXE, {source_.str() + "/", models_.str() + "/"});
  ASSERT_EQ(r.exit_status, 0) << r.console;
  EXPECT_EQ(read_lines(file("JPCP_faulting2.csv")).size(), 4u + 24u);
}

TEST_F(FaultingRun, ProgressIsWrittenEvery240thMonth) {
  FaultingSectionInputs inputs;
  inputs.set(1, "250");
  inputs.pcc.push_back({480.0f, 840.0f, 4.96e6f});  // a 20th record beyond 240 months
  inputs.temperature_days_per_month = 1;
  write_section(inputs);
  const RunResult r = run();
  ASSERT_EQ(r.exit_status, 0) << r.console;
  EXPECT_EQ(read_file(file("Progress.tmp")), "  240\n");
}

TEST_F(FaultingRun, MissingFileListIsReported) {
  EXPECT_EQ(single_error(), " The following input file could not be opened: FileList.txt");
  EXPECT_FALSE(fs::exists(file("VersionFaulting.txt")));
}

TEST_F(FaultingRun, FailingReaderLeavesVersionFileEmptyResultsAndOneErrorLine) {
  write_section();
  write_file(file("faultgeneralinput.txt"), "24\n1\nx\n");
  EXPECT_EQ(single_error(), " Data error: General Input File.");
  EXPECT_TRUE(fs::exists(file("VersionFaulting.txt")));
  EXPECT_EQ(read_file(file("JPCP_faulting.csv")), "");
  EXPECT_EQ(read_file(file("JPCP_faulting2.csv")), "");
}

TEST_F(FaultingRun, EachBrokenInputGivesItsMessage) {
  struct Case {
    std::string file;
    std::string contents;
    std::string message;
  };
  const std::vector<Case> cases = {
      {"faultgeneralinput.txt", "24\n1\n", " Unexpected end of file: General Input File."},
      {"seasonpattern.txt", "1 2 3\n", " Unexpected end of file: Season Pattern File."},
      {"seasonpattern.txt", "1 2 3 4 5 6 7 8 9 10 11 a\n",
       " Data error: Season Pattern File -- k-values, Ebase, or monthly R.H."},
      {"thermalPCC.dat", "2001 1 1 0  xx.x\n", " Temperature data error: invalid data format"},
      {"thermalPCC.dat", "2001 1 1 1  50.0\n", " Temperature data error: hours are out of order."},
      {"_HourlyTrafficPerc.txt", "1 2 3\n", " Read error: hourly traffic distribution file."},
  };
  for (const Case& c : cases) {
    write_section();
    write_file(file(c.file), c.contents);
    EXPECT_EQ(single_error(), c.message) << c.file;
  }
  write_section();
  write_file(file("TridemAxleOutput.csv"), "1,Jan,1,2\n");
  EXPECT_EQ(single_error().substr(0, 25), " Unexpected end of file: ");
  EXPECT_NE(errors()[0].find("TridemAxleOutput.csv"), std::string::npos);
}

TEST_F(FaultingRun, BrokenModelFolderGivesItsMessage) {
  write_section();
  fs::remove(models_.path() / "defl3_2.ttt");
  EXPECT_EQ(single_error(), " Deflection model file could not be opened: " + (models_.path() / "defl3_2.ttt").string());
  EXPECT_EQ(read_file(file("JPCP_faulting.csv")), "");

  write_model_folder(models_.path());
  std::string text = read_file(models_.path() / "defl5_4.ttt");
  text[0] = '2';  // ig1 = 2
  write_file(models_.path() / "defl5_4.ttt", text);
  EXPECT_NE(single_error().find("is not a 3+3 model"), std::string::npos);

  write_model_folder(models_.path());
  write_file(models_.path() / "defl0.csv", "3,3,3\n1,2,3\n1,2,2\n1,2,3\n");
  EXPECT_NE(single_error().find("not strictly increasing"), std::string::npos);
  write_file(models_.path() / "defl0.csv", "3,3,3\n1,2,3\n1,2,3\n1,2,3\n0,0,0,1\n");
  EXPECT_NE(single_error().find("ends before all grid values"), std::string::npos);
  fs::remove(models_.path() / "defl0.csv");
  EXPECT_NE(single_error().find("Curl deflection grid could not be opened: "), std::string::npos);

  write_model_folder(models_.path());
  write_file(models_.path() / "NNinfo.txt", "defl1_1.ttt\n");
  EXPECT_EQ(single_error(), " Unexpected end of file: NNinfo.txt");
}

TEST_F(FaultingRun, NegativeSubgradeLogarithmIsReportedNotWrittenAsNaN) {
  FaultingSectionInputs inputs;
  inputs.set(23, "1");  // soil_a * soil_b below the slab and base weight per ft^2
  write_section(inputs);
  EXPECT_EQ(single_error(), " Numerical error: faultmax is not a finite number in the set-up, calendar month 1");
  inputs.set(23, "0");  // now refused where it is read
  write_section(inputs);
  EXPECT_EQ(single_error(),
            " Data error: General Input File -- line 23 (soil_b, second subgrade factor) must be above 0: 0");
  EXPECT_EQ(read_file(file("JPCP_faulting.csv")), "");
}

// A k-value the k column of JPCP_faulting.csv (F8.4) cannot hold is refused
// where it is read, before any month is computed; a month the analysis
// never reaches is not checked.
TEST_F(FaultingRun, KValueNoResultLayoutCanHoldIsRefusedWhenRead) {
  FaultingSectionInputs inputs;
  inputs.k_value[2] = 1500.0f;  // March
  write_section(inputs);
  EXPECT_EQ(single_error(), " Data error: Season Pattern File -- k-value of month 3 (psi/in) must be below 1000 to "
                            "fit the k-value column of JPCP_faulting.csv: 1500");
  EXPECT_EQ(read_file(file("JPCP_faulting.csv")), "");

  inputs.set(1, "1");  // one month from the starting month, not March
  inputs.temperature_months = 14;  // the records still cover every calendar month
  ASSERT_NE(inputs.start_month(), 3);
  write_section(inputs);
  const RunResult r = run();
  EXPECT_EQ(r.exit_status, 0) << r.standard_error;
}

// One bound on the analysis length (1200 months, as the cracking program's
// 100 years), checked before any storage is sized from it.
TEST_F(FaultingRun, AnalysisLengthBoundAndEmptyFileList) {
  const std::string rule =
      " Data error: General Input File -- line 1 (n_months, number of analysis months) must be 1 to 1200: ";
  for (const std::string months : {"1201", "2147483647"}) {
    write_section();  // a 24-month section whose first line is then replaced
    std::string text = read_file(file("faultgeneralinput.txt"));
    text.replace(0, text.find('\n'), months);
    write_file(file("faultgeneralinput.txt"), text);
    EXPECT_EQ(single_error(), rule + months);
  }

  write_section();
  write_file(file("FaultFileList.txt"), "\n");
  EXPECT_EQ(single_error(), " Data error: FaultFileList.txt -- no sections");
  fs::remove(file("FaultFileList.txt"));
  const RunResult r = run();
  EXPECT_EQ(r.exit_status, 1);
  EXPECT_NE(r.standard_error.find("FaultFileList.txt: not found"), std::string::npos) << r.standard_error;
}

TEST_F(FaultingRun, TooFewArgumentsPrintUsage) {
  const RunResult r = run_program(JPCP_FAULTING_EXE, {source_.str()});
  EXPECT_EQ(r.exit_status, 2);
  EXPECT_EQ(r.console, " Usage: jpcp_faulting SOURCE_FOLDER MODEL_FOLDER\nRun 'jpcp_faulting --help' for usage.\n");
  EXPECT_FALSE(fs::exists(file("ErrorsFAULT.txt")));
}

}  // namespace
}  // namespace jpcp::testing

#endif  // JPCP_FAULTING_EXE
