// End-to-end: the LTemp_ gradient files of a small section whose hourly
// profiles are linear, against frequencies computed here on their own.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <sstream>

#include "tests/support/section_folder.h"
#include "tests/support/test_models.h"

namespace jpcp::testing {
namespace {

namespace fs = std::filesystem;

// Splits a CSV row into its fields.
std::vector<std::string> fields(const std::string& line) {
  std::vector<std::string> result;
  std::stringstream in(line);
  for (std::string field; std::getline(in, field, ',');) result.push_back(field);
  return result;
}

class GradientFile : public ::testing::Test {
 protected:
  GradientFile() : source_("src"), results_("res"), nn_("nn") {
    write_test_models(nn_.path());
    // No base, no shrinkage warping and no built-in curl: every hour's
    // gradient is its profile's top-minus-bottom difference.
    inputs_.general[12] = 0.0f;  // field 13: shrinkage zone depth
    inputs_.general[16] = 0.0f;  // field 17: base thickness
    inputs_.general[23] = 0.0f;  // field 24: built-in gradient
    write_file(source_.path() / "FileList.txt", "NULL\n");
  }
  RunResult run() {
    write_cracking_section(source_.path(), inputs_);
    return run_program(JPCP_CRACKING_EXE, {source_.str(), results_.str(), nn_.str()});
  }

  TempFolder source_, results_, nn_;
  CrackingSectionInputs inputs_;
};

TEST_F(GradientFile, LinearProfilesPlaceEachHourAtItsOwnGradient) {
  inputs_.start_month = 1;
  const RunResult r = run();
  ASSERT_EQ(r.exit_status, 0) << r.console;
  const auto lines = read_lines(results_.path() / "LTemp_JPCP.csv");
  ASSERT_EQ(lines.size(), 2u + 25u + 2u + 42u);
  EXPECT_EQ(lines[0], " Daytime gradients");
  EXPECT_EQ(lines[1], "Temperature, 1, 2, 3, 4, 5, 6, 7, 8, 9,10,11,12");
  EXPECT_EQ(lines[27], " Nighttime gradients");
  EXPECT_EQ(lines[28], lines[1]);

  // The test section: one day in each calendar month (24 hours a month, as
  // two days of a month would give the same shares), whose hour h has a linear profile
  // h - 12 deg F warmer at the top; 3 % of the traffic in each of
  // the hours 0 to 11, 4/3 % in each of the hours 12 to 23.
  std::vector<double> day(25, 0.0), night(42, 0.0);
  for (int h = 0; h < 24; ++h) {
    const double g = h - 12;
    const double weight = (h < 12 ? 3.0 : 4.0 / 3.0) / 100.0 * 24.0;
    auto& table = g > 0 ? day : night;
    const double position = std::fabs(g) / 2.0;  // in level steps
    if (position == 0.0) continue;               // stress of the first level: no contribution
    const auto lower = static_cast<size_t>(std::floor(position));
    const double upper_share = position - static_cast<double>(lower);
    table[lower] += (1.0 - upper_share) * weight * 2.0 / 48.0;
    if (upper_share > 0.0) table[lower + 1] += upper_share * weight * 2.0 / 48.0;
  }
  for (size_t j = 0; j < 25; ++j) {
    const auto row = fields(lines[2 + j]);
    ASSERT_EQ(row.size(), 13u);
    EXPECT_EQ(row[0].size(), 6u);
    EXPECT_NEAR(std::stod(row[0]), 2.0 * static_cast<double>(j), 1e-9);
    EXPECT_EQ(row[1].size(), 11u);
    EXPECT_NEAR(std::stod(row[1]), day[j], 2e-6) << "daytime level " << j;
    EXPECT_EQ(row[2], row[1]);  // February has the same day as January
  }
  for (size_t i = 0; i < 42; ++i) {
    const auto row = fields(lines[29 + i]);
    ASSERT_EQ(row.size(), 13u);
    // The night-time table is flat (about 1.5 psi per deg F), so the
    // single-precision noise of the nonlinear top stresses (1e-4 psi) moves
    // the shares in the sixth decimal.
    EXPECT_NEAR(std::stod(row[1]), night[i], 1e-5) << "night-time level " << i;
  }
  EXPECT_FALSE(fs::exists(results_.path() / "LTemp_B_JPCP.csv"));
}

TEST_F(GradientFile, BondedSectionWritesBothFilesInAnalysisMonthOrder) {
  inputs_.start_month = 7;
  inputs_.general[3] = 24.0f;   // field 4: bonded for two years
  inputs_.general[16] = 6.0f;   // a base to bond to
  inputs_.years = 2;
  const RunResult r = run();
  ASSERT_EQ(r.exit_status, 0) << r.console;
  for (const char* name : {"LTemp_JPCP.csv", "LTemp_B_JPCP.csv"}) {
    const auto lines = read_lines(results_.path() / name);
    ASSERT_EQ(lines.size(), 71u) << name;
    EXPECT_EQ(lines[1], "Temperature, 7, 8, 9,10,11,12, 1, 2, 3, 4, 5, 6") << name;
    // Every month has its one day of records; each month's frequencies sum
    // to at most its mean traffic weight (1 for this section).
    for (size_t column = 1; column <= 12; ++column) {
      double day_sum = 0.0, night_sum = 0.0;
      for (size_t j = 0; j < 25; ++j) day_sum += std::stod(fields(lines[2 + j])[column]);
      for (size_t i = 0; i < 42; ++i) night_sum += std::stod(fields(lines[29 + i])[column]);
      EXPECT_LE(day_sum + night_sum, 1.0 + 1e-5) << name << " column " << column;
      EXPECT_GT(day_sum + night_sum, 0.5) << name << " column " << column;
    }
  }
}

}  // namespace
}  // namespace jpcp::testing
