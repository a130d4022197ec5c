// The cracking prediction and its result file: layout, cumulative damage and
// the transfer function against a direct evaluation, the existing-cracking
// cases, the calibration summary, the guards against values that are not
// finite, and the open failure.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <limits>
#include <sstream>

#include "cracking/damage/cracking_results.h"
#include "tests/cracking/results/writer_fixture.h"

namespace jpcp::testing {
namespace {

using cracking::DamageComponent;

constexpr double c4 = 1.0;
constexpr double c5 = -1.98;

// The transfer function written directly: 1 / (1 + C4 D^C5), zero damage
// (with negative C5) no cracking.
double fraction_cracked(double damage) { return damage == 0.0 ? 0.0 : 1.0 / (1.0 + c4 * std::pow(damage, c5)); }
double combined_percent(double bottom_up, double top_down, double offset) {
  const double cb = fraction_cracked(bottom_up);
  const double ct = fraction_cracked(top_down);
  return (cb + ct - cb * ct) * 100.0 - offset;
}

std::vector<std::string> fields(const std::string& line) {
  std::vector<std::string> result;
  std::stringstream in(line);
  for (std::string field; std::getline(in, field, ',');) result.push_back(field);
  return result;
}

// Column indices of a data row.
enum Column : size_t { bu_single_column = 7, total_bu_column = 11, td_swb_column = 12, total_td_column = 15, crack_column = 16 };

cracking::CrackingSection section_of(int years, int start_month = 1) {
  cracking::CrackingSection section;
  section.input_set.section_name = "SEC" + std::string(20, ' ');
  section.years = years;
  section.general.start_month = start_month;
  section.general.field[2] = static_cast<float>(start_month);
  section.general.field[19] = static_cast<float>(c4);
  section.general.field[20] = static_cast<float>(c5);
  for (int y = 0; y < years; ++y) section.season.period_start.push_back(12 * y);
  for (int j = 0; j < 12 * years; ++j) {
    section.season.mr.push_back(650.0f);
    section.season.e.push_back(4.2e6f);
    section.season.bond.push_back(0.0f);
  }
  section.season.year.k_value.fill(200.0f);
  section.season.year.base_modulus.fill(25000.0f);
  return section;
}

// Sets component c to `value` in every month of years first..last (1-based).
void fill_damage(cracking::CrackingSection& section, DamageComponent c, float value, int first, int last) {
  for (int y = first; y <= last; ++y) {
    for (size_t m = 0; m < 12; ++m) section.damage.component[c](m, static_cast<size_t>(y - 1)) = value;
  }
}

double bottom_up_columns(const std::vector<std::string>& row) {
  double sum = 0.0;
  for (size_t c = bu_single_column; c < total_bu_column; ++c) sum += std::stod(row[c]);
  return sum;
}
double top_down_columns(const std::vector<std::string>& row) {
  double sum = 0.0;
  for (size_t c = td_swb_column; c < total_td_column; ++c) sum += std::stod(row[c]);
  return sum;
}

const std::string zero_e = "  0.0000000E+00,";

TEST(CrackingResults, ZeroDamageLayoutMonthNamesAndNoOffset) {
  WriterRun w("crack_zero");
  cracking::CrackingSection section = section_of(2, 11);
  section.general.field[43] = 3.0f;  // cracking offset without existing cracking
  ASSERT_TRUE(cracking::write_cracking_results(w.run, section, 1));
  EXPECT_EQ(section.general.field[43], 0.0f);

  const auto lines = w.lines("SEC_Cracking.csv");
  ASSERT_EQ(lines.size(), 1u + 24u);
  EXPECT_EQ(lines[0],
            "Year,Age(mo),Month,MR(psi),Epcc(Mpsi),Ebase(ksi),k(psi/in),BU_Single,BU_Tandem,BU_Tridem,BU_Quad,"
            " Toal_BU,TD_SWB,TD_MWB,TD_LWB,Total_TD,%Crack");
  std::string zeros;
  for (int i = 0; i < 9; ++i) zeros += zero_e;
  EXPECT_EQ(lines[1], "    1,    1,November  , 650.,   4.20,  25.00, 200.," + zeros + " 0.00");
  EXPECT_EQ(lines[3], "    1,    3,January   , 650.,   4.20,  25.00, 200.," + zeros + " 0.00");
  EXPECT_EQ(lines[13], "    2,   13,November  , 650.,   4.20,  25.00, 200.," + zeros + " 0.00");
  EXPECT_EQ(lines[24], "    2,   24,October   , 650.,   4.20,  25.00, 200.," + zeros + " 0.00");
  EXPECT_TRUE(w.errors().empty());
}

TEST(CrackingResults, MonthlyInputsOfEachRow) {
  WriterRun w("crack_inputs");
  cracking::CrackingSection section = section_of(2, 1);
  for (size_t j = 0; j < 24; ++j) {
    section.season.mr[j] = 600.0f + static_cast<float>(j);
    section.season.e[j] = 4.0e6f + 1.0e4f * static_cast<float>(j);
  }
  for (size_t m = 0; m < 12; ++m) {
    section.season.year.k_value[m] = 100.0f + static_cast<float>(m);
    section.season.year.base_modulus[m] = 30000.0f + 500.0f * static_cast<float>(m);
  }
  ASSERT_TRUE(cracking::write_cracking_results(w.run, section, 1));
  const auto lines = w.lines("SEC_Cracking.csv");
  ASSERT_EQ(lines.size(), 1u + 24u);
  // Analysis month 15: MR and E of month 15, base and k of position 3.
  EXPECT_EQ(lines[15].substr(0, 50), "    2,   15,March     , 614.,   4.14,  31.00, 102.");
}

TEST(CrackingResults, CumulativeDamageAndCrackingFollowTheTransferFunction) {
  WriterRun w("crack_cumulative");
  cracking::CrackingSection section = section_of(3);
  section.general.field[43] = 3.0f;  // dropped: no existing cracking
  fill_damage(section, cracking::bu_single, 0.25f, 1, 3);
  fill_damage(section, cracking::bu_tridem, 0.0625f, 2, 3);
  fill_damage(section, cracking::td_long, 0.125f, 1, 3);
  ASSERT_TRUE(cracking::write_cracking_results(w.run, section, 1));
  const auto lines = w.lines("SEC_Cracking.csv");
  ASSERT_EQ(lines.size(), 1u + 36u);

  const auto row12 = fields(lines[12]);
  ASSERT_EQ(row12.size(), 17u);
  EXPECT_EQ(row12[bu_single_column], "  0.3000000E+01");
  EXPECT_EQ(row12[bu_single_column + 2], "  0.0000000E+00");
  EXPECT_EQ(row12[bu_single_column + 3], "  0.0000000E+00");  // BU_Quad stays 0
  EXPECT_EQ(row12[total_bu_column], "  0.3000000E+01");
  EXPECT_EQ(row12[td_swb_column + 2], "  0.1500000E+01");
  EXPECT_EQ(row12[total_td_column], "  0.1500000E+01");
  EXPECT_EQ(fields(lines[36])[bu_single_column + 2], "  0.1500000E+01");

  for (size_t j = 1; j <= 36; ++j) {
    const auto row = fields(lines[j]);
    ASSERT_EQ(row.size(), 17u) << lines[j];
    const double bu = 0.25 * j + (j > 12 ? 0.0625 * (j - 12) : 0.0);
    const double td = 0.125 * j;
    EXPECT_NEAR(std::stod(row[total_bu_column]), bu, 1e-6 * bu) << "month " << j;
    EXPECT_NEAR(std::stod(row[total_td_column]), td, 1e-6 * td) << "month " << j;
    const double expected = std::min(std::max(combined_percent(bu, td, 0.0), 0.001), 99.99);
    EXPECT_EQ(row[crack_column].size(), 5u);
    EXPECT_NEAR(std::stod(row[crack_column]), expected, 0.0051) << "month " << j;
  }
}

TEST(CrackingResults, CrackingIsBoundedAndZeroDamageNeverGivesNaN) {
  {
    WriterRun w("crack_high");
    cracking::CrackingSection section = section_of(1);
    fill_damage(section, cracking::bu_single, 1000.0f, 1, 1);
    ASSERT_TRUE(cracking::write_cracking_results(w.run, section, 1));
    EXPECT_EQ(fields(w.lines("SEC_Cracking.csv")[1])[crack_column], "99.99");
  }
  {
    // Positive C5: zero damage gives 1 / (1 + C4 0^C5) = 1, every slab.
    WriterRun w("crack_positive_c5");
    cracking::CrackingSection section = section_of(1);
    section.general.field[20] = 1.98f;
    ASSERT_TRUE(cracking::write_cracking_results(w.run, section, 1));
    EXPECT_EQ(fields(w.lines("SEC_Cracking.csv")[12])[crack_column], "99.99");
    EXPECT_TRUE(w.errors().empty());
  }
  {
    // C4 = 0 with zero damage: 0 / (0 + 0) is taken as no cracking.
    WriterRun w("crack_zero_c4");
    cracking::CrackingSection section = section_of(1);
    section.general.field[19] = 0.0f;
    ASSERT_TRUE(cracking::write_cracking_results(w.run, section, 1));
    EXPECT_EQ(fields(w.lines("SEC_Cracking.csv")[1])[crack_column], " 0.00");
    EXPECT_TRUE(w.errors().empty());
  }
}

// Damage at which the transfer function alone gives P0 percent.
double damage_for(double percent) { return std::pow((100.0 / percent - 1.0) / c4, 1.0 / c5); }

struct InitialFromRow {
  double bottom_up, top_down;
};
// BU0 and TD0: the totals of the first row less its components.
InitialFromRow initial_damage(WriterRun& w) {
  const auto row = fields(w.lines("SEC_Cracking.csv").at(1));
  return {std::stod(row[total_bu_column]) - bottom_up_columns(row),
          std::stod(row[total_td_column]) - top_down_columns(row)};
}

TEST(CrackingResults, ExistingCrackingWithOneOrNoDamageType) {
  const double d0 = damage_for(10.0);
  struct Case {
    const char* name;
    DamageComponent component;  // damage_component_count: none
    double top_down_share;
  };
  for (const Case& c : {Case{"bottom_up_only", cracking::bu_tandem, 0.01}, Case{"top_down_only", cracking::td_short, 0.99},
                        Case{"neither", cracking::damage_component_count, 0.5}}) {
    SCOPED_TRACE(c.name);
    WriterRun w(std::string("crack_existing_") + c.name);
    cracking::CrackingSection section = section_of(2);
    section.general.field[42] = 10.0f;  // P0
    section.general.field[43] = 2.0f;   // Pc, kept with existing cracking
    if (c.component != cracking::damage_component_count) fill_damage(section, c.component, 0.001f, 1, 2);
    ASSERT_TRUE(cracking::write_cracking_results(w.run, section, 1));
    EXPECT_EQ(section.general.field[43], 2.0f);
    const InitialFromRow initial = initial_damage(w);
    EXPECT_NEAR(initial.top_down, c.top_down_share * d0, 2e-6 * d0);
    EXPECT_NEAR(initial.bottom_up, (1.0 - c.top_down_share) * d0, 2e-6 * d0);
  }
  {
    // Without damage, the first row shows the combined cracking of the two
    // initial damages less the offset.
    WriterRun w("crack_existing_percent");
    cracking::CrackingSection section = section_of(1);
    section.general.field[42] = 10.0f;
    section.general.field[43] = 2.0f;
    ASSERT_TRUE(cracking::write_cracking_results(w.run, section, 1));
    const auto row = fields(w.lines("SEC_Cracking.csv")[1]);
    EXPECT_NEAR(std::stod(row[crack_column]), combined_percent(0.5 * d0, 0.5 * d0, 2.0), 0.0051);
  }
}

// Ratio r of bottom-up to top-down damage over the years that have both,
// each year measured in its combined-cracking equivalent damage.
double expected_ratio(const std::vector<double>& bottom_up, const std::vector<double>& top_down) {
  double sb = 0.0, st = 0.0;
  for (size_t y = 0; y < bottom_up.size(); ++y) {
    if (bottom_up[y] == 0.0 || top_down[y] == 0.0) continue;
    const double p = combined_percent(bottom_up[y], top_down[y], 0.0) / 100.0;
    const double equivalent = std::pow((1.0 / p - 1.0) / c4, 1.0 / c5);
    sb += bottom_up[y] / equivalent;
    st += top_down[y] / equivalent;
  }
  return sb / st;
}

TEST(CrackingResults, ExistingCrackingWithBothTypesKeepsTheDamageRatio) {
  WriterRun w("crack_existing_both");
  cracking::CrackingSection section = section_of(3);
  section.general.field[42] = 10.0f;
  section.general.field[43] = 2.0f;
  fill_damage(section, cracking::bu_single, 0.002f, 1, 3);
  fill_damage(section, cracking::td_medium, 0.001f, 1, 1);
  fill_damage(section, cracking::td_medium, 0.003f, 2, 3);
  ASSERT_TRUE(cracking::write_cracking_results(w.run, section, 1));
  const InitialFromRow initial = initial_damage(w);
  // Cumulative damage at the end of each year.
  const double r = expected_ratio({0.024, 0.048, 0.072}, {0.012, 0.048, 0.084});
  EXPECT_NEAR(initial.bottom_up / initial.top_down, r, 2e-5 * r);
  // The pair reproduces the existing cracking.
  EXPECT_NEAR(combined_percent(initial.bottom_up, initial.top_down, 0.0), 10.0, 1e-3);
}

TEST(CrackingResults, ExistingCrackingLeavesOutYearsWithoutOneDamageType) {
  WriterRun w("crack_existing_gap");
  cracking::CrackingSection section = section_of(3);
  section.general.field[42] = 10.0f;
  fill_damage(section, cracking::bu_single, 0.002f, 1, 3);
  fill_damage(section, cracking::td_long, 0.004f, 2, 3);  // no top-down damage in year 1
  ASSERT_TRUE(cracking::write_cracking_results(w.run, section, 1));
  EXPECT_TRUE(w.errors().empty());
  const InitialFromRow initial = initial_damage(w);
  const double r = expected_ratio({0.0, 0.048, 0.072}, {0.0, 0.048, 0.096});
  EXPECT_NEAR(initial.bottom_up / initial.top_down, r, 2e-5 * r);
  EXPECT_NEAR(combined_percent(initial.bottom_up, initial.top_down, 0.0), 10.0, 1e-3);
}

TEST(CrackingResults, ValuesThatAreNotFiniteStopTheRun) {
  {
    WriterRun w("crack_nan_damage");
    cracking::CrackingSection section = section_of(4);
    section.damage.component[cracking::bu_tridem](0, 3) = std::numeric_limits<float>::quiet_NaN();
    EXPECT_FALSE(cracking::write_cracking_results(w.run, section, 1));
    const auto errors = w.errors();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], " Value not finite: BU_Tridem of month 37.");
    EXPECT_EQ(w.lines("SEC_Cracking.csv").size(), 1u + 36u);  // the rows before it
  }
  {
    // Existing cracking above 100 percent has no equivalent damage.
    WriterRun w("crack_nan_initial");
    cracking::CrackingSection section = section_of(1);
    section.general.field[42] = 150.0f;
    EXPECT_FALSE(cracking::write_cracking_results(w.run, section, 1));
    const auto errors = w.errors();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], " Value not finite: total bottom-up damage of month 1.");
    EXPECT_EQ(w.run.error_count(), 1);
  }
}

