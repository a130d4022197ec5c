#include "cracking/damage/load_stresses.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>

#include "common/platform/paths.h"
#include "cracking/damage/damage_grids.h"
#include "tests/common/nn/model_test_support.h"
#include "tests/support/section_folder.h"
#include "tests/support/test_models.h"

namespace jpcp::cracking {
namespace {

using jpcp::testing::TempFolder;

class LoadStresses : public ::testing::Test {
 protected:
  LoadStresses() : folder_("nn") {
    jpcp::testing::write_test_models(folder_.path(), values_);
    load_names();
    in_.joint_spacing = 15.0f;
    in_.alpha = 5.5e-6f;
    in_.mu = 0.15f;
    in_.w_f8 = 12.0f;
    in_.f26 = 1.0f;
    in_.f31 = 120.0f;
    in_.f32 = 6.0f;
    in_.f33 = 12.0f;
    in_.f34 = 4.0f;
    in_.hpcc = 10.0f;
    in_.pcc_unit_weight = 150.0f / 1728.0f;
    in_.axle_spacing = {12.0f, 14.5f, 20.0f};
    for (size_t j = 0; j < 24; ++j) {
      slab_.heff.push_back(10.0f + 0.05f * static_cast<float>(j));
      slab_.k.push_back(150.0f);
      slab_.radius.push_back(30.0f + 0.5f * static_cast<float>(j));
      slab_.unit_weight.push_back(in_.pcc_unit_weight * 10.0f / slab_.heff.back());
    }
  }
  void load_names() {
    const inputs::ReportError ignore = [](std::string_view) {};
    ASSERT_TRUE(inputs::read_nn_info(platform::folder_text(folder_.str()), ignore, names_));
  }
  float phi(size_t j, float dt) const {
    return 2.0f * in_.alpha * (1.0f + in_.mu) * slab_.radius[j] * slab_.radius[j] * slab_.k[j] * dt /
           (slab_.heff[j] * slab_.heff[j] * slab_.unit_weight[j]);
  }

