#include "cracking/temperature/gradient_distribution.h"

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

namespace jpcp::cracking {
namespace {

// Levels 0, 2, ..., and a stress table that is linear in the level, so the
// spline through it is that line.
struct Month {
  explicit Month(size_t L) : levels(L), S(L), F(L, 0.0f) {
    for (size_t j = 0; j < L; ++j) {
      levels[j] = 2.0f * static_cast<float>(j);
      S[j] = 50.0f + 10.0f * levels[j];
    }
    weights.fill(1.0f);
  }
  void add(float g, float nonlinear = 0.0f, int32_t hour = 1) {
    hours.push_back({g, static_cast<int32_t>(nonlinear_stress.size()), hour});
    nonlinear_stress.push_back(nonlinear);
  }
  void run(int32_t total_hours) {
    hourly_gradient_distribution(F, S, hours, nonlinear_stress, total_hours, weights, levels);
  }
  std::vector<float> levels, S, F, nonlinear_stress;
  std::vector<ClassifiedHour> hours;
  std::array<float, 24> weights{};
};

TEST(GradientDistribution, HourOnALevelGivesThatLevelItsWholeWeight) {
  Month month(25);
  month.weights[4] = 1.5f;
  month.add(6.0f, 0.0f, 5);  // level 4 (0-based 3), hour of day 4
  month.run(3);
  std::vector<float> expected(25, 0.0f);
  expected[3] = 1.5f / 3.0f;
  for (size_t j = 0; j < 25; ++j) EXPECT_NEAR(month.F[j], expected[j], 1e-6f) << j;
}

TEST(GradientDistribution, WeightIsSharedLinearlyBetweenTheLevelsAroundTheTotalStress) {
  Month month(25);
  month.add(-7.0f);              // night-time sign is dropped: |g| = 7, between levels 6 and 8
  month.add(3.0f, 10.0f);        // 3 deg F plus 10 psi of nonlinear stress acts like 4 deg F
  month.run(2);
  EXPECT_NEAR(month.F[3], 0.5f / 2.0f, 1e-5f);
  EXPECT_NEAR(month.F[4], 0.5f / 2.0f, 1e-5f);
  EXPECT_NEAR(month.F[2], 1.0f / 2.0f, 1e-5f);
}

TEST(GradientDistribution, StressAtOrBelowTheFirstLevelAddsNothing) {
  Month month(25);
  month.add(0.0f);           // stress equals S(1)
  month.add(4.0f, -100.0f);  // nonlinear relief below S(1)
  month.run(2);
  EXPECT_EQ(std::accumulate(month.F.begin(), month.F.end(), 0.0f), 0.0f);
}

TEST(GradientDistribution, StressBeyondTheNextToLastLevelGoesToTheLastLevel) {
  Month month(25);
  month.add(47.0f);        // between S(24) and S(25)
  month.add(60.0f);        // capped at 48
  month.add(10.0f, 900.0f);  // far above the table
  month.run(3);
  EXPECT_NEAR(month.F[24], 1.0f, 1e-6f);
  EXPECT_NEAR(std::accumulate(month.F.begin(), month.F.end(), 0.0f), 1.0f, 1e-6f);

  Month night(42);
  night.add(-90.0f);  // capped at 82 in magnitude
  night.run(1);
  EXPECT_NEAR(night.F[41], 1.0f, 1e-6f);
}

TEST(GradientDistribution, MonthWithoutHoursStaysZero) {
  Month month(25);
  month.run(0);
  for (float f : month.F) EXPECT_EQ(f, 0.0f);
  Month no_class(25);
  no_class.run(100);
  for (float f : no_class.F) EXPECT_EQ(f, 0.0f);
}

}  // namespace
}  // namespace jpcp::cracking
