// The design traffic summaries: ESALs.txt and Traff.csv.
#include "cracking/results/traffic_summaries.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "common/text/lines.h"
#include "tests/common/inputs/input_test_support.h"

namespace jpcp::cracking {
namespace {

using inputs::AxleTraffic;
using inputs::single_axle;
using inputs::tandem_axle;
using inputs::tridem_axle;
using inputs::testing::ReportedErrors;
using inputs::testing::TempFolder;

TEST(TrafficSummaries, DesignTrafficAndClassTotals) {
  TempFolder folder;
  // Single class 37 (factor 24), tandem class 1 (factor 0.0003) and tridem
  // class 31 (factor 30.025) carry traffic, as the axle files' totals give.
  AxleTraffic traffic;
  traffic.class_totals[single_axle][36] = 120000.0f;
  traffic.class_totals[tandem_axle][0] = 6000.0f;
  traffic.class_totals[tridem_axle][30] = 24.0f;
  traffic.esal_sum = 120000.0f * 24.0f + 6000.0f * 0.0003f + 24.0f * 30.025f;

  write_traffic_summaries(traffic, folder.folder());
  // 2 880 722.4 ESALs x 30.4167 / 1e6 = 87.622
  EXPECT_EQ(folder.read("ESALs.txt"), "Design traffic = 87.62 million ESALs\n");

  const std::vector<std::string> rows = text::split_lines(folder.read("Traff.csv"));
  ASSERT_EQ(rows.size(), 40u);
  EXPECT_EQ(rows[0], " Single,Tandem,Tridem");
  auto values = [&](size_t k) {
    std::vector<float> numbers;
    std::stringstream row(rows[k]);
    std::string item;
    while (std::getline(row, item, ',')) numbers.push_back(std::stof(item));
    return numbers;
  };
  EXPECT_EQ(values(1), (std::vector<float>{0, 6000, 0, 0.00015f, 0.0003f, 0.001f}));
  EXPECT_EQ(values(31), (std::vector<float>{0, 0, 24, 12.2f, 27.5f, 30.025f}));
  EXPECT_EQ(values(37), (std::vector<float>{120000, 0, 0, 24, 54.75f, 0}));
  EXPECT_EQ(values(39), (std::vector<float>{0, 0, 0, 29.425f, 67.7f, 0}));
  EXPECT_EQ(rows[37], "  120000.0, 0.000000, 0.000000, 24.00000, 54.75000, 0.000000");
}

TEST(TrafficSummaries, DesignTrafficMustFitItsField) {
  AxleTraffic traffic;
  ReportedErrors errors;
  traffic.esal_sum = 999.99f * 1.0e6f / 30.4167f;
  EXPECT_TRUE(traffic_summaries_fit(traffic, errors.reporter()));
  traffic.esal_sum = 1000.0f * 1.0e6f / 30.4167f;
  EXPECT_FALSE(traffic_summaries_fit(traffic, errors.reporter()));
  EXPECT_EQ(errors.messages.size(), 1u);
}

}  // namespace
}  // namespace jpcp::cracking
