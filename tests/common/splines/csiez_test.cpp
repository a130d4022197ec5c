#include "common/splines/csiez.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "common/splines/spline_values.h"
#include "tests/common/splines/spline_test_support.h"

namespace jpcp::splines {
namespace {

using testing::block_says;
using testing::MessageCapture;

std::vector<float> csiez(const std::vector<float>& x, const std::vector<float>& f, const std::vector<float>& q) {
  std::vector<float> value(q.size(), -999.0f);
  CSIEZ(static_cast<int32_t>(x.size()), x, f, static_cast<int32_t>(q.size()), q, value);
  return value;
}

double cubic(double x) { return 2.0 - 0.5 * x + 0.75 * x * x - 0.125 * x * x * x; }

TEST(CSIEZ, TwoPointsGiveTheStraightLine) {
  MessageCapture capture;
  EXPECT_EQ(csiez({0, 1}, {0, 1}, {2}), std::vector<float>{2.0f});
  EXPECT_EQ(csiez({1, 3}, {5, 1}, {-1, 2, 4}), (std::vector<float>{9.0f, 3.0f, -1.0f}));
  EXPECT_TRUE(capture.quiet());
}

TEST(CSIEZ, ThreePointsGiveTheParabola) {
  const std::vector<float> v = csiez({0, 1, 3}, {1, 2, 10}, {-1, 0.5f, 2, 5});
  // p(x) = 1 + x^2
  EXPECT_NEAR(v[0], 2.0f, 1e-5);
  EXPECT_NEAR(v[1], 1.25f, 1e-5);
  EXPECT_NEAR(v[2], 5.0f, 1e-5);
  EXPECT_NEAR(v[3], 26.0f, 1e-4);
}

TEST(CSIEZ, CubicDataAreReproducedInsideAndOutsideTheDataRange) {
  for (const std::vector<float>& x : {std::vector<float>{0, 1, 2, 3}, std::vector<float>{-2, -0.5f, 0, 1, 2.5f, 3, 6}}) {
    std::vector<float> f;
    for (float v : x) f.push_back(static_cast<float>(cubic(v)));
    std::vector<float> q;
    for (float v = x.front() - 2.0f; v <= x.back() + 2.0f; v += 0.125f) q.push_back(v);
    const std::vector<float> value = csiez(x, f, q);
    for (size_t i = 0; i < q.size(); ++i) {
      const double expected = cubic(q[i]);
      EXPECT_NEAR(value[i], expected, 2e-5 * std::max(1.0, std::fabs(expected))) << "x = " << q[i];
    }
  }
}

TEST(CSIEZ, DataOrderDoesNotMatterAndResultsFollowTheQueryOrder) {
  const std::vector<float> x = {0, 1, 2.5f, 3, 4.5f};
  const std::vector<float> f = {1, -1, 0.5f, 2, 0};
  const std::vector<float> q = {4.0f, 3.5f, 0.25f, -1.0f};
  const std::vector<float> sorted = csiez(x, f, q);
  EXPECT_EQ(csiez({3, 0, 4.5f, 2.5f, 1}, {2, 1, 0, 0.5f, -1}, q), sorted);
  EXPECT_EQ(csiez({4.5f, 3, 2.5f, 1, 0}, {0, 2, 0.5f, -1, 1}, q), sorted);
  // Descending queries get their values in that same order.
  const std::vector<float> ascending = csiez(x, f, {-1.0f, 0.25f, 3.5f, 4.0f});
  EXPECT_EQ(sorted, (std::vector<float>{ascending[3], ascending[2], ascending[1], ascending[0]}));
}

// Points in any order and repeated (hourly gradients) get, bit for bit, the
// value CSIEZ gives at each point alone.
TEST(CSIEZ, RepeatedPointsInAnyOrderGetTheValueOfEachPointAlone) {
  const std::vector<float> x = {0, 1, 2.5f, 3, 4.5f, 6};
  const std::vector<float> f = {1, -1, 0.5f, 2, 0, 0.25f};
  const std::vector<float> points = {3.75f, 0.5f, 6, 3.75f, -0.5f, 2.5f, 0.5f, 7, 1.0e-3f, 5.9f};
  std::vector<float> values(points.size(), -999.0f);
  cubic_spline_values(x, f, points, values);
  for (size_t i = 0; i < points.size(); ++i) EXPECT_EQ(values[i], csiez(x, f, {points[i]})[0]) << points[i];
}

TEST(CSIEZ, DataAbscissasReturnTheirOrdinates) {
  const std::vector<float> x = {2, 0, 1, 3, 5};
  const std::vector<float> f = {0.5f, 7, -3, 4, 1};
  const std::vector<float> v = csiez(x, f, x);
  for (size_t i = 0; i < x.size(); ++i) {
    // The last break point is reached through the last interval's cubic.
    if (x[i] == 5.0f) {
      EXPECT_NEAR(v[i], f[i], 1e-5);
    } else {
      EXPECT_EQ(v[i], f[i]) << "x = " << x[i];
    }
  }
}

TEST(CSIEZ, ArgumentErrorsStopWithTheirMessages) {
  auto stop_of = [](const std::vector<float>& x, const std::vector<float>& q, int32_t ndata, int32_t n) {
    MessageCapture capture;
    std::vector<float> value(std::max<size_t>(q.size(), 1), -5.0f);
    CSIEZ(ndata, x, x, n, q, value);
    EXPECT_EQ(value, std::vector<float>(value.size(), -5.0f));
    return capture.stop();
  };
  EXPECT_TRUE(block_says(stop_of({1}, {1}, 1, 1), "TERMINAL ERROR 1 from CSIEZ",
                         "The number of data points must be 2 or more while NDATA = 1 is given."));
  EXPECT_TRUE(block_says(stop_of({1, 2}, {}, 2, 0), "TERMINAL ERROR 2 from CSIEZ",
                         "The length of XVEC must be at least one while N = 0 is given."));
  EXPECT_TRUE(block_says(stop_of({3, 1, 2, 1}, {1}, 4, 1), "TERMINAL ERROR 3 from CSIEZ",
                         "Points in the data point abscissas array, XDATA, must be distinct, but XDATA(2) = XDATA(4) "
                         "= 1.000000."));
  EXPECT_TRUE(block_says(stop_of({1, 2, 3}, {0.5f, 2.5f, 0.5f}, 3, 3), "FATAL ERROR 4 from CSIEZ",
                         "The X data values must be strictly increasing, but XVEC(1) = 0.5000000 and XVEC(3) = "
                         "0.5000000."));
}

}  // namespace
}  // namespace jpcp::splines
