#include "cracking/stress/stress_tables.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "common/platform/paths.h"
#include "tests/common/nn/model_test_support.h"
#include "tests/support/section_folder.h"
#include "tests/support/test_models.h"

namespace jpcp::cracking {
namespace {

using jpcp::testing::TempFolder;
using jpcp::testing::TestModelValues;

TEST(JointSpacingRows, ClassesOfTheTopDownModelSets) {
  auto rows = [](float L) {
    const JointSpacingRows r = joint_spacing_rows(L);
    return r.count == 1 ? std::vector<int>{r.row[0]} : std::vector<int>{r.row[0], r.row[1]};
  };
  EXPECT_EQ(rows(10.0f), std::vector<int>{0});
  EXPECT_EQ(rows(12.4f), std::vector<int>{0});  // 13.4 rounds to 13
  EXPECT_EQ(rows(12.5f), std::vector<int>{1});  // 13.5 rounds to 14
  EXPECT_EQ(rows(13.0f), std::vector<int>{1});  // 13 ft slabs take the 14 ft class
  EXPECT_EQ(rows(15.0f), std::vector<int>{2});
  EXPECT_EQ(rows(16.0f), std::vector<int>{3});
  EXPECT_EQ(rows(17.0f), (std::vector<int>{3, 4}));
  EXPECT_EQ(rows(18.0f), std::vector<int>{4});
  EXPECT_EQ(rows(19.0f), (std::vector<int>{4, 5}));
  EXPECT_EQ(rows(25.0f), std::vector<int>{5});
}

class StressTables : public ::testing::Test {
 protected:
  StressTables() : folder_("nn") {
    jpcp::testing::write_test_models(folder_.path(), values_);
    const inputs::ReportError ignore = [](std::string_view) {};
    EXPECT_TRUE(inputs::read_nn_info(platform::folder_text(folder_.str()), ignore, names_));
    inputs_.hpcc = 10.0f;
    inputs_.unit_weight = 150.0f / 1728.0f;
    inputs_.alpha = 5.5e-6f;
    inputs_.mu = 0.15f;
    inputs_.joint_spacing = 15.0f;
    inputs_.f8 = 12.0f;
    inputs_.f31 = 120.0f;
    inputs_.f33 = 12.0f;
    inputs_.f34 = 4.0f;
    for (size_t m = 0; m < 12; ++m) {
      slab_.heff[m] = 10.0f + 0.1f * static_cast<float>(m);
      slab_.k[m] = 100.0f + 10.0f * static_cast<float>(m);
      slab_.radius[m] = 40.0f - static_cast<float>(m);
      slab_.unit_weight[m] = inputs_.unit_weight * inputs_.hpcc / slab_.heff[m];
    }
  }
  float phi(size_t m, float level) const {
    return curling_parameter(inputs_, slab_.radius[m], slab_.k[m], slab_.heff[m], slab_.unit_weight[m], level);
  }

  TempFolder folder_;
  TestModelValues values_;
  inputs::ModelNameTable names_;
  StressModelInputs inputs_;
  MonthlySlab slab_;
};

TEST_F(StressTables, DaytimeTableCombinesCurlAndLoadResponses) {
  inputs::Table2D<float> table(daytime_level_count, 12);
  std::array<float, daytime_level_count> levels{};
  daytime_stress_table(names_, inputs_, slab_, table, levels);
  EXPECT_EQ(levels[0], 0.0f);
  EXPECT_EQ(levels[24], 48.0f);
  for (size_t m : {size_t{0}, size_t{7}}) {
    // The reference slab of the same radius and the weight scale.
    const float r4 = std::pow(slab_.radius[m], 4.0f);
    const float href = std::cbrt(r4 * 0.9775f * 12.0f * 100.0f / 4.0e6f);
    const float f = slab_.unit_weight[m] * href / slab_.heff[m] / 0.087f;
    const float ratio = href / slab_.heff[m];
    // Model 3 is constant: the load-transfer ratio is 1 and B its scaled sum.
    const float B = 2.0f * values_.edge_value * (inputs_.f31 / 100.0f) * ratio * ratio;
    for (size_t j : {size_t{0}, size_t{5}, size_t{24}}) {
      const float expected = B + f * values_.curl_slope * phi(m, levels[j]);
      EXPECT_NEAR(table(j, m), expected, 1e-3f * std::fabs(expected)) << "level " << j << " month " << m;
    }
  }
}

TEST_F(StressTables, NighttimeTableFromTheSetOfTheJointSpacingClass) {
  inputs::Table2D<float> table(nighttime_level_count, 12);
  std::array<float, nighttime_level_count> levels{};
  int reports = 0;
  nighttime_stress_table(names_, inputs_, slab_, table, levels, [&](float progress) {
    ++reports;
    EXPECT_EQ(progress, 0.0f);
  });
  EXPECT_EQ(levels[41], 82.0f);
  EXPECT_EQ(reports, 3);  // one model read, three passes
  for (size_t m : {size_t{0}, size_t{11}}) {
    const float scale = 10.0f * inputs_.hpcc * inputs_.hpcc * inputs_.unit_weight / 0.087f /
                        (slab_.heff[m] * slab_.heff[m] * slab_.heff[m]);
    for (size_t i : {size_t{0}, size_t{20}, size_t{41}}) {
      const float x3 = std::min(phi(m, levels[i]), 50.0f);
      const float expected = scale * (values_.top_slope * x3 + values_.top_value);
      EXPECT_NEAR(table(i, m), expected, 1e-3f * std::fabs(expected)) << "level " << i << " month " << m;
    }
  }
}

TEST_F(StressTables, TwoJointSpacingClassesAreAveraged) {
  // Give the 18 ft set's third model another constant, so the mean shows.
  const auto other = nn::testing::linear_model(3, 3, std::vector<std::vector<float>>(6, {-500.0f, 500.0f}),
                                               [](const std::vector<float>&) { return 80.0; });
  jpcp::testing::write_file(folder_.path() / "top18d3.ttt", nn::testing::model_text(other));
  inputs_.joint_spacing = 17.0f;
  inputs::Table2D<float> table(nighttime_level_count, 12);
  std::array<float, nighttime_level_count> levels{};
  nighttime_stress_table(names_, inputs_, slab_, table, levels, [](float) {});
  const size_t m = 2;
  const size_t i = 10;
  const float x3 = std::min(phi(m, levels[i]), 50.0f);
  const float scale = 5.0f * inputs_.hpcc * inputs_.hpcc * inputs_.unit_weight / 0.087f /
                      (slab_.heff[m] * slab_.heff[m] * slab_.heff[m]);
  const float expected = scale * ((values_.top_slope * x3 + values_.top_value) + 80.0f);
  EXPECT_NEAR(table(i, m), expected, 1e-3f * expected);
}

}  // namespace
}  // namespace jpcp::cracking