  TempFolder folder_;
  jpcp::testing::TestModelValues values_;
  inputs::ModelNameTable names_;
  LoadStressInputs in_;
  MonthlySlabSeries slab_;
  const std::array<float, gradient_nodes> nodes_ = {0.0f, 5.0f, 10.0f, 15.0f, 20.0f};
};

TEST_F(LoadStresses, BottomUpChainsWithEqualLoadTransferTerms) {
  std::array<StressGrid, bottom_up_chain_count> bottom;
  float progress = 1.5f;
  std::vector<float> reported;
  bottom_up_stresses(names_, in_, slab_, nodes_, bottom_up_wander.position, progress,
                     [&](float value) { reported.push_back(value); }, bottom);
  EXPECT_EQ(reported, (std::vector<float>{16.5f, 31.5f, 32.5f, 34.3f}));
  EXPECT_FLOAT_EQ(progress, 34.3f);

  // Model 1 is curl_slope x4 + load_slope x5, so D = B = q curl_slope phi;
  // models 3 and 4 are constant, so R = 1 and sigma = B + am.
  const float ev = values_.edge_value;
  const float s = in_.f31 / 100.0f;
  for (size_t j : {size_t{0}, size_t{17}}) {
    const float href = reference_thickness(slab_.radius[j]);
    const float q = slab_.unit_weight[j] * href / (0.087f * slab_.heff[j]);
    const float g2 = (href / slab_.heff[j]) * (href / slab_.heff[j]);
    for (size_t c : {size_t{0}, size_t{4}}) {
      const float Q = tandem_nn_loads[c];
      const std::array<float, 3> am = {g2 * (s * 2.0f * ev), g2 * (s * 2.0f * ev + 4.0f * ev * Q / 39200.0f),
                                       g2 * (s * 2.0f * ev + 8.0f * ev * Q / 39200.0f)};
      for (size_t chain = 0; chain < 3; ++chain) {
        for (size_t a : {size_t{0}, size_t{3}}) {
          const float expected = q * values_.curl_slope * phi(j, nodes_[a]) + am[chain];
          EXPECT_NEAR(bottom[chain](2, a, c, j), expected, 1e-3f * std::fabs(expected))
              << "chain " << chain << " month " << j << " load " << c << " node " << a;
        }
      }
    }
  }
}

TEST_F(LoadStresses, LoadTransferRatioScalesTheLoadPart) {
  // Model 4 equal to its fourth input: w_f8 with load transfer, 0.1 without.
  const auto m4 = nn::testing::linear_model(2, 2, std::vector<std::vector<float>>(4, {-500.0f, 500.0f}),
                                            [](const std::vector<float>& x) { return static_cast<double>(x[3]); });
  jpcp::testing::write_file(folder_.path() / "edge22b.ttt", nn::testing::model_text(m4));
  jpcp::testing::write_file(folder_.path() / "NNinfo.txt", "bottom1.ttt\nbottom2.ttt\nedge32.ttt\nedge22b.ttt\n");
  load_names();
  std::array<StressGrid, bottom_up_chain_count> bottom;
  float progress = 0.0f;
  bottom_up_stresses(names_, in_, slab_, nodes_, bottom_up_wander.position, progress, [](float) {}, bottom);
  const size_t j = 5, c = 2, a = 4, p = 0;
  const float href = reference_thickness(slab_.radius[j]);
  const float g2 = (href / slab_.heff[j]) * (href / slab_.heff[j]);
  const float s = in_.f31 / 100.0f;
  const float Q = tandem_nn_loads[c];
  const float At = s * 2.0f * values_.edge_value + 4.0f * in_.w_f8 * Q / 39200.0f;
  const float A0 = s * 2.0f * values_.edge_value + 4.0f * 0.1f * Q / 39200.0f;
  const float q = slab_.unit_weight[j] * href / (0.087f * slab_.heff[j]);
  const float B = q * values_.curl_slope * phi(j, nodes_[a]);
  const float expected = B + (At / A0) * (g2 * A0);  // D - B = 0
  EXPECT_NEAR(bottom[tandem_chain](p, a, c, j), expected, 1e-3f * expected);
  // The single chain has no model-4 term: R = 1.
  const float single = B + g2 * s * 2.0f * values_.edge_value;
  EXPECT_NEAR(bottom[single_chain](p, a, c, j), single, 1e-3f * single);
}

TEST_F(LoadStresses, TopDownStressesOfTheJointSpacingSetWithTheNonlinearStressAdded) {
  std::array<StressGrid, wheelbase_class_count> top;
  float progress = 34.3f;
  int reports = 0;
  top_down_stresses(names_, in_, slab_, nodes_, top_down_wander.position, 12.5f, progress,
                    [&](float) { ++reports; }, top);
  EXPECT_NEAR(progress, 34.3f + 65.0f, 1e-3f);
  EXPECT_GT(reports, 0);
  for (size_t j : {size_t{0}, size_t{23}}) {
    const float factor = 10.0f * in_.hpcc * in_.hpcc * in_.pcc_unit_weight /
                         (0.087f * slab_.heff[j] * slab_.heff[j] * slab_.heff[j]);
    for (size_t b = 0; b < gradient_nodes; ++b) {
      const float x3 = std::min(phi(j, nodes_[b]), 50.0f);
      const float expected = factor * (values_.top_slope * x3 + values_.top_value) + 12.5f;
      for (size_t w = 0; w < wheelbase_class_count; ++w) {
        EXPECT_NEAR(top[w](3, 1, b, j), expected, 1e-3f * expected) << "class " << w << " node " << b;
      }
    }
  }
}

TEST(WanderWeights, FoldedNormalDensityTimesTheQuadratureWeight) {
  const auto w = wander_weights(bottom_up_wander, 18.0f, 10.0f);
  for (size_t p = 0; p < lateral_positions; ++p) {
    const double x = bottom_up_wander.position[p];
    const double density = (std::exp(-0.5 * std::pow((18.0 + x) / 10.0, 2)) +
                            std::exp(-0.5 * std::pow((x - 18.0) / 10.0, 2))) / (10.0 * std::sqrt(2.0 * std::numbers::pi));
    EXPECT_NEAR(w[p], bottom_up_wander.weight[p] * density, 1e-6) << p;
  }
  // With the mean on the edge the two terms are equal: the density doubles.
  const auto edge = wander_weights(top_down_wander, 0.0f, 10.0f);
  const double x = top_down_wander.position[0];
  EXPECT_NEAR(edge[0], top_down_wander.weight[0] * 2.0 * std::exp(-0.5 * x * x / 100.0) / (10.0 * 2.5066283),
              1e-6);
  // The grids: four Gauss points on 0..8 (0..24) and two beyond.
  EXPECT_NEAR(bottom_up_wander.position[0], 8.0f * 0.0694318f, 1e-6f);
  EXPECT_NEAR(bottom_up_wander.weight[1], 4.0f * 0.6521451f, 1e-6f);
  EXPECT_EQ(bottom_up_wander.position[5], 17.464102f);
  EXPECT_NEAR(top_down_wander.weight[3], 12.0f * 0.3478549f, 1e-6f);
  EXPECT_EQ(top_down_wander.weight[4], 8.0f);
}

TEST(HighestBin, ThresholdOverTheTwelveMonths) {
  inputs::Table2D<float> table(100, 12);
  EXPECT_EQ(highest_bin(table, 25), 1);  // nothing anywhere
  table(9, 3) = 0.0003f;                 // bin 10 in one month only
  table(15, 7) = 0.00029f;               // bin 16, too thin
  EXPECT_EQ(highest_bin(table, 25), 10);
  EXPECT_EQ(highest_bin(table, 8), 1);
}

}  // namespace
}  // namespace jpcp::cracking
