#include "cracking/inputs/season_pattern.h"

#include <gtest/gtest.h>

#include <sstream>

#include "common/inputs/messages.h"
#include "tests/common/inputs/input_test_support.h"

namespace jpcp::inputs {
namespace {

using testing::ReportedErrors;
using testing::TempFolder;

// k-value 100 + m, base modulus 2000 + m, humidity 50 + m for calendar month m.
std::string season_text() {
  std::ostringstream out;
  for (int base : {100, 2000, 50}) {
    for (int m = 1; m <= 12; ++m) out << base + m << (m == 6 ? "\n" : " ");  // each read over two lines
    out << "\n";
  }
  return out.str();
}

// Row r (1-based) of the PCC modulus file; not on a straight line, so the
// first-year means differ from a linear interpolation.
float row_mr(int r) { return 500.0f + static_cast<float>(r * r); }
float row_e(int r) { return 3.0e6f + 1000.0f * static_cast<float>(r * r * r); }

std::string pcc_text(int rows, const char* row_separator = "\n") {
  std::ostringstream out;
  out.precision(9);
  out << "99\n";
  for (int r = 1; r <= rows; ++r) out << r << " " << row_mr(r) << " " << row_e(r) << row_separator;
  return out.str();
}

SeasonInputs inputs(int32_t years) {
  SeasonInputs in;
  in.years = years;
  in.start_month = 1;
  in.age_offset = 1;
  in.interface_switch = 0;
  in.field8 = 12.5f;
  in.age_time_constant = 35;
  return in;
}

struct Reading {
  bool ok = false;
  SeasonPattern pattern;
  std::vector<std::string> messages;
};

Reading read(const TempFolder& folder, const std::string& season, const std::string& pcc, const SeasonInputs& in) {
  Reading result;
  ReportedErrors errors;
  result.ok = read_season_pattern(folder.write("SeasonPattern.txt", season), folder.write("PCCModulus.txt", pcc), in,
                                  errors.reporter(), result.pattern);
  result.messages = errors.messages;
  return result;
}

TEST(SeasonPattern, TypicalYearIsStoredInAnalysisOrder) {
  TempFolder folder;
  SeasonInputs in = inputs(1);
  Reading r = read(folder, season_text(), pcc_text(13), in);
  ASSERT_TRUE(r.ok);
  for (size_t p = 0; p < 12; ++p) {
    const float m = static_cast<float>(p + 1);
    EXPECT_EQ(r.pattern.year.k_value[p], 100 + m);
    EXPECT_EQ(r.pattern.year.base_modulus[p], 2000 + m);
    EXPECT_EQ(r.pattern.year.relative_humidity[p], 50 + m);
  }

  in.start_month = 10;  // October, November, December, January, ... September
  r = read(folder, season_text(), pcc_text(13), in);
  ASSERT_TRUE(r.ok);
  const int expected_months[12] = {10, 11, 12, 1, 2, 3, 4, 5, 6, 7, 8, 9};
  for (size_t p = 0; p < 12; ++p) {
    EXPECT_EQ(r.pattern.year.k_value[p], 100.0f + static_cast<float>(expected_months[p])) << "position " << p;
    EXPECT_EQ(r.pattern.year.relative_humidity[p], 50.0f + static_cast<float>(expected_months[p]));
    EXPECT_EQ(calendar_month(10, static_cast<int32_t>(p + 1)), expected_months[p]);
  }
}

TEST(SeasonPattern, EachTypicalYearReadStartsOnANewLine) {
  text::FreeFormReader reader(
      "1 2 3 4 5 6 7 8 9 10 11 12 13\n"
      "21 22 23 24 25 26 27 28 29 30 31 32\n"
      "41 42 43 44 45\n");
  TypicalYear year;
  EXPECT_EQ(read_typical_year_values(reader, year), text::ReadStatus::end_of_file);
  EXPECT_EQ(year.k_value[11], 12.0f);
  EXPECT_EQ(year.base_modulus[0], 21.0f);  // the 13th value of line 1 was passed over
}

TEST(SeasonPattern, ConcretePropertiesPerAnalysisMonth) {
  TempFolder folder;
  const Reading r = read(folder, season_text(), pcc_text(15), inputs(3));
  ASSERT_TRUE(r.ok);
  const SeasonPattern& p = r.pattern;
  EXPECT_EQ(p.years, 3);
  EXPECT_EQ(p.months, 36);
  ASSERT_EQ(p.mr.size(), 36u);

  // First year: the mean of the month-end rows j and j + 1.
  for (int j = 1; j <= 12; ++j) {
    EXPECT_FLOAT_EQ(p.mr[j - 1], (row_mr(j) + row_mr(j + 1)) / 2) << "month " << j;
    EXPECT_FLOAT_EQ(p.e[j - 1], (row_e(j) + row_e(j + 1)) / 2) << "month " << j;
  }
  EXPECT_EQ(p.e_month12, p.e[11]);
  // Later years: mid-month points of the line between the year-end rows.
  for (int y = 2; y <= 3; ++y) {
    const int p0 = 12 + y - 1, p1 = 12 + y;
    for (int i = 0; i < 12; ++i) {
      const float fraction = (static_cast<float>(i) + 0.5f) / 12.0f;
      const size_t j = static_cast<size_t>(12 * (y - 1) + i);
      EXPECT_NEAR(p.mr[j], row_mr(p0) + fraction * (row_mr(p1) - row_mr(p0)), 1e-5f * row_mr(p1)) << "month " << j + 1;
      EXPECT_NEAR(p.e[j], row_e(p0) + fraction * (row_e(p1) - row_e(p0)), 1e-5f * row_e(p1)) << "month " << j + 1;
    }
  }
  EXPECT_FLOAT_EQ(p.mr[12], row_mr(13) + 0.5f * (row_mr(14) - row_mr(13)) / 12.0f);

  EXPECT_EQ(p.final_properties, (std::array<float, 3>{15.0f, row_mr(15), row_e(15)}));
  EXPECT_EQ(p.month_number.front(), 1);
  EXPECT_EQ(p.month_number.back(), 36);
  EXPECT_EQ(p.field8, std::vector<float>(36, 12.5f));
  EXPECT_EQ(p.period_start, (std::vector<int32_t>{0, 12, 24}));
  EXPECT_EQ(p.period_length, (std::vector<float>{1, 1, 1}));

  // Line breaks between the rows do not matter.
  const Reading one_line = read(folder, season_text(), pcc_text(15, " "), inputs(3));
  ASSERT_TRUE(one_line.ok);
  EXPECT_EQ(one_line.pattern.mr, p.mr);
  EXPECT_EQ(one_line.pattern.e, p.e);
}

TEST(SeasonPattern, AgeFactorOfTheFirstAndLaterYears) {
  TempFolder folder;
  const Reading r = read(folder, season_text(), pcc_text(14), inputs(2));
  ASSERT_TRUE(r.ok);
  const auto factor = [](double t) { return t / (t + 35.0); };
  // Month 1 with an age offset of 1 month: t = 1.5 months = 45.63 days.
  EXPECT_NEAR(r.pattern.age_factor[0], factor(45.62505), 1e-5);
  EXPECT_NEAR(r.pattern.age_factor[0], 0.566, 5e-4);
  EXPECT_NEAR(r.pattern.age_factor[11], factor(12.5 * 30.4167), 1e-5);
  // The later years count whole months: month 13 at (13 + 1) months.
  EXPECT_NEAR(r.pattern.age_factor[12], factor(14 * 30.4167), 1e-5);
  EXPECT_NEAR(r.pattern.age_factor[23], factor(25 * 30.4167), 1e-5);
}

TEST(SeasonPattern, BondIndicator) {
  TempFolder folder;
  SeasonInputs in = inputs(5);
  const std::string pcc = pcc_text(17);
  auto bond_months = [&](int32_t interface_switch) {
    in.interface_switch = interface_switch;
    const Reading r = read(folder, season_text(), pcc, in);
    EXPECT_TRUE(r.ok);
    int32_t bonded = 0;
    for (size_t j = 0; j < r.pattern.bond.size(); ++j) {
      if (r.pattern.bond[j] == 1.0f) {
        EXPECT_EQ(bonded, static_cast<int32_t>(j)) << "bonded months must come first";
        ++bonded;
      } else {
        EXPECT_EQ(r.pattern.bond[j], 0.0f);
      }
    }
    return bonded;
  };
  EXPECT_EQ(bond_months(0), 0);
  EXPECT_EQ(bond_months(24), 24);
  EXPECT_EQ(bond_months(48), 48);
  EXPECT_EQ(bond_months(60), 60);
  EXPECT_EQ(bond_months(200), 60);  // beyond the analysis: bonded throughout
  EXPECT_EQ(bond_months(-5), 0);
}

TEST(SeasonPattern, RowCountFollowsTheDesignLife) {
  TempFolder folder;
  // Y = 20 reads exactly 32 rows; a 33rd row is never looked at.
  Reading r = read(folder, season_text(), pcc_text(32) + "33 bad row\n", inputs(20));
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.pattern.final_properties[0], 32.0f);
  EXPECT_EQ(r.pattern.mr.size(), 240u);

