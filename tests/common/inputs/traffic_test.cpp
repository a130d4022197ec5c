#include "common/inputs/traffic.h"

#include <gtest/gtest.h>

#include <sstream>

#include "tests/common/inputs/input_test_support.h"

namespace jpcp::inputs {
namespace {

using testing::padded;
using testing::ReportedErrors;
using testing::TempFolder;

constexpr const char* file_names[axle_type_count] = {"Single.csv", "Tandem.csv", "Tridem.csv", "Quad.csv"};

// Axles per day of file class c (1-based) on line j: 1000 * type + 10 * j + c
// tells every value's origin.
float file_value(size_t type, int j, int c) { return static_cast<float>(1000 * (type + 1) + 10 * j + c); }

std::string axle_text(size_t type, int lines, int classes) {
  std::ostringstream out;
  for (int j = 1; j <= lines; ++j) {
    out << j << ",Month" << j;
    for (int c = 1; c <= classes; ++c) out << "," << file_value(type, j, c);
    out << "\r\n";
  }
  return out.str();
}

std::array<std::string, axle_type_count> write_files(const TempFolder& folder, int lines,
                                                     std::array<int, axle_type_count> classes) {
  std::array<std::string, axle_type_count> paths;
  for (size_t t = 0; t < axle_type_count; ++t) paths[t] = folder.write(file_names[t], axle_text(t, lines, classes[t]));
  return paths;
}

AxleReadPolicy cracking_policy(int32_t years, int32_t start_month) {
  AxleReadPolicy policy;
  policy.months = 12 * years;
  policy.table_months = 1500;
  policy.start_month = start_month;
  return policy;
}

TEST(AxleFiles, CrackingTablesDropTheFirstSingleAndTandemClassAndCountAxlesPerMonth) {
  TempFolder folder;
  auto paths = write_files(folder, 24, {39, 39, 31, 31});
  ReportedErrors errors;
  AxleTraffic traffic;
  ASSERT_TRUE(read_axle_files(paths, cracking_policy(2, 2), errors.reporter(), traffic));
  EXPECT_TRUE(errors.messages.empty());

  // Starting month 2: analysis months 1 and 13 are February (28 days),
  // month 12 is January (31), month 2 March (31), month 3 April (30).
  const std::pair<int, float> month_days[] = {{1, 28}, {2, 31}, {3, 30}, {12, 31}, {13, 28}, {24, 31}};
  for (size_t t = 0; t < axle_type_count; ++t) {
    const Table2D<float>& table = traffic.monthly[t];
    ASSERT_EQ(table.rows(), 1500u);
    ASSERT_EQ(table.columns(), axle_classes);
    const int shift = t < tridem_axle ? 1 : 0;
    const int used = t < tridem_axle ? 38 : 31;
    for (const auto& [j, days] : month_days) {
      for (int c = 1; c <= used; ++c) {
        ASSERT_EQ(table(j - 1, c - 1), file_value(t, j, c + shift) * days) << "type " << t << " month " << j << " class " << c;
      }
      for (int c = used + 1; c <= 40; ++c) EXPECT_EQ(table(j - 1, c - 1), 0.0f);
    }
    EXPECT_EQ(table(24, 0), 0.0f);  // rows beyond the design life stay empty
  }
}

TEST(AxleFiles, ClassTotalsAndDesignTraffic) {
  TempFolder folder;
  // Single class 37 (factor 24) and tandem class 1 (factor 0.0003) carry
  // traffic; quad axles are heavy but carry no ESALs.
  auto line = [](int j, int classes, int loaded_class, float axles) {
    std::ostringstream out;
    out << j << " label";
    for (int c = 1; c <= classes; ++c) out << " " << (c == loaded_class ? axles : 0.0f);
    out << "\n";
    return out.str();
  };
  std::string single, tandem, tridem, quad;
  for (int j = 1; j <= 12; ++j) {
    single += line(j, 39, 37, 10000);
    tandem += line(j, 39, 1, 500);
    tridem += line(j, 31, 31, 2);
    quad += line(j, 31, 5, 1e6f);
  }
  single += "13 ignored x y z\n";  // lines after the design life are not read
  const std::array<std::string, axle_type_count> paths = {
      folder.write("s.csv", single), folder.write("t.csv", tandem), folder.write("r.csv", tridem),
      folder.write("q.csv", quad)};
  ReportedErrors errors;
  AxleTraffic traffic;
  ASSERT_TRUE(read_axle_files(paths, cracking_policy(1, 1), errors.reporter(), traffic));
  EXPECT_EQ(traffic.class_totals[single_axle][36], 120000.0f);
  EXPECT_EQ(traffic.class_totals[tandem_axle][0], 6000.0f);
  EXPECT_EQ(traffic.class_totals[tridem_axle][30], 24.0f);
  EXPECT_EQ(traffic.class_totals[quad_axle][4], 12e6f);
  const float expected_esals = 120000.0f * 24.0f + 6000.0f * 0.0003f + 24.0f * 30.025f;
  EXPECT_NEAR(traffic.esal_sum, expected_esals, 1e-5f * expected_esals);
  // Tandem class 1 counts in the totals but is dropped from the table.
  EXPECT_EQ(traffic.monthly[tandem_axle](0, 0), 0.0f);
  EXPECT_EQ(traffic.monthly[single_axle](0, 35), 10000.0f * 31);

}

TEST(AxleFiles, LoadEquivalencyFactorsBeyondTheListedClassesAreZero) {
  EXPECT_EQ(load_equivalency_factor(single_axle, 39), 29.425f);
  EXPECT_EQ(load_equivalency_factor(single_axle, 40), 0.0f);
  EXPECT_EQ(load_equivalency_factor(tandem_axle, 39), 67.7f);
  EXPECT_EQ(load_equivalency_factor(tridem_axle, 27), 30.025f);
  EXPECT_EQ(load_equivalency_factor(tridem_axle, 32), 0.0f);
  EXPECT_EQ(load_equivalency_factor(quad_axle, 10), 0.0f);
  EXPECT_EQ(load_equivalency_factor(single_axle, 0), 0.0f);
}

TEST(AxleFiles, MessagesCarryThePathInA300CharacterField) {
  TempFolder folder;
  auto paths = write_files(folder, 12, {39, 39, 31, 31});
  ReportedErrors errors;
  AxleTraffic traffic;

  // The tandem file ends one line early.
  folder.write(file_names[tandem_axle], axle_text(tandem_axle, 11, 39));
  EXPECT_FALSE(read_axle_files(paths, cracking_policy(1, 1), errors.reporter(), traffic));
  ASSERT_EQ(errors.messages.size(), 1u);
  EXPECT_EQ(errors.messages[0], "Unexpected end of file: " + padded(paths[tandem_axle], 300));
  EXPECT_EQ(errors.messages[0].size(), 24u + 300u);

  // A letter among the tridem values.
  paths = write_files(folder, 12, {39, 39, 31, 31});
  std::string tridem = axle_text(tridem_axle, 12, 31);
  tridem.replace(tridem.find(",3055,"), 6, ",30S5,");
  folder.write(file_names[tridem_axle], tridem);
  errors.messages.clear();
  EXPECT_FALSE(read_axle_files(paths, cracking_policy(1, 1), errors.reporter(), traffic));
  EXPECT_EQ(errors.messages, std::vector<std::string>{"Data error: " + padded(paths[tridem_axle], 300)});

  // Without the path only the fixed text is written.
  AxleReadPolicy policy = cracking_policy(1, 1);
  policy.path_in_messages = false;
  errors.messages.clear();
  EXPECT_FALSE(read_axle_files(paths, policy, errors.reporter(), traffic));
  EXPECT_EQ(errors.messages, std::vector<std::string>{"Data error:"});

  // A missing quad file reads as an empty one and is not created.
  paths = write_files(folder, 12, {39, 39, 31, 31});
  paths[quad_axle] = folder.path("NoQuad.csv");
  errors.messages.clear();
  EXPECT_FALSE(read_axle_files(paths, policy, errors.reporter(), traffic));
  EXPECT_EQ(errors.messages, std::vector<std::string>{"Unexpected end of file:"});
  EXPECT_FALSE(folder.exists("NoQuad.csv"));
  EXPECT_EQ(traffic.monthly[single_axle].rows(), 0u);  // nothing stored by the failed reads
}

TEST(AxleFiles, FaultingPolicyKeepsTheLevelsAsTheyStand) {
  TempFolder folder;
  // 14 months (not whole years); single and tandem lines with 39 values, of
  // which only the first 38 are taken, and lines of exactly 38 also serve.
  auto paths = write_files(folder, 14, {39, 38, 31, 31});
  AxleReadPolicy policy;
  policy.months = 14;
  policy.table_months = 14;
  policy.start_month = 5;
  policy.cracking_conversion = false;
  policy.path_in_messages = false;
  ReportedErrors errors;
  AxleTraffic traffic;
  ASSERT_TRUE(read_axle_files(paths, policy, errors.reporter(), traffic));
  for (size_t t = 0; t < axle_type_count; ++t) {
    const int levels = t < tridem_axle ? 38 : 31;
    ASSERT_EQ(traffic.monthly[t].rows(), 14u);
    for (int j : {1, 2, 14}) {
      for (int c = 1; c <= levels; ++c) ASSERT_EQ(traffic.monthly[t](j - 1, c - 1), file_value(t, j, c));
      for (int c = levels + 1; c <= 40; ++c) EXPECT_EQ(traffic.monthly[t](j - 1, c - 1), 0.0f);
    }
  }
  // Fewer lines than months is an end of file here too.
  folder.write(file_names[single_axle], axle_text(single_axle, 13, 39));
  EXPECT_FALSE(read_axle_files(paths, policy, errors.reporter(), traffic));
  EXPECT_EQ(errors.messages, std::vector<std::string>{"Unexpected end of file:"});
}

TEST(HourlyTraffic, TwentyFourPercentagesInOneRead) {
  TempFolder folder;
  std::string text;
  for (int h = 0; h < 24; ++h) text += std::to_string(h + 1) + (h % 6 == 5 ? "\n" : ", ");
  std::array<float, 24> percentages{};
  ASSERT_TRUE(read_hourly_percentages(folder.write("h.txt", text), percentages));
  EXPECT_EQ(percentages[0], 1.0f);
  EXPECT_EQ(percentages[23], 24.0f);

  percentages.fill(-1);
  EXPECT_FALSE(read_hourly_percentages(folder.write("short.txt", "1 2 3\n4 5\n"), percentages));
  EXPECT_FALSE(read_hourly_percentages(folder.write("bad.txt", "1 2 x" + text), percentages));
  EXPECT_EQ(percentages[0], -1.0f);
  EXPECT_FALSE(read_hourly_percentages(folder.path("missing.txt"), percentages));
  EXPECT_FALSE(folder.exists("missing.txt"));
}

// Axle counts 0 to one million per day are accepted; a negative count or one
// above the bound is rejected with its line and class; hourly percentages
// must be 0 to 100 and not all 0.
TEST(TrafficRanges, AxleCountsAndHourlyPercentagesAtTheirBounds) {
  TempFolder folder;
  auto paths = write_files(folder, 12, {39, 39, 31, 31});
  const AxleReadPolicy policy = cracking_policy(1, 1);
  const auto single_with = [&](const char* value) {
    std::string text = axle_text(single_axle, 12, 39);
    text.replace(text.find(",1012,"), 6, std::string(",") + value + ",");  // line 1, class 2
    folder.write(file_names[single_axle], text);
    ReportedErrors errors;
    AxleTraffic traffic;
    read_axle_files(paths, policy, errors.reporter(), traffic);
    return errors.messages;
  };
  EXPECT_TRUE(single_with("0").empty());
  EXPECT_TRUE(single_with("1e6").empty());
  const std::string rule =
      "Data error: Single axle load spectra file -- line 1, class 2 (axles per day) must be 0 to 1000000: ";
  EXPECT_EQ(single_with("-0.5"), std::vector<std::string>{rule + "-0.5"});
  EXPECT_EQ(single_with("1.1e6"), std::vector<std::string>{rule + "1100000"});
  EXPECT_EQ(single_with("1e38"), std::vector<std::string>{rule + "1e+38"});

  std::array<float, 24> hours{};
  hours[5] = 100.0f;
  ReportedErrors errors;
  EXPECT_TRUE(hourly_percentages_valid(hours, "h.txt", errors.reporter()));
  hours[5] = 0.0f;
  EXPECT_FALSE(hourly_percentages_valid(hours, "h.txt", errors.reporter()));
  hours[5] = 100.5f;
  EXPECT_FALSE(hourly_percentages_valid(hours, "h.txt", errors.reporter()));
  hours[5] = 50.0f;
  hours[6] = -1.0f;
  EXPECT_FALSE(hourly_percentages_valid(hours, "h.txt", errors.reporter()));
  EXPECT_EQ(errors.messages,
            (std::vector<std::string>{
                "Data error: hourly traffic distribution file -- sum of the 24 hours (percent of daily traffic) must "
                "be above 0: 0",
                "Data error: hourly traffic distribution file -- hour 6 (percent of daily traffic) must be 0 to 100: "
                "100.5",
                "Data error: hourly traffic distribution file -- hour 7 (percent of daily traffic) must be 0 to 100: "
                "-1"}));
}

}  // namespace
}  // namespace jpcp::inputs
