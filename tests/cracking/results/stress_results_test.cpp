// The stress result blocks: layout of one block byte for byte, the grid
// entries each line reads, appending, the bonded file and the open failure.
#include <gtest/gtest.h>

#include <filesystem>

#include "cracking/results/stress_results.h"
#include "tests/cracking/results/writer_fixture.h"

namespace jpcp::testing {
namespace {

using cracking::CaseStresses;
using cracking::InterfaceCase;
using cracking::StressGrid;

constexpr size_t lines_per_block = 3 * 7 + 3 * 7 + 1;

// Two years of grids whose first-position entries of month j encode their
// indices: bottom (0, a, c, j) = 100 chain + 10 a + c + 1000 j, top
// (0, c, b, j) = 100 (class + 3) + 10 b + c + 1000 j. Other positions hold
// -1 so that a line reading the wrong position shows it.
CaseStresses coded_stresses() {
  CaseStresses stresses;
  for (size_t g = 0; g < 3; ++g) {
    stresses.bottom[g] = StressGrid(24);
    stresses.top[g] = StressGrid(24);
    for (size_t j = 0; j < 24; ++j) {
      for (size_t i2 = 0; i2 < 5; ++i2) {
        for (size_t i3 = 0; i3 < 5; ++i3) {
          for (size_t p = 0; p < 6; ++p) {
            stresses.bottom[g](p, i2, i3, j) = p == 0 ? 100.0f * g + 10.0f * i2 + i3 + 1000.0f * j : -1.0f;
            stresses.top[g](p, i2, i3, j) = p == 0 ? 100.0f * (g + 3) + 10.0f * i3 + i2 + 1000.0f * j : -1.0f;
          }
        }
      }
    }
  }
  stresses.daytime_nodes = {0.0f, 4.5f, 9.0f, 13.5f, 18.0f};
  stresses.nighttime_nodes = {-8.0f, -14.25f, -20.5f, -26.75f, -33.0f};
  stresses.nonlinear_stress = 12.34f;
  return stresses;
}

TEST(StressResults, OneBlockOfTheFirstMonth) {
  WriterRun w("stress_block");
  cracking::write_stress_results(w.run, InterfaceCase::unbonded, coded_stresses(), 1, 1);
  const auto lines = w.lines("StressResults.csv");
  ASSERT_EQ(lines.size(), lines_per_block);
  EXPECT_FALSE(std::filesystem::exists(w.folder() / "StressResultsBond.csv"));

  EXPECT_EQ(lines[0], " P/Mo/Pos:, 1, 1, 0.5554544,Single Axle,Daytime: ");
  EXPECT_EQ(lines[1], "Temp.\\Load,  8.5, 18.0, 24.5, 32.5, 40.5");
  EXPECT_EQ(lines[2], "  0.00,   0.0,   1.0,   2.0,   3.0,   4.0");
  EXPECT_EQ(lines[3], "  4.50,  10.0,  11.0,  12.0,  13.0,  14.0");
  EXPECT_EQ(lines[6], " 18.00,  40.0,  41.0,  42.0,  43.0,  44.0");
  EXPECT_EQ(lines[7], " P/Mo/Pos:, 1, 1, 0.5554544,Tandem Axle,Daytime: ");
  EXPECT_EQ(lines[8], "Temp.\\Load, 17.0, 34.0, 49.0, 65.0, 81.0");
  EXPECT_EQ(lines[9], "  0.00, 100.0, 101.0, 102.0, 103.0, 104.0");
  EXPECT_EQ(lines[14], " P/Mo/Pos:, 1, 1, 0.5554544,Tridem Axle,Daytime: ");
  EXPECT_EQ(lines[15], "Temp.\\Load, 25.5, 51.0, 73.5, 97.5,121.5");
  EXPECT_EQ(lines[20], " 18.00, 240.0, 241.0, 242.0, 243.0, 244.0");

  // Night-time rows are the gradient nodes b, columns the loads c; the
  // position printed is the single-precision product 24 x 0.0694318.
  EXPECT_EQ(lines[21], "P/Mo/Pos:, 1, 1,1.6663631, Nighttime*: Short axle spacing");
  EXPECT_EQ(lines[22], "Temp.\\Load, 17.0, 34.0, 49.0, 65.0, 81.0");
  EXPECT_EQ(lines[23], " -8.00, 300.0, 301.0, 302.0, 303.0, 304.0");
  EXPECT_EQ(lines[24], "-14.25, 310.0, 311.0, 312.0, 313.0, 314.0");
  EXPECT_EQ(lines[28], "P/Mo/Pos:, 1, 1,1.6663631, Nighttime*: Medium axle spacing");
  EXPECT_EQ(lines[35], "P/Mo/Pos:, 1, 1,1.6663631, Nighttime*: Long axle spacing");
  EXPECT_EQ(lines[41], "-33.00, 540.0, 541.0, 542.0, 543.0, 544.0");
  EXPECT_EQ(lines[42], "*Nighttime stressess include nonlinear stress of  12.3 psi");
  EXPECT_TRUE(w.errors().empty());
}

TEST(StressResults, PeriodAndMonthSelectTheGridMonth) {
  WriterRun w("stress_month");
  // Period 2, month 3: grid month 12 + 2 = 14, stresses 14000 and up.
  cracking::write_stress_results(w.run, InterfaceCase::unbonded, coded_stresses(), 2, 3);
  const auto lines = w.lines("StressResults.csv");
  ASSERT_EQ(lines.size(), lines_per_block);
  EXPECT_EQ(lines[0], " P/Mo/Pos:, 2, 3, 0.5554544,Single Axle,Daytime: ");
  // Five-digit stresses with a decimal need 7 characters: asterisks.
  EXPECT_EQ(lines[2], "  0.00,******,******,******,******,******");
  EXPECT_EQ(lines[21], "P/Mo/Pos:, 2, 3,1.6663631, Nighttime*: Short axle spacing");
}

TEST(StressResults, StressRoundingAndFieldOverflow) {
  WriterRun w("stress_width");
  CaseStresses stresses = coded_stresses();
  stresses.bottom[0](0, 0, 0, 0) = 1234.56f;
  stresses.bottom[0](0, 0, 1, 0) = -123.46f;
  stresses.bottom[0](0, 0, 2, 0) = -1234.5f;
  stresses.daytime_nodes[0] = 123.456f;
  stresses.nonlinear_stress = 1000.0f;
  cracking::write_stress_results(w.run, InterfaceCase::unbonded, stresses, 1, 1);
  const auto lines = w.lines("StressResults.csv");
  ASSERT_EQ(lines.size(), lines_per_block);
  EXPECT_EQ(lines[2], "123.46,1234.6,-123.5,******,   3.0,   4.0");
  EXPECT_EQ(lines[42], "*Nighttime stressess include nonlinear stress of ***** psi");
}

TEST(StressResults, BlocksAccumulateAndTheBondedCaseHasItsOwnFile) {
  WriterRun w("stress_append");
  const CaseStresses stresses = coded_stresses();
  cracking::write_stress_results(w.run, InterfaceCase::unbonded, stresses, 1, 1);
  cracking::write_stress_results(w.run, InterfaceCase::bonded, stresses, 1, 1);
  cracking::write_stress_results(w.run, InterfaceCase::unbonded, stresses, 2, 1);
  const auto unbonded = w.lines("StressResults.csv");
  const auto bonded = w.lines("StressResultsBond.csv");
  ASSERT_EQ(unbonded.size(), 2 * lines_per_block);
  ASSERT_EQ(bonded.size(), lines_per_block);
  EXPECT_EQ(unbonded[lines_per_block], " P/Mo/Pos:, 2, 1, 0.5554544,Single Axle,Daytime: ");
  for (size_t i = 0; i < lines_per_block; ++i) EXPECT_EQ(bonded[i], unbonded[i]) << "line " << i;
}

TEST(StressResults, AFileThatCannotBeOpenedIsReportedAndSkipped) {
  WriterRun w("stress_refused");
  w.run.results_folder = (w.folder() / "missing" / "").string();
  cracking::write_stress_results(w.run, InterfaceCase::unbonded, coded_stresses(), 1, 1);
  cracking::write_stress_results(w.run, InterfaceCase::bonded, coded_stresses(), 1, 1);
  EXPECT_EQ(w.run.error_count(), 2);
  const auto errors = w.errors();
  ASSERT_EQ(errors.size(), 2u);
  EXPECT_EQ(errors[0], " Excel is refusing to share: StressResults.csv");
  EXPECT_EQ(errors[1], " Excel is refusing to share: StressResults.csv");
  EXPECT_FALSE(std::filesystem::exists(w.folder() / "missing"));
}

}  // namespace
}  // namespace jpcp::testing