  r = read(folder, season_text(), pcc_text(31), inputs(20));
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.messages, std::vector<std::string>{"Unexpected end of file: Season Pattern File."});
}

TEST(SeasonPattern, Messages) {
  TempFolder folder;
  const std::string typical = "Data error: Season Pattern File -- k-values, Ebase, or monthly R.H.";
  const std::string pcc = "Data error: Season Pattern File -- PCC Properties";
  const std::string eof = "Unexpected end of file: Season Pattern File.";

  std::string season = season_text();
  season.replace(season.find("2005"), 4, "20O5");  // a letter among the base moduli
  EXPECT_EQ(read(folder, season, pcc_text(13), inputs(1)).messages, std::vector<std::string>{typical});

  std::string leading = pcc_text(13);
  leading.replace(0, 2, "9.5");  // the leading integer
  EXPECT_EQ(read(folder, season_text(), leading, inputs(1)).messages, std::vector<std::string>{typical});

  std::string row = pcc_text(13);
  row.replace(row.find("\n4 "), 3, "\nx ");
  EXPECT_EQ(read(folder, season_text(), row, inputs(1)).messages, std::vector<std::string>{pcc});

  std::string short_season = season_text();
  short_season.resize(short_season.rfind("62"));
  EXPECT_EQ(read(folder, short_season, pcc_text(13), inputs(1)).messages, std::vector<std::string>{eof});
  EXPECT_EQ(read(folder, season_text(), "7\n", inputs(1)).messages, std::vector<std::string>{eof});

  // Missing files read as empty ones and are not created.
  for (const bool season_missing : {true, false}) {
    ReportedErrors errors;
    SeasonPattern pattern;
    const std::string present = folder.write("present.txt", season_missing ? pcc_text(13) : season_text());
    const std::string absent = folder.path("absent.txt");
    EXPECT_FALSE(read_season_pattern(season_missing ? absent : present, season_missing ? present : absent,
                                     inputs(1), errors.reporter(), pattern));
    EXPECT_EQ(errors.messages, std::vector<std::string>{eof});
    EXPECT_FALSE(folder.exists("absent.txt"));
  }
}

