#include "cracking/frame/section_quantities.h"

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

namespace jpcp::cracking {
namespace {

TEST(HumidityFactor, BreakpointsBelongToTheLowerBranch) {
  EXPECT_FLOAT_EQ(humidity_factor(10.0f), 1.1f);
  EXPECT_FLOAT_EQ(humidity_factor(30.0f), 1.1f);
  EXPECT_FLOAT_EQ(humidity_factor(30.5f), 1.4f - 0.305f);
  EXPECT_FLOAT_EQ(humidity_factor(80.0f), 0.6f);
  EXPECT_FLOAT_EQ(humidity_factor(90.0f), 0.3f);
}

TEST(MoistureWarping, DifferenceFollowsTheHumidityAroundItsMean) {
  inputs::GeneralInput general;
  general.field[5] = 10.0f;     // h, in
  general.field[12] = 5.5e-6f;  // alpha
  general.field[13] = 2.0f;     // hs, in
  general.field[14] = 650.0f;   // microstrain
  general.field[24] = -10.0f;   // built-in gradient
  std::array<float, 12> rh{};
  rh.fill(50.0f);
  rh[0] = 90.0f;  // one wet month
  const MoistureWarping w = moisture_warping_difference(general, rh);
  const float k = -(6.0f * 650.0f) * (0.5f * 2.0f) * (5.0f - 2.0f / 3.0f) / (5.5e-6f * 1.0e6f * 100.0f);
  const float mean = (0.3f + 11 * 0.9f) / 12.0f;
  EXPECT_NEAR(w.difference[0], k * (0.3f - mean), 1e-4f);
  EXPECT_NEAR(w.difference[5], k * (0.9f - mean), 1e-4f);
  EXPECT_NEAR(w.total_difference[5], w.difference[5] - 10.0f, 1e-5f);
  // Drier than average months curl the slab upwards (negative difference).
  EXPECT_LT(w.difference[5], 0.0f);
  EXPECT_EQ(w.maximum, w.difference[0]);
  EXPECT_EQ(w.minimum, w.difference[5]);
  const float sum = std::accumulate(w.difference.begin(), w.difference.end(), 0.0f);
  EXPECT_NEAR(sum, 0.0f, 1e-4f);
}

TEST(HourlyTrafficWeights, AverageHourIsOne) {
  std::array<float, 24> percent{};
  percent.fill(100.0f / 24.0f);
  percent[3] = 0.0f;
  const auto w = hourly_traffic_weights(percent);
  EXPECT_NEAR(w[0], 1.0f, 1e-6f);
  EXPECT_EQ(w[3], 0.0f);
}

TEST(TailTrimming, ThinTailIsCutAfterTheBinThatReachesTheThreshold) {
  // 25 bins: the mass sits low, a thin tail trails to the top.
  std::vector<float> f(25, 0.0f);
  f[0] = 0.5f;
  f[1] = 0.3f;
  f[2] = 0.1f;
  f[20] = 0.0005f;
  f[21] = 0.0002f;
  f[22] = 0.0001f;
  f[24] = 0.0002f;
  distribution_tail_trimming(f);
  // f(23) + f(24) = 0.0001 < 0.0003 clears f(25); walking down, the sum
  // reaches 0.001 first at f(3) (0.1), which is not thin: j = 3 + 2 = 5.
  std::vector<float> expected(25, 0.0f);
  expected[0] = 0.5f;
  expected[1] = 0.3f;
  expected[2] = 0.1f;
  expected[3] = 0.0f;
  EXPECT_EQ(f, expected);
}

TEST(TailTrimming, ThinBinWhereTheWalkStopsIsKeptAndTheRestCut) {
  std::vector<float> f(10, 0.0f);
  f[0] = 0.9f;
  f[6] = 0.0002f;  // f(7), thin
  f[7] = 0.0009f;  // f(8): walk stops here with t = 0.0009 + f(9) + f(10)
  f[8] = 0.0001f;
  f[9] = 0.0001f;
  distribution_tail_trimming(f);
  // f(8) + f(9) = 0.001 keeps f(10); t = 0.0001 + 0.0001 + 0.0009 = 0.0011 at i = 8,
  // f(8) = 0.0009 is not below 0.0003, so j = 10 = n: nothing more is cut.
  EXPECT_FLOAT_EQ(f[9], 0.0001f);
  EXPECT_FLOAT_EQ(f[8], 0.0001f);
  f[7] = 0.0002f;  // now the walk passes f(8) and stops at f(7)
  f[6] = 0.0008f;
  f[8] = 0.0002f;
  distribution_tail_trimming(f);
  // f(8) + f(9) = 0.0004 keeps f(10); t reaches 0.0013 at i = 7 (f(7) = 0.0008,
  // not thin): j = 9, f(9) and f(10) are cleared.
  EXPECT_FLOAT_EQ(f[7], 0.0002f);
  EXPECT_EQ(f[8], 0.0f);
  EXPECT_EQ(f[9], 0.0f);
}

TEST(TailTrimming, HeavyTopBinChangesNothing) {
  std::vector<float> f(25, 0.01f);
  f[24] = 0.002f;
  const std::vector<float> before = f;
  distribution_tail_trimming(f);
  EXPECT_EQ(f, before);
}

}  // namespace
}  // namespace jpcp::cracking
