// The stress top and bottom tables: headers and rows in both unit systems,
// row order and count, the bonded months of the two-case analysis, the
// switches that leave the files empty and the open failure.
#include <gtest/gtest.h>

#include <filesystem>

#include "cracking/results/stress_top_bottom.h"
#include "tests/cracking/results/writer_fixture.h"

namespace jpcp::testing {
namespace {

using cracking::CaseStresses;
using cracking::StressGrid;

constexpr size_t rows_per_month = 3 * 5 * 5;

// Grids of `years` years; first-position entries encode their indices (base
// + 100 group + 10 second index + third index + month j / 100), other
// positions hold -1.
CaseStresses coded_stresses(int years, float base) {
  CaseStresses stresses;
  const auto months = static_cast<size_t>(12 * years);
  for (size_t g = 0; g < 3; ++g) {
    stresses.bottom[g] = StressGrid(months);
    stresses.top[g] = StressGrid(months);
    for (size_t j = 0; j < months; ++j) {
      for (size_t i2 = 0; i2 < 5; ++i2) {
        for (size_t i3 = 0; i3 < 5; ++i3) {
          const float code = base + 100.0f * g + 10.0f * i2 + i3 + 0.01f * j;
          for (size_t p = 0; p < 6; ++p) {
            stresses.bottom[g](p, i2, i3, j) = p == 0 ? code : -1.0f;
            stresses.top[g](p, i2, i3, j) = p == 0 ? code : -1.0f;
          }
        }
      }
    }
  }
  stresses.daytime_nodes = {0.0f, 4.5f, 9.0f, 13.5f, 18.0f};
  stresses.nighttime_nodes = {-8.0f, -14.0f, -20.0f, -26.0f, -32.0f};
  return stresses;
}

cracking::CrackingSection section_of(int years) {
  cracking::CrackingSection section;
  section.years = years;
  for (int j = 0; j < 12 * years; ++j) {
    section.season.mr.push_back(650.0f + static_cast<float>(j));
    section.season.e.push_back(4.2e6f);
    section.season.bond.push_back(0.0f);
  }
  return section;
}

TEST(StressTopBottom, UsCustomaryRowsInYearMonthGroupGradientLoadOrder) {
  WriterRun w("stress_us");
  w.run.response_switch = 2;
  const int years = 20;
  const CaseStresses stresses = coded_stresses(years, 0.0f);
  cracking::write_stress_top_bottom(w.run, section_of(years), stresses, nullptr, years);
  const auto bottom = w.lines("_StressBot.csv");
  const auto top = w.lines("_StressTop.csv");
  ASSERT_EQ(bottom.size(), 1u + 18000u);
  ASSERT_EQ(top.size(), 1u + 18000u);
  EXPECT_EQ(bottom[0], "Year,Age(mo),MR(psi),Epcc(Mpsi),Axle Type,Therm Grad(deg F),Load(Kips), Stress(psi)");
  EXPECT_EQ(top[0], "Year,Age(mo),MR(psi),Epcc(Mpsi),Axle Spacing,Therm Grad(deg F),Load(Kips), Stress(psi)");

  EXPECT_EQ(bottom[1], "    1,    1, 650.,   4.20,Single    ,   0.0,  8.5,   0.0");
  EXPECT_EQ(bottom[2], "    1,    1, 650.,   4.20,Single    ,   0.0, 18.0,   1.0");
  EXPECT_EQ(bottom[6], "    1,    1, 650.,   4.20,Single    ,   4.5,  8.5,  10.0");
  EXPECT_EQ(bottom[26], "    1,    1, 650.,   4.20,Tandem    ,   0.0, 17.0, 100.0");
  EXPECT_EQ(bottom[75], "    1,    1, 650.,   4.20,Tridem    ,  18.0,121.5, 244.0");
  // Year 2, month 3 (analysis month 15, grid month 14), tridem, node 2, load 4.
  const size_t row = 1 + 14 * rows_per_month + 2 * 25 + 1 * 5 + 3;
  EXPECT_EQ(bottom[row], "    2,   15, 664.,   4.20,Tridem    ,   4.5, 97.5, 213.1");

  // Top rows: gradient node b is the third grid index, load c the second.
  EXPECT_EQ(top[1], "    1,    1, 650.,   4.20,Short     ,  -8.0, 17.0,   0.0");
  EXPECT_EQ(top[2], "    1,    1, 650.,   4.20,Short     ,  -8.0, 34.0,  10.0");
  EXPECT_EQ(top[6], "    1,    1, 650.,   4.20,Short     , -14.0, 17.0,   1.0");
  EXPECT_EQ(top[75], "    1,    1, 650.,   4.20,Long      , -32.0, 81.0, 244.0");
  EXPECT_EQ(top.back(), "   20,  240, 889.,   4.20,Long      , -32.0, 81.0, 246.4");
  EXPECT_TRUE(w.errors().empty());
}

TEST(StressTopBottom, SiUnits) {
  WriterRun w("stress_si");
  w.run.response_switch = 1;
  CaseStresses stresses = coded_stresses(1, 300.0f);
  cracking::write_stress_top_bottom(w.run, section_of(1), stresses, nullptr, 1);
  const auto bottom = w.lines("_StressBot.csv");
  const auto top = w.lines("_StressTop.csv");
  ASSERT_EQ(bottom.size(), 1u + 12u * rows_per_month);
  ASSERT_EQ(top.size(), 1u + 12u * rows_per_month);
  EXPECT_EQ(bottom[0], "Year,Age(mo),MR(Mpa),Epcc(Mpa),Axle Type,Therm Grad(deg C),Load(kg), Stress(Mpa)");
  EXPECT_EQ(top[0], "Year,Age(mo),MR(Mpa),Epcc(Mpa),Axle Spacing,Therm Grad(deg C),Load(kg), Stress(Mpa)");
  // 650 psi = 4.4785 MPa; 4.2e6 psi = 28938 MPa; 8500 lb x 0.453 = 3850.5 kg;
  // 300 psi = 2.067 MPa; 18 deg F of gradient = 10 deg C.
  EXPECT_EQ(bottom[1], "    1,    1,  4.48, 28938.,Single    ,   0.0,  3851.,   2.07");
  EXPECT_EQ(bottom[25], "    1,    1,  4.48, 28938.,Single    ,  10.0, 18347.,   2.37");
  EXPECT_EQ(top[1], "    1,    1,  4.48, 28938.,Short     ,  -4.4,  7701.,   2.07");
}

TEST(StressTopBottom, BondedMonthsShowTheBondedCase) {
  WriterRun w("stress_bond");
  w.run.response_switch = 2;
  cracking::CrackingSection section = section_of(3);
  for (size_t j = 0; j < 24; ++j) section.season.bond[j] = 1.0f;  // bond lost after 24 months
  section.season.bond[30] = 0.5f;                                  // 0.5 counts as bonded
  section.season.bond[31] = 0.49f;
  const CaseStresses unbonded = coded_stresses(3, 0.0f);
  CaseStresses bonded = coded_stresses(3, 500.0f);
  bonded.daytime_nodes = {1.0f, 2.0f, 3.0f, 4.0f, 5.0f};
  bonded.nighttime_nodes = {-1.0f, -2.0f, -3.0f, -4.0f, -5.0f};
  cracking::write_stress_top_bottom(w.run, section, unbonded, &bonded, 3);
  const auto bottom = w.lines("_StressBot.csv");
  const auto top = w.lines("_StressTop.csv");
  ASSERT_EQ(bottom.size(), 1u + 36u * rows_per_month);
  auto first_row = [](size_t month) { return 1 + (month - 1) * rows_per_month; };
  EXPECT_EQ(bottom[first_row(1)], "    1,    1, 650.,   4.20,Single    ,   1.0,  8.5, 500.0");
  EXPECT_EQ(bottom[first_row(24)], "    2,   24, 673.,   4.20,Single    ,   1.0,  8.5, 500.2");
  EXPECT_EQ(bottom[first_row(25)], "    3,   25, 674.,   4.20,Single    ,   0.0,  8.5,   0.2");
  EXPECT_EQ(bottom[first_row(31)], "    3,   31, 680.,   4.20,Single    ,   1.0,  8.5, 500.3");
  EXPECT_EQ(bottom[first_row(32)], "    3,   32, 681.,   4.20,Single    ,   0.0,  8.5,   0.3");
  EXPECT_EQ(top[first_row(24)], "    2,   24, 673.,   4.20,Short     ,  -1.0, 17.0, 500.2");
  EXPECT_EQ(top[first_row(25)], "    3,   25, 674.,   4.20,Short     ,  -8.0, 17.0,   0.2");
}

TEST(StressTopBottom, OtherPositiveSwitchesCreateEmptyFiles) {
  WriterRun w("stress_empty");
  w.run.response_switch = 3;
  cracking::write_stress_top_bottom(w.run, section_of(1), coded_stresses(1, 0.0f), nullptr, 1);
  ASSERT_TRUE(std::filesystem::exists(w.folder() / "_StressBot.csv"));
  ASSERT_TRUE(std::filesystem::exists(w.folder() / "_StressTop.csv"));
  EXPECT_EQ(std::filesystem::file_size(w.folder() / "_StressBot.csv"), 0u);
  EXPECT_EQ(std::filesystem::file_size(w.folder() / "_StressTop.csv"), 0u);
}

TEST(StressTopBottom, EachCallReplacesTheFiles) {
  WriterRun w("stress_replace");
  w.run.response_switch = 2;
  cracking::write_stress_top_bottom(w.run, section_of(2), coded_stresses(2, 0.0f), nullptr, 2);
  cracking::write_stress_top_bottom(w.run, section_of(1), coded_stresses(1, 0.0f), nullptr, 1);
  EXPECT_EQ(w.lines("_StressBot.csv").size(), 1u + 12u * rows_per_month);
  EXPECT_EQ(w.lines("_StressTop.csv").size(), 1u + 12u * rows_per_month);
}

TEST(StressTopBottom, AFileThatCannotBeOpenedIsReported) {
  WriterRun w("stress_tb_refused");
  w.run.response_switch = 2;
  w.run.results_folder = (w.folder() / "missing" / "").string();
  cracking::write_stress_top_bottom(w.run, section_of(1), coded_stresses(1, 0.0f), nullptr, 1);
  EXPECT_EQ(w.run.error_count(), 1);
  const auto errors = w.errors();
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0], " Excel is refusing to share: _Stresses.csv");
}

}  // namespace
}  // namespace jpcp::testing
