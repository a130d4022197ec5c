// The faulting section input file, the faulting season pattern file and the
// shared readers as the faulting program uses them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "faulting/inputs/fault_season_pattern.h"
#include "faulting/inputs/section_input.h"
#include "faulting/inputs/shared_inputs.h"
#include "tests/support/faulting_section.h"
#include "tests/support/section_folder.h"

namespace jpcp::faulting {
namespace {

using jpcp::testing::FaultingSectionInputs;
using jpcp::testing::TempFolder;
using jpcp::testing::write_file;

struct Reported {
  std::vector<std::string> messages;
  inputs::ReportError reporter() {
    return [this](std::string_view m) { messages.emplace_back(m); };
  }
};

class SectionInputFile : public ::testing::Test {
 protected:
  SectionInputFile() : folder_("fsi") {}
  bool read(const FaultingSectionInputs& in) {
    std::string text;
    for (const std::string& line : in.lines) text += line + "   trailing comment\n";
    write_file(folder_.path() / "f.txt", text);
    return read_section_input((folder_.path() / "f.txt").string(), reported_.reporter(), result_);
  }
  TempFolder folder_;
  Reported reported_;
  SectionInputs result_;
};

TEST_F(SectionInputFile, ReadsEveryLineWithItsConversions) {
  FaultingSectionInputs in;
  in.set(8, "4");  // edge support below 10 is raised to 10: 0.5 * 10 + 5
  ASSERT_TRUE(read(in));
  EXPECT_TRUE(reported_.messages.empty());
  EXPECT_EQ(result_.n_months, 24);
  EXPECT_EQ(result_.age_offset, 1);
  EXPECT_FLOAT_EQ(result_.edge_support, 10.0f);
  EXPECT_FLOAT_EQ(result_.gamma_pcc, 150.0f / 1728.0f);
  EXPECT_FLOAT_EQ(result_.gamma_base, 140.0f / 1728.0f);
  EXPECT_FLOAT_EQ(result_.ultshrin, 600.0f);
  EXPECT_FLOAT_EQ(result_.shrin_scale, 600.0f);
  EXPECT_EQ(result_.t50, 35);
  EXPECT_EQ(result_.base_type, 1);
  EXPECT_FLOAT_EQ(result_.temp_set, 90.0f);
  // Lines 33 to 38: C3 C4, C5, C8, C6, C1 C2, C7.
  EXPECT_FLOAT_EQ(result_.c(3), 0.002848f);
  EXPECT_FLOAT_EQ(result_.c(4), 0.000883739f);
  EXPECT_FLOAT_EQ(result_.c(5), 250.0f);
  EXPECT_FLOAT_EQ(result_.c(8), 400.0f);
  EXPECT_FLOAT_EQ(result_.c(6), 0.4f);
  EXPECT_FLOAT_EQ(result_.c(1), 1.0184f);
  EXPECT_FLOAT_EQ(result_.c(2), 0.91656f);
  EXPECT_FLOAT_EQ(result_.c(7), 1.83312f);
  EXPECT_FLOAT_EQ(result_.edge_distance, 18.0f);
}

TEST(SectionInputRules, EdgeSupportAndEdgeDistance) {
  EXPECT_FLOAT_EQ(edge_support_value(4.0f), 10.0f);
  EXPECT_FLOAT_EQ(edge_support_value(10.0f), 10.0f);
  EXPECT_FLOAT_EQ(edge_support_value(30.0f), 20.0f);
  // Two thirds of the correction come off the wheel-path distance.
  EXPECT_FLOAT_EQ(edge_distance_value(18.0f, 6.0f, 0, 14.0f, 12.0f), 14.0f);
  // Without the widened-slab flag the slab width does not count and there is no limit.
  EXPECT_FLOAT_EQ(edge_distance_value(30.0f, 0.0f, 0, 14.0f, 12.0f), 30.0f);
  // A 14 ft slab in a 12 ft lane adds 24 in, limited to 24 in.
  EXPECT_FLOAT_EQ(edge_distance_value(18.0f, 0.0f, 1, 14.0f, 12.0f), 24.0f);
  EXPECT_FLOAT_EQ(edge_distance_value(6.0f, 0.0f, 1, 13.0f, 12.0f), 18.0f);
}

// Range checks: the last accepted and the first rejected value.
TEST_F(SectionInputFile, RangeChecksAtTheirBounds) {
  struct Case {
    int line;
    const char* accepted;
    const char* rejected;
    const char* message;
  };
  const Case cases[] = {
      {1, "1200", "1201",
       "Data error: General Input File -- line 1 (n_months, number of analysis months) must be 1 to 1200: 1201"},
      {4, "0.5", "0", "Data error: General Input File -- line 4 (h_pcc, slab thickness, in) must be above 0: 0"},
      {11, "0.49", "0.5",
       "Data error: General Input File -- line 11 (mu_pcc, Poisson's ratio) must lie strictly between 0 and 0.5: 0.5"},
      {24, "100", "101",
       "Data error: General Input File -- line 24 (rhbot, relative humidity at the slab bottom, percent) must be 0 "
       "to 100: 101"},
  };
  for (const Case& c : cases) {
    FaultingSectionInputs in;
    in.set(c.line, c.accepted);
    EXPECT_TRUE(read(in)) << c.line;
    in.set(c.line, c.rejected);
    reported_.messages.clear();
    EXPECT_FALSE(read(in)) << c.line;
    EXPECT_EQ(reported_.messages, std::vector<std::string>{c.message});
  }
}

TEST_F(SectionInputFile, EachFailureHasItsMessage) {
  struct Case {
    int line;
    std::string text;
    std::string message;
  };
  const std::vector<Case> cases = {
      {16, "3.5", "Data error: General Input File."},   // t50 is an integer
      {20, "abc", "Data error: General Input File."},
      {1, "0", "Data error: General Input File -- number of analysis months must be at least 1."},
      {3, "-1", "Data error: General Input File -- age offset must not be negative."},
      {2, "13", "Data error: General Input File -- starting month must be 1 to 12."},
      {2, "0", "Data error: General Input File -- starting month must be 1 to 12."},
  };
  for (const Case& c : cases) {
    FaultingSectionInputs in;
    in.set(c.line, c.text);
    reported_.messages.clear();
    EXPECT_FALSE(read(in)) << c.line;
    EXPECT_EQ(reported_.messages, std::vector<std::string>{c.message}) << c.line;
  }
  // Line 37 holds two values; a file that stops after one of them ends early.
  write_file(folder_.path() / "short.txt", [] {
    std::string text;
    FaultingSectionInputs in;
    for (int line = 1; line <= 36; ++line) text += in.lines[static_cast<size_t>(line - 1)] + "\n";
    return text + "1.0184\n";
  }());
  reported_.messages.clear();
  EXPECT_FALSE(read_section_input((folder_.path() / "short.txt").string(), reported_.reporter(), result_));
  EXPECT_EQ(reported_.messages, std::vector<std::string>{"Unexpected end of file: General Input File."});
}

class SeasonPatternFile : public ::testing::Test {
 protected:
  SeasonPatternFile() : folder_("fsp") {}
  std::string table(const std::vector<int>& ages) {
    std::string text;
    for (size_t r = 0; r < ages.size(); ++r) {
      text += std::to_string(ages[r]) + " " + std::to_string(600 + r) + " " + std::to_string(4000000 + 1000 * r);
      text += r % 2 ? "\n" : ", ";  // records may share lines
    }
    return text;
  }
  bool read(const std::string& contents, int32_t n_months) {
    write_file(folder_.path() / "s.txt", contents);
    reported_.messages.clear();
    return read_fault_season_pattern((folder_.path() / "s.txt").string(), n_months, reported_.reporter(), result_);
  }
  std::vector<int> ages(int first, int last = -1) const {
    std::vector<int> a = {first, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 24, 36, 48, 60, 120, 240};
    if (last >= 0) a.push_back(last);
    return a;
  }
  const std::string head_ =
      "100 110 120 130 140 150 160 170 180 190 200 210\n"
      "1 2 3 4 5 6 7 8 9 10 11 12\n"
      "50 51 52 53 54 55 56 57 58 59 60 61\n"
      "anything at all on line four\n";
  TempFolder folder_;
  Reported reported_;
  FaultSeasonPattern result_;
};

TEST_F(SeasonPatternFile, ReadsCalendarTablesAndTheTableSizedByTheAnalysisLength) {
  ASSERT_TRUE(read(head_ + table(ages(-3)), 240));
  EXPECT_FLOAT_EQ(result_.calendar.k_value[0], 100.0f);  // January stays first
  EXPECT_FLOAT_EQ(result_.calendar.base_modulus[11], 12.0f);
  EXPECT_FLOAT_EQ(result_.calendar.relative_humidity[5], 55.0f);
  ASSERT_EQ(result_.pcc.size(), 19u);
  EXPECT_EQ(result_.pcc.age[0], -3);  // any first age is accepted
  EXPECT_FLOAT_EQ(result_.pcc.e[10], 4010000.0f);
  EXPECT_EQ(pcc_table_points(240), 19);
  EXPECT_EQ(pcc_table_points(241), 20);
  // 241 months need a twentieth record, whose age is free as well.
  EXPECT_FALSE(read(head_ + table(ages(0)), 241));
  EXPECT_EQ(reported_.messages, std::vector<std::string>{"Unexpected end of file: Season Pattern File."});
  ASSERT_TRUE(read(head_ + table(ages(0, 400)), 241));
  EXPECT_EQ(result_.pcc.age[19], 400);
}

TEST_F(SeasonPatternFile, AgeChecksAndMessages) {
  const std::string pcc_message = "Data error: Season Pattern File -- PCC Properties";
  std::vector<int> wrong = ages(0);
  wrong[13] = 18;  // the fourteenth age must be 24
  EXPECT_FALSE(read(head_ + table(wrong), 24));
  EXPECT_EQ(reported_.messages, std::vector<std::string>{pcc_message});
  wrong = ages(0);
  wrong[1] = 0;
  EXPECT_FALSE(read(head_ + table(wrong), 24));
  EXPECT_EQ(reported_.messages, std::vector<std::string>{pcc_message});
  // A free age repeating a fixed one leaves the property spline undefined.
  EXPECT_FALSE(read(head_ + table(ages(12)), 24));
  EXPECT_EQ(reported_.messages, std::vector<std::string>{pcc_message});
  EXPECT_FALSE(read(head_ + "1 2 3 4 5\n", 24));
  EXPECT_EQ(reported_.messages, std::vector<std::string>{"Unexpected end of file: Season Pattern File."});
  EXPECT_FALSE(read(head_ + "0 600 4e6 1 abc 4e6\n", 24));
  EXPECT_EQ(reported_.messages, std::vector<std::string>{pcc_message});
  EXPECT_FALSE(read("100 110 120 130 140 150 160 170 180 190 200 x\n", 24));
  EXPECT_EQ(reported_.messages,
            std::vector<std::string>{"Data error: Season Pattern File -- k-values, Ebase, or monthly R.H."});
  EXPECT_FALSE(read(head_.substr(0, head_.rfind("anything")), 24));  // no line four
  EXPECT_EQ(reported_.messages, std::vector<std::string>{"Unexpected end of file: Season Pattern File."});
}

TEST(FaultingSharedReaders, TemperatureStorageSkipsTheAgeOffsetAndKeepsCalendarMonths) {
  EXPECT_EQ(temperature_capacity(240, 1), 744u * 243u);
  TempFolder folder("ftemp");
  FaultingSectionInputs in;
  in.set(1, "3");
  in.set(2, "5");  // analysis starts in May
  in.set(3, "1");
  in.temperature_days_per_month = 1;
  in.temperature_months = 6;
  jpcp::testing::write_faulting_section(folder.path(), in);
  Reported reported;
  std::vector<inputs::HourlyRecord> records;
  ASSERT_TRUE(read_fault_temperatures((folder.path() / "thermalPCC.dat").string(), temperature_capacity(3, 1), 1,
                                      reported.reporter(), records));
  // The file starts with April (the age offset month), which is passed over.
  ASSERT_EQ(records.size(), 5u * 24u);
  EXPECT_EQ(records.front().month, 5);
  EXPECT_EQ(records.back().month, 9);
  EXPECT_EQ(records[23].hour, 23);
  // The capacity is read in whole days.
  ASSERT_TRUE(read_fault_temperatures((folder.path() / "thermalPCC.dat").string(), 24 * 3 + 10, 0,
                                      reported.reporter(), records));
  EXPECT_EQ(records.size(), 72u);
  EXPECT_TRUE(reported.messages.empty());
}

TEST(FaultingSharedReaders, AxleValuesAreTakenAsTheyStandByLoadLevel) {
  TempFolder folder("faxle");
  FaultingSectionInputs in;
  in.set(1, "3");
  jpcp::testing::write_faulting_section(folder.path(), in);
  const auto path = [&](const char* name) { return (folder.path() / name).string(); };
  Reported reported;
  AxleTables axles;
  ASSERT_TRUE(read_fault_traffic({path("SingleAxleOutput.csv"), path("TandemAxleOutput.csv"),
                                  path("TridemAxleOutput.csv"), path("QuadAxleOutput.csv")},
                                 path("_HourlyTrafficPerc.txt"), 3, reported.reporter(), axles));
  // The writer puts scale * (1 + (c + i) % 7) at class c of month i.
  const auto expected = [](float scale, int c, int i) { return scale * static_cast<float>(1 + (c + i) % 7); };
  ASSERT_EQ(axles[inputs::single_axle].rows(), 40u);  // load levels fastest
  ASSERT_EQ(axles[inputs::single_axle].columns(), 3u);
  EXPECT_FLOAT_EQ(axles[inputs::single_axle](0, 0), expected(100.0f, 1, 1));  // the first class is kept
  EXPECT_FLOAT_EQ(axles[inputs::single_axle](37, 2), expected(100.0f, 38, 3));
  EXPECT_FLOAT_EQ(axles[inputs::single_axle](38, 2), 0.0f);  // class 39 is not read
  EXPECT_FLOAT_EQ(axles[inputs::tandem_axle](16, 1), expected(50.0f, 17, 2));
  EXPECT_FLOAT_EQ(axles[inputs::tridem_axle](30, 0), expected(10.0f, 31, 1));
  EXPECT_FLOAT_EQ(axles[inputs::tridem_axle](31, 0), 0.0f);
  EXPECT_TRUE(reported.messages.empty());
}

}  // namespace
}  // namespace jpcp::faulting
