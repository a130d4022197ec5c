#include "cracking/damage/damage_kernels.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace jpcp::cracking {
namespace {

const FatigueModel model{-2.0f, 1.0f, 0.4371f};  // C1 = 2, C2 = 1

TEST(InverseFatigueLife, WorkedValueAndTheFloor) {
  // v = -2 (2)^1 - 0.4371 = -4.4371: 10^v = 3.6551e-5.
  EXPECT_NEAR(inverse_fatigue_life(model, 600.0f, 300.0f), 3.6551e-5f, 0.0002e-5f);
  EXPECT_EQ(inverse_fatigue_life(model, 600.0f, 50.0f), 1.0e-24f);  // v = -24.44
  EXPECT_EQ(inverse_fatigue_life(model, 600.0f, 0.0f), 1.0e-24f);   // infinite ratio
  EXPECT_EQ(inverse_fatigue_life(model, 600.0f, -20.0f), 1.0e-24f);  // compression: no fatigue
  // Exactly at v = -24 the floor holds: C1 (MR / s) = 23.5629.
  const FatigueModel linear{-1.0f, 1.0f, 0.4371f};
  EXPECT_EQ(inverse_fatigue_life(linear, 23.5629f, 1.0f), 1.0e-24f);
  EXPECT_GT(inverse_fatigue_life(linear, 23.0f, 1.0f), 1.0e-24f);
}

TEST(WanderLogDamage, LayoutsAAndBAgreeOnATransposedBlock) {
  // 6 positions x 5 x 5, layout A S(p, i, j), layout B S(p, j, i).
  std::vector<float> a(150), b(150);
  for (size_t p = 0; p < 6; ++p) {
    for (size_t i = 0; i < 5; ++i) {
      for (size_t j = 0; j < 5; ++j) {
        const float s = 200.0f + 20.0f * static_cast<float>(i) + 7.0f * static_cast<float>(j) - 5.0f * static_cast<float>(p);
        a[p + 6 * (i + 5 * j)] = s;
        b[p + 6 * (j + 5 * i)] = s;
      }
    }
  }
  const std::vector<float> w = {0.1f, 0.2f, 0.3f, 0.2f, 0.1f, 0.05f};
  std::vector<float> La(25), Lb(25);
  wander_log_damage(a, StressLayout::a, 650.0f, w, 5, 5, model, La);
  wander_log_damage(b, StressLayout::b, 650.0f, w, 5, 5, model, Lb);
  EXPECT_EQ(La, Lb);
  // One entry by hand.
  double sum = 0.0;
  for (size_t p = 0; p < 6; ++p) sum += w[p] * inverse_fatigue_life(model, 650.0f, a[p + 6 * (2 + 5 * 3)]);
  EXPECT_NEAR(La[2 + 5 * 3], std::log(sum), 1e-5);
}

TEST(GradientLogDamage, WeightedMeanOfTheInterpolatedDamageAndItsUnderflow) {
  const std::vector<float> g = {0.0f, 5.0f, 10.0f, 15.0f, 20.0f};
  // Log damage linear in the gradient: the spline reproduces it.
  std::vector<float> L(5);
  for (size_t a = 0; a < 5; ++a) L[a] = -20.0f + 0.5f * g[a];
  const std::vector<float> x = {2.0f, 12.0f};
  const std::vector<float> f = {0.25f, 0.5f};
  const double expected = std::log(std::exp(-19.0) * 0.25 + std::exp(-14.0) * 0.5);
  EXPECT_NEAR(gradient_log_damage(L, g, x, f), expected, 1e-4);
  // Repeated bin gradients (the first-year clamps) are fine.
  const std::vector<float> same = {5.0f, 5.0f};
  EXPECT_NEAR(gradient_log_damage(L, g, same, f), std::log(std::exp(-17.5) * 0.75), 1e-4);
  // Below 1.0E-24 the result is -55, not the logarithm.
  std::vector<float> tiny(5, -60.0f);
  EXPECT_EQ(gradient_log_damage(tiny, g, x, f), -55.0f);
}

TEST(SpectrumDamage, CutsBinsBelowMinus50AndSumsTheRest) {
  const std::vector<float> lnP = {std::log(8500.0f), std::log(18000.0f), std::log(24500.0f), std::log(32500.0f),
                                  std::log(40500.0f)};
  // Log damage rising linearly with the log load.
  std::vector<float> G(5);
  for (size_t c = 0; c < 5; ++c) G[c] = -60.0f + 10.0f * (lnP[c] - lnP[0]);
  const std::vector<float> lnL = {std::log(8500.0f), std::log(30000.0f), std::log(40500.0f)};
  const std::vector<float> N = {1.0e9f, 100.0f, 10.0f};
  std::vector<float> by_bin(3);
  spectrum_damage_by_bin(G, lnP, lnL, N, by_bin);
  EXPECT_EQ(by_bin[0], 0.0f);  // -60: ignored despite a billion axles
  const double v1 = -60.0 + 10.0 * (std::log(30000.0) - std::log(8500.0));
  const double v2 = -60.0 + 10.0 * (std::log(40500.0) - std::log(8500.0));
  ASSERT_GT(v1, -50.0);
  EXPECT_NEAR(by_bin[1], std::exp(v1) * 100.0, std::exp(v1) * 100.0 * 1e-3);
  EXPECT_NEAR(by_bin[2], std::exp(v2) * 10.0, std::exp(v2) * 10.0 * 1e-3);
  EXPECT_FLOAT_EQ(spectrum_damage(G, lnP, lnL, N), by_bin[0] + by_bin[1] + by_bin[2]);
}

TEST(RadiusOfRelativeStiffnessHeld, WithinTwentyTwoAndAHalfToEightyInches) {
  EXPECT_EQ(radius_of_relative_stiffness(4.0e6f, 6.0f, 1000.0f, 0.15f), 22.5f);
  EXPECT_EQ(radius_of_relative_stiffness(6.0e6f, 20.0f, 10.0f, 0.15f), 80.0f);
  const float l = radius_of_relative_stiffness(4.0e6f, 10.0f, 100.0f, 0.15f);
  EXPECT_NEAR(l, std::pow(4.0e9f / (12.0f * 0.9775f * 100.0f), 0.25f), 1e-3f);
}

}  // namespace
}  // namespace jpcp::cracking
