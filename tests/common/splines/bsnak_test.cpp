#include "common/splines/bsnak.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/common/splines/spline_test_support.h"

namespace jpcp::splines {
namespace {

using testing::block_says;
using testing::MessageCapture;

// x * (1 + 100 eps) in single precision, eps = 2^-23.
float just_right_of(float x) { return x * (1.0f + 100.0f * 1.1920928955078125e-07f); }

std::vector<float> knots_for(const std::vector<float>& data, int32_t order) {
  std::vector<float> knots(data.size() + static_cast<size_t>(order), -99.0f);
  BSNAK(static_cast<int32_t>(data.size()), data, order, knots);
  return knots;
}

TEST(BSNAK, OddOrderPlacesInteriorKnotsAtMidpoints) {
  MessageCapture capture;
  const float b = just_right_of(3.0f);
  EXPECT_EQ(knots_for({0, 1, 2, 3}, 3), (std::vector<float>{0, 0, 0, 1.5f, b, b, b}));
  EXPECT_TRUE(capture.quiet());
}

TEST(BSNAK, EvenOrderPlacesInteriorKnotsAtAbscissas) {
  const float b = just_right_of(5.0f);
  EXPECT_EQ(knots_for({0, 1, 2, 3, 4, 5}, 4), (std::vector<float>{0, 0, 0, 0, 2, 3, b, b, b, b}));
  // Order 2: every interior abscissa is a knot.
  const float c = just_right_of(4.0f);
  EXPECT_EQ(knots_for({1, 2, 4}, 2), (std::vector<float>{1, 1, 2, c, c}));
}

TEST(BSNAK, RightEndKnotsLieJustRightOfTheLargestAbscissa) {
  // Negative: the knot moves towards zero, which is to the right.
  const std::vector<float> negative = knots_for({-3, -2, -1}, 3);
  EXPECT_EQ(negative.back(), -1.0f * (1.0f - 100.0f * 1.1920928955078125e-07f));
  EXPECT_GT(negative.back(), -1.0f);
  const std::vector<float> zero = knots_for({-2, -1, 0}, 2);
  EXPECT_EQ(zero.back(), 100.0f * 1.1920928955078125e-07f);
  EXPECT_EQ(zero[3], zero[4]);
}

TEST(BSNAK, UnsortedAndDescendingAbscissasGiveTheSortedKnots) {
  const std::vector<float> sorted = knots_for({0, 1, 2, 3, 4, 5}, 4);
  EXPECT_EQ(knots_for({3, 0, 5, 1, 4, 2}, 4), sorted);
  EXPECT_EQ(knots_for({5, 4, 3, 2, 1, 0}, 4), sorted);
  const std::vector<float> data = {5, 4, 3, 2, 1, 0};
  std::vector<float> knots(10);
  BSNAK(6, data, 4, knots);
  EXPECT_EQ(data, (std::vector<float>{5, 4, 3, 2, 1, 0})) << "input must not be modified";
}

TEST(BSNAK, ArgumentErrorsStopWithTheirMessages) {
  std::vector<float> knots(8, -99.0f);
  {
    MessageCapture capture;
    BSNAK(4, std::vector<float>{0, 1, 2, 3}, 1, knots);
    EXPECT_TRUE(block_says(capture.stop(), "TERMINAL ERROR 1 from BSNAK",
                           "The order of the spline must be at least 2 while KORDER = 1 is given."))
        << capture.stop();
  }
  {
    MessageCapture capture;
    BSNAK(3, std::vector<float>{0, 1, 2}, 4, knots);
    EXPECT_TRUE(block_says(capture.stop(), "TERMINAL ERROR 2 from BSNAK",
                           "The number of data points must be at least as large as the order of the spline while "
                           "NDATA = 3 and KORDER = 4 are given."))
        << capture.stop();
  }
  {
    MessageCapture capture;
    BSNAK(5, std::vector<float>{3, 1, 2, 1, 0}, 3, knots);
    EXPECT_TRUE(block_says(capture.stop(), "FATAL ERROR 3 from BSNAK",
                           "Points in the data point abscissas array, XDATA, must be distinct, but XDATA(2) = "
                           "XDATA(4) = 1.000000."))
        << capture.stop();
  }
  EXPECT_EQ(knots, std::vector<float>(8, -99.0f)) << "a stopped call leaves its output alone";
}

}  // namespace
}  // namespace jpcp::splines
