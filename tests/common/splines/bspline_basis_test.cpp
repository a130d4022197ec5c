#include "common/splines/bspline_basis.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

namespace jpcp::splines {
namespace {

// Textbook recursive definition of B(i, k, t)(x) in double precision, with
// the right end x = t(n+1) taken from the left so that the last B-spline is 1
// there (the convention of the evaluators).
double naive_bspline(const std::vector<float>& t, int i, int k, double x, int n) {
  if (k == 1) {
    const double a = t[static_cast<size_t>(i)];
    const double b = t[static_cast<size_t>(i + 1)];
    if (a <= x && x < b) return 1.0;
    // Right end of the domain belongs to the last non-empty interval.
    const double end = t[static_cast<size_t>(n)];
    return x == end && b == end && a < b ? 1.0 : 0.0;
  }
  double value = 0.0;
  const double left_width = static_cast<double>(t[static_cast<size_t>(i + k - 1)]) - t[static_cast<size_t>(i)];
  const double right_width = static_cast<double>(t[static_cast<size_t>(i + k)]) - t[static_cast<size_t>(i + 1)];
  if (left_width > 0) value += (x - t[static_cast<size_t>(i)]) / left_width * naive_bspline(t, i, k - 1, x, n);
  if (right_width > 0) {
    value += (t[static_cast<size_t>(i + k)] - x) / right_width * naive_bspline(t, i + 1, k - 1, x, n);
  }
  return value;
}

// Knots of order k with n coefficients: k-fold ends and an interior knot
// repeated twice, to exercise uneven and repeated knots.
std::vector<float> test_knots(int k) {
  std::vector<float> t(static_cast<size_t>(k), 0.0f);
  for (float v : {0.5f, 1.25f, 1.25f, 2.0f, 3.5f}) t.push_back(v);
  for (int i = 0; i < k; ++i) t.push_back(4.0f);
  return t;
}

TEST(BsplineBasis, ValuesMatchTheRecursiveDefinitionAndSumToOne) {
  for (int k = 1; k <= 5; ++k) {
    const std::vector<float> t = test_knots(k);
    const int n = static_cast<int>(t.size()) - k;
    std::vector<float> values(static_cast<size_t>(k));
    for (float x = 0.0f; x <= 4.0f; x += 0.0625f) {
      ASSERT_TRUE(in_knot_range(t, k, n, x));
      const int left = find_knot_interval(t, k, n, x);
      ASSERT_LE(t[static_cast<size_t>(left)], x);
      ASSERT_LT(t[static_cast<size_t>(left)], t[static_cast<size_t>(left + 1)]);
      bspline_values(t, k, left, x, values);
      double sum = 0.0;
      for (int r = 0; r < k; ++r) {
        const double expected = naive_bspline(t, left - k + 1 + r, k, x, n);
        EXPECT_NEAR(values[static_cast<size_t>(r)], expected, 1e-6) << "k=" << k << " x=" << x << " r=" << r;
        sum += values[static_cast<size_t>(r)];
      }
      EXPECT_NEAR(sum, 1.0, 1e-6) << "k=" << k << " x=" << x;
    }
  }
}

TEST(BsplineBasis, RightEndBelongsToTheLastInterval) {
  const std::vector<float> t = test_knots(3);
  const int n = static_cast<int>(t.size()) - 3;
  EXPECT_EQ(find_knot_interval(t, 3, n, 4.0f), n - 1);
  std::vector<float> values(3);
  bspline_values(t, 3, n - 1, 4.0f, values);
  EXPECT_EQ(values, (std::vector<float>{0.0f, 0.0f, 1.0f}));
  EXPECT_FALSE(in_knot_range(t, 3, n, std::nextafter(4.0f, 5.0f)));
  EXPECT_FALSE(in_knot_range(t, 3, n, std::nextafter(0.0f, -1.0f)));
  EXPECT_FALSE(in_knot_range(t, 3, n, std::nanf("")));
}

TEST(BsplineBasis, DerivativesMatchDifferencesOfTheDefinition) {
  const int k = 4;
  const std::vector<float> t = test_knots(k);
  const int n = static_cast<int>(t.size()) - k;
  std::vector<float> first(k), second(k), fourth(k);
  for (float x : {0.3f, 1.0f, 1.7f, 2.9f, 3.8f}) {
    const int left = find_knot_interval(t, k, n, x);
    bspline_derivatives(t, k, left, x, 1, first);
    bspline_derivatives(t, k, left, x, 2, second);
    bspline_derivatives(t, k, left, x, 4, fourth);
    const double h = 1e-4;
    for (int r = 0; r < k; ++r) {
      const int i = left - k + 1 + r;
      const double up = naive_bspline(t, i, k, x + h, n);
      const double mid = naive_bspline(t, i, k, x, n);
      const double down = naive_bspline(t, i, k, x - h, n);
      EXPECT_NEAR(first[static_cast<size_t>(r)], (up - down) / (2 * h), 1e-3) << "x=" << x << " r=" << r;
      EXPECT_NEAR(second[static_cast<size_t>(r)], (up - 2 * mid + down) / (h * h), 2e-2) << "x=" << x;
      EXPECT_EQ(fourth[static_cast<size_t>(r)], 0.0f) << "derivative of the order vanishes";
    }
  }
}

TEST(BsplineBasis, BasisTableMarksCoordinatesOutsideTheKnotRange) {
  const std::vector<float> t = test_knots(3);
  const int n = static_cast<int>(t.size()) - 3;
  BasisTable table;
  const std::vector<float> coordinates = {0.0f, 4.0f, 4.5f, 2.0f};
  table.build(t, 3, n, coordinates);
  ASSERT_EQ(table.size(), 4u);
  EXPECT_TRUE(table.in_range(0));
  EXPECT_TRUE(table.in_range(1));
  EXPECT_FALSE(table.in_range(2));
  EXPECT_EQ(table.first_outside(), 2);
  EXPECT_EQ(table.first(1), n - 3);
  EXPECT_EQ(table.values(1)[2], 1.0f);
}

TEST(HuntInterval, AgreesWithBisectionFromAnyStartingInterval) {
  std::mt19937 random(7);
  std::vector<float> breaks;
  for (float b = -3.0f; b < 40.0f; b += 0.75f) breaks.push_back(b);
  const int32_t last = static_cast<int32_t>(breaks.size()) - 2;
  std::uniform_real_distribution<float> value(-6.0f, 45.0f);
  std::uniform_int_distribution<int32_t> start(-2, last + 3);
  for (int trial = 0; trial < 2000; ++trial) {
    const float x = trial % 10 == 0 ? breaks[static_cast<size_t>(trial / 10 % breaks.size())] : value(random);
    const int32_t expected = std::clamp(
        static_cast<int32_t>(std::upper_bound(breaks.begin(), breaks.end(), x) - breaks.begin()) - 1, 0, last);
    ASSERT_EQ(hunt_interval(breaks, x, start(random)), expected) << "x=" << x;
  }
  EXPECT_EQ(hunt_interval(std::vector<float>{1.0f, 2.0f}, 7.0f, 5), 0);
}

}  // namespace
}  // namespace jpcp::splines