TEST(SeasonPattern, DesignLifeBeyondTheTablesIsRejected) {
  TempFolder folder;
  for (int32_t years : {0, 126}) {
    const Reading r = read(folder, season_text(), pcc_text(138), inputs(years));
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.messages, std::vector<std::string>{std::string(general_input_design_life_message)});
  }
}

// Range checks of both files: humidity 100 is the last accepted, a k-value
// or PCC modulus of 0 is rejected, each with the place and the value.
TEST(SeasonPattern, RangeChecksNameTheValue) {
  TempFolder folder;
  std::string season = season_text();
  season.replace(season.find("62"), 2, "100");  // humidity of December
  EXPECT_TRUE(read(folder, season, pcc_text(13), inputs(1)).ok);
  season.replace(season.find("100 \n"), 3, "100.5");
  EXPECT_EQ(read(folder, season, pcc_text(13), inputs(1)).messages,
            std::vector<std::string>{
                "Data error: Season Pattern File -- relative humidity of month 12 (percent) must be 0 to 100: 100.5"});

  std::string k_zero = season_text();
  k_zero.replace(0, 3, "0");
  EXPECT_EQ(
      read(folder, k_zero, pcc_text(13), inputs(1)).messages,
      std::vector<std::string>{"Data error: Season Pattern File -- k-value of month 1 (psi/in) must be above 0: 0"});

  std::string e_zero = pcc_text(13);
  e_zero.replace(e_zero.find("\n3 "), e_zero.find('\n', e_zero.find("\n3 ") + 1) - e_zero.find("\n3 "), "\n3 509 0");
  EXPECT_EQ(
      read(folder, season_text(), e_zero, inputs(1)).messages,
      std::vector<std::string>{"Data error: PCC modulus file -- row 3 (PCC elastic modulus, psi) must be above 0: 0"});
}

}  // namespace
}  // namespace jpcp::inputs