class CalibrationSummary : public ::testing::Test {
 protected:
  CalibrationSummary() : w_("crack_calibration") {
    w_.run.calibration_mode = true;
    w_.run.detail_switch = false;
    platform::create_output(w_.run.summary_file, (w_.folder() / "Summary.csv").string());
    section_ = section_of(4);
    section_.general.calibration_values = {15.0f, 19.5f};
    section_.general.observation_ages = {1.0f, 2.5f};
    // All of a year's damage in its first month: cumulative damage grows
    // linearly with the years, which the spline reproduces.
    for (size_t y = 0; y < 4; ++y) {
      section_.damage.component[cracking::bu_single](0, y) = 0.5f;
      section_.damage.component[cracking::td_long](0, y) = 0.25f;
    }
  }
  std::vector<std::string> summary() {
    w_.run.summary_file.close();
    return w_.lines("Summary.csv");
  }
  WriterRun w_;
  cracking::CrackingSection section_;
};

TEST_F(CalibrationSummary, OneLinePerObservationAgeAndNoDetailFile) {
  ASSERT_TRUE(cracking::write_cracking_results(w_.run, section_, 2));
  ASSERT_TRUE(cracking::write_cracking_results(w_.run, section_, 1));
  EXPECT_FALSE(std::filesystem::exists(w_.folder() / "SEC_Cracking.csv"));
  const auto lines = summary();
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0].substr(0, 44), "SECL20,  1.0,  0.5000000E+00,  0.2500000E+00");
  EXPECT_EQ(lines[1].substr(0, 44), "SECL20,  2.5,  0.1250000E+01,  0.6250000E+00");
  EXPECT_EQ(lines[2].substr(0, 44), "SECL15,  1.0,  0.5000000E+00,  0.2500000E+00");
  const auto line = fields(lines[1]);
  ASSERT_EQ(line.size(), 5u);
  EXPECT_EQ(line[4].size(), 11u);
  EXPECT_NEAR(std::stod(line[4]), combined_percent(1.25, 0.625, 0.0), 2e-5);
}

