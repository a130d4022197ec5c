#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "cracking/temperature/linear_gradient.h"
#include "cracking/temperature/nonlinear_stress.h"

namespace jpcp::cracking {
namespace {

inputs::HourlyRecord profile(float top, float bottom, int32_t month = 1, int32_t hour = 0) {
  inputs::HourlyRecord r;
  for (size_t j = 0; j < 11; ++j) r.temperature[j] = top + (bottom - top) * static_cast<float>(j) / 10.0f;
  r.month = month;
  r.hour = hour;
  return r;
}

std::array<float, 12> all(float v) {
  std::array<float, 12> a{};
  a.fill(v);
  return a;
}

const ConcreteProperties pcc{4.0e6f, 0.15f, 5.5e-6f};

TEST(ProfileMoments, UniformProfileHasNoMomentAndNoMeanDifference) {
  const std::vector<inputs::HourlyRecord> records = {profile(70.0f, 70.0f)};
  std::vector<float> qq, tempC;
  profile_moments_unbonded(records, 10.0f, qq, tempC);
  EXPECT_NEAR(qq[0], 0.0f, 1e-3f);
  EXPECT_NEAR(tempC[0], 0.0f, 1e-5f);
  // Bonded moments are measured from the bottom temperature: none either.
  profile_moments_bonded(records, 6.0f, all(6.5f), all(0.01f), 10.0f, qq, tempC);
  EXPECT_NEAR(qq[0], 0.0f, 2e-3f);
  EXPECT_NEAR(tempC[0], 0.0f, 1e-5f);
}

TEST(ProfileMoments, LinearProfileGivesItsTopMinusBottomDifference) {
  const std::vector<inputs::HourlyRecord> records = {profile(80.0f, 70.0f), profile(65.0f, 71.0f)};
  std::vector<float> qq, tempC;
  profile_moments_unbonded(records, 10.0f, qq, tempC);
  EXPECT_NEAR(linear_gradient(qq[0], 10.0f), 10.0f, 1e-4f);
  EXPECT_NEAR(linear_gradient(qq[1], 10.0f), -6.0f, 1e-4f);
  EXPECT_NEAR(tempC[0], 5.0f, 1e-5f);
  // The equivalent slab, not the concrete thickness, is in the denominator.
  EXPECT_NEAR(linear_gradient(qq[0], 12.0f), 10.0f * 100.0f / 144.0f, 1e-4f);
}

TEST(NonlinearStress, LinearProfilesCarryNoNonlinearStress) {
  const std::vector<inputs::HourlyRecord> records = {profile(80.0f, 70.0f), profile(60.0f, 75.0f, 2)};
  std::vector<float> qq, tempC;
  profile_moments_unbonded(records, 10.0f, qq, tempC);
  NonlinearStresses out;
  nonlinear_stress_unbonded(records, qq, tempC, 10.0f, all(10.0f), pcc, out);
  for (size_t r = 0; r < 2; ++r) {
    EXPECT_NEAR(out.strNLbot[r], 0.0f, 0.05f) << r;
    EXPECT_NEAR(out.strNLtop[r], 0.0f, 0.05f) << r;
  }
  EXPECT_NEAR(out.top_stress_shift, 0.0f, 0.05f);
  EXPECT_NEAR(out.dtlin[1], -15.0f, 1e-4f);
}

// A profile hotter at the top than its straight line: a convex bump of
// `bump` deg F at the surface only.
inputs::HourlyRecord bumped(float bump) {
  inputs::HourlyRecord r = profile(70.0f, 70.0f);
  r.temperature[0] += bump;
  return r;
}

TEST(NonlinearStress, TopStressIsCappedAndShifted) {
  // A cold surface (negative bump) puts the top in tension; a large one
  // exceeds the cap.
  const std::vector<inputs::HourlyRecord> records = {bumped(-200.0f), bumped(-1.0f), bumped(3.0f)};
  std::vector<float> qq, tempC;
  profile_moments_unbonded(records, 10.0f, qq, tempC);
  NonlinearStresses out;
  nonlinear_stress_unbonded(records, qq, tempC, 10.0f, all(10.0f), pcc, out);
  EXPECT_FLOAT_EQ(out.top_stress_shift, 100.0f);  // 0.4 x the capped 250 psi
  EXPECT_FLOAT_EQ(out.strNLtop[0], 150.0f);
  EXPECT_LT(out.strNLtop[2], out.strNLtop[1]);

  // All top stresses negative: the shift is negative and raises them.
  const std::vector<inputs::HourlyRecord> warm = {bumped(2.0f), bumped(4.0f)};
  profile_moments_unbonded(warm, 10.0f, qq, tempC);
  NonlinearStresses raised;
  nonlinear_stress_unbonded(warm, qq, tempC, 10.0f, all(10.0f), pcc, raised);
  EXPECT_LT(raised.top_stress_shift, 0.0f);
  NonlinearStresses unshifted = raised;
  for (float& s : unshifted.strNLtop) s += raised.top_stress_shift;
  EXPECT_NEAR(raised.top_stress_shift, 0.4f * unshifted.strNLtop[0], 1e-3f);
}

TEST(NonlinearStress, BondedLinearPartIsReducedByTenPercentButNotDtlin) {
  const std::vector<inputs::HourlyRecord> records = {profile(80.0f, 70.0f)};
  std::vector<float> qq, tempC;
  const float hpcc = 10.0f;
  profile_moments_bonded(records, 0.0f, all(5.0f), all(0.0f), hpcc, qq, tempC);
  NonlinearStresses out;
  nonlinear_stress_bonded(records, all(5.0f), qq, tempC, hpcc, all(hpcc), pcc, out);
  EXPECT_NEAR(out.dtlin[0], 10.0f, 1e-4f);
  // Bottom: temp_lin = -(10/10)(10 - 5) 0.9 = -4.5, tempC = 5 -> -0.5 deg F.
  const float k = pcc.e * pcc.alpha / (1.0f - pcc.mu);
  EXPECT_NEAR(out.strNLbot[0], 0.5f * k, 0.05f);
}

TEST(DayNightClassification, SignOfGradientPlusCurlSplitsTheHours) {
  std::vector<inputs::HourlyRecord> records = {profile(70.0f, 70.0f, 1, 0), profile(75.0f, 70.0f, 1, 13),
                                               profile(70.0f, 75.0f, 3, 5), profile(70.0f, 70.0f, 2, 23)};
  const std::vector<float> dtlin = {0.0f, 5.0f, -5.0f, 0.0f};
  std::array<float, 12> curl = all(0.0f);
  curl[1] = 2.0f;  // February curls upwards: its uniform hour is daytime
  MonthlyHours hours;
  ASSERT_TRUE(classify_hours(records, dtlin, curl, hours));
  ASSERT_EQ(hours.nighttime[0].size(), 1u);  // exactly zero is night-time
  EXPECT_EQ(hours.nighttime[0][0].hour, 1);
  ASSERT_EQ(hours.daytime[0].size(), 1u);
  EXPECT_EQ(hours.daytime[0][0].record, 1);
  EXPECT_EQ(hours.daytime[0][0].hour, 14);
  EXPECT_EQ(hours.total[0], 2);
  ASSERT_EQ(hours.daytime[1].size(), 1u);
  EXPECT_FLOAT_EQ(hours.daytime[1][0].gradient, 2.0f);
  ASSERT_EQ(hours.nighttime[2].size(), 1u);
  EXPECT_FLOAT_EQ(hours.nighttime[2][0].gradient, -5.0f);
}

TEST(DayNightClassification, RejectsMoreHoursOfOneClassThanTheTablesHold) {
  std::vector<inputs::HourlyRecord> records(max_class_hours_per_month + 1, profile(70.0f, 70.0f));
  std::vector<float> dtlin(records.size(), -1.0f);
  MonthlyHours hours;
  EXPECT_FALSE(classify_hours(records, dtlin, all(0.0f), hours));
  records.pop_back();
  dtlin.pop_back();
  MonthlyHours fits;
  EXPECT_TRUE(classify_hours(records, dtlin, all(0.0f), fits));
}

}  // namespace
}  // namespace jpcp::cracking