TEST_F(CalibrationSummary, ExistingCrackingAddsTheInitialDamagesUnbounded) {
  w_.run.detail_switch = true;
  section_.general.field[42] = 10.0f;
  section_.general.field[43] = 95.0f;  // large offset: the summary value goes negative
  ASSERT_TRUE(cracking::write_cracking_results(w_.run, section_, 1));
  const InitialFromRow initial = initial_damage(w_);
  const auto line = fields(summary().at(1));
  ASSERT_EQ(line.size(), 5u);
  EXPECT_NEAR(std::stod(line[2]), 1.25 + initial.bottom_up, 1e-6);
  EXPECT_NEAR(std::stod(line[3]), 0.625 + initial.top_down, 1e-6);
  const double expected = combined_percent(1.25 + initial.bottom_up, 0.625 + initial.top_down, 95.0);
  ASSERT_LT(expected, 0.0);
  EXPECT_NEAR(std::stod(line[4]), expected, 1e-4);
}

TEST(CrackingResults, DesignLivesBeyondTheTablesStopAtOneHundredYears) {
  WriterRun w("crack_long_life");
  cracking::CrackingSection section = section_of(105);
  ASSERT_TRUE(cracking::write_cracking_results(w.run, section, 1));
  const auto lines = w.lines("SEC_Cracking.csv");
  ASSERT_EQ(lines.size(), 1u + 1200u);
  EXPECT_EQ(lines.back().substr(0, 11), "  100, 1200");
}

TEST(CrackingResults, AFileThatCannotBeOpenedIsReportedAndTheRunGoesOn) {
  WriterRun w("crack_refused");
  w.run.results_folder = (w.folder() / "missing" / "").string();
  cracking::CrackingSection section = section_of(1);
  EXPECT_TRUE(cracking::write_cracking_results(w.run, section, 1));
  const auto errors = w.errors();
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0], " Excel is refusing to share: SEC_Cracking.csv");
}

}  // namespace
}  // namespace jpcp::testing
