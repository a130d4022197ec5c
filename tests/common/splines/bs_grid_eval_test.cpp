#include "common/splines/bs_grid_eval.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "common/splines/bs3in.h"
#include "common/splines/bsnak.h"
#include "tests/common/splines/spline_test_support.h"

namespace jpcp::splines {
namespace {

using testing::block_says;
using testing::MessageCapture;
using testing::text_of;

// The bilinear spline of order 2 on knots {0,0,1,3,3} x {0,0,2,2}: its
// coefficients are the values at the nodes x = 0, 1, 3 and y = 0, 2.
struct Bilinear {
  std::vector<float> tx = {0, 0, 1, 3, 3};
  std::vector<float> ty = {0, 0, 2, 2};
  std::vector<float> coef;
  static double f(double x, double y) { return 1.0 + 2.0 * x - 0.5 * y + 0.25 * x * y; }
  Bilinear() {
    for (float y : {0.0f, 2.0f}) {
      for (float x : {0.0f, 1.0f, 3.0f}) coef.push_back(static_cast<float>(f(x, y)));
    }
  }
};

TEST(BS2GD, GridValuesLandInTheLeadingDimensionLayout) {
  const Bilinear s;
  const std::vector<float> x = {0.0f, 0.5f, 2.0f, 3.0f};
  const std::vector<float> y = {0.0f, 1.5f, 2.0f};
  const int32_t ld = 6;
  std::vector<float> value(static_cast<size_t>(ld * 3), -1.0f);
  MessageCapture capture;
  BS2GD(0, 0, 4, x, 3, y, 2, 2, s.tx, s.ty, 3, 2, s.coef, value, ld);
  for (size_t j = 0; j < 3; ++j) {
    for (size_t i = 0; i < 6; ++i) {
      const float v = value[i + static_cast<size_t>(ld) * j];
      if (i < 4) {
        EXPECT_NEAR(v, Bilinear::f(x[i], y[j]), 1e-6) << i << "," << j;
      } else {
        EXPECT_EQ(v, -1.0f) << "beyond NX the result array is not touched";
      }
    }
  }
  EXPECT_TRUE(capture.quiet());
}

TEST(BS2GD, PartialDerivativesOfTheBilinearSpline) {
  const Bilinear s;
  const std::vector<float> x = {0.5f, 2.0f};
  const std::vector<float> y = {0.5f};
  std::vector<float> value(2);
  BS2GD(1, 1, 2, x, 1, y, 2, 2, s.tx, s.ty, 3, 2, s.coef, value, 2);
  EXPECT_NEAR(value[0], 0.25f, 1e-6);
  EXPECT_NEAR(value[1], 0.25f, 1e-6);
  BS2GD(0, 1, 2, x, 1, y, 2, 2, s.tx, s.ty, 3, 2, s.coef, value, 2);
  EXPECT_NEAR(value[0], -0.5 + 0.25 * 0.5, 1e-6);
  EXPECT_NEAR(value[1], -0.5 + 0.25 * 2.0, 1e-6);
  BS2GD(2, 0, 2, x, 1, y, 2, 2, s.tx, s.ty, 3, 2, s.coef, value, 2);
  EXPECT_EQ(value, (std::vector<float>{0.0f, 0.0f})) << "a derivative of the order or above vanishes";
}

// Quadratic interpolant in 3-D (BSNAK + BS3IN) of a function whose partial
// derivatives are known.
struct Quadratic3 {
  std::vector<float> x = {0, 1, 2.5f, 4}, y = {-2, -1, 0, 1, 2}, z = {1, 2, 3};
  std::vector<float> tx, ty, tz, coef;
  static double f(double a, double b, double c) { return (1 + a * a) * (2 - b) * (c + 0.5 * c * c) + a * b; }
  Quadratic3() {
    tx.resize(7);
    ty.resize(8);
    tz.resize(6);
    BSNAK(4, x, 3, tx);
    BSNAK(5, y, 3, ty);
    BSNAK(3, z, 3, tz);
    std::vector<float> data;
    for (float c : z) {
      for (float b : y) {
        for (float a : x) data.push_back(static_cast<float>(f(a, b, c)));
      }
    }
    coef.resize(data.size());
    BS3IN(4, x, 5, y, 3, z, data, 4, 5, 3, 3, 3, tx, ty, tz, coef);
  }
  void eval(int dx, int dy, int dz, const std::vector<float>& xv, const std::vector<float>& yv,
            const std::vector<float>& zv, std::vector<float>& out, int32_t ld, int32_t md) const {
    BS3GD(dx, dy, dz, static_cast<int32_t>(xv.size()), xv, static_cast<int32_t>(yv.size()), yv,
          static_cast<int32_t>(zv.size()), zv, 3, 3, 3, tx, ty, tz, 4, 5, 3, coef, out, ld, md);
  }
};

TEST(BS3GD, RightEndKnotGivesTheRightEndValueAndJustPastItWarnsAndGivesZero) {
  const Quadratic3 s;
  const float end_x = s.tx.back();
  const float end_z = s.tz.back();
  std::vector<float> out(4, -1.0f);
  {
    MessageCapture capture;
    s.eval(0, 0, 0, {0.5f, end_x}, {s.ty.back()}, {1.5f, end_z}, out, 2, 1);
    EXPECT_NEAR(out[1], Quadratic3::f(end_x, s.ty.back(), 1.5), 1e-3);
    EXPECT_NEAR(out[3], Quadratic3::f(end_x, s.ty.back(), end_z), 1e-3);
    EXPECT_NEAR(out[2], Quadratic3::f(0.5, s.ty.back(), end_z), 1e-3);
    EXPECT_TRUE(capture.quiet());
  }
  {
    MessageCapture capture;
    const float past = std::nextafter(s.ty.back(), 10.0f);
    s.eval(0, 0, 0, {0.5f, end_x}, {past}, {1.5f, std::nextafter(end_z, 10.0f)}, out, 2, 1);
    EXPECT_EQ(out, std::vector<float>(4, 0.0f)) << "every value of the call is zero";
    // One warning, for the first offending coordinate (Y before Z).
    EXPECT_TRUE(block_says(capture.written(), "WARNING ERROR 2 from BS3GD",
                           "The point YVEC(1) = " + text_of(past) +
                               " does not satisfy YKNOT(KYORD) .LE. YVEC(1) .LE. YKNOT(NYCOEF+1).  The value zero is "
                               "returned in this case."))
        << capture.written();
    EXPECT_TRUE(capture.stops().empty());
  }
  {
    MessageCapture capture;
    s.eval(0, 0, 0, {std::nextafter(s.tx.front(), -1.0f)}, {0.0f}, {1.5f}, out, 1, 1);
    EXPECT_EQ(out[0], 0.0f);
    EXPECT_NE(capture.written().find("WARNING ERROR 1 from BS3GD"), std::string::npos) << capture.written();
  }
}

TEST(BS3GD, PartialDerivativesOfTheQuadraticInterpolant) {
  const Quadratic3 s;
  const std::vector<float> xv = {0.25f, 1.5f, 3.75f};
  const std::vector<float> yv = {-1.5f, 0.5f};
  const std::vector<float> zv = {1.25f, 2.75f};
  std::vector<float> out(3 * 2 * 2);
  s.eval(1, 0, 2, xv, yv, zv, out, 3, 2);
  for (size_t l = 0; l < 2; ++l) {
    for (size_t j = 0; j < 2; ++j) {
      for (size_t i = 0; i < 3; ++i) {
        // d/dx d2/dz2 of f = 2a (2 - b) * 1
        const double expected = 2.0 * xv[i] * (2.0 - yv[j]);
        EXPECT_NEAR(out[i + 3 * (j + 2 * l)], expected, 2e-3) << i << "," << j << "," << l;
      }
    }
  }
  s.eval(0, 3, 0, xv, yv, zv, out, 3, 2);
  for (float v : out) EXPECT_EQ(v, 0.0f);
}

TEST(GridEvaluation, ArgumentErrorsStopWithTheirMessages) {
  const Quadratic3 s;
  std::vector<float> out(4);
  auto run3 = [&](int32_t kx, int32_t nycoef, int32_t izder, const std::vector<float>& yv) {
    MessageCapture capture;
    BS3GD(0, 0, izder, 1, std::vector<float>{1.0f}, static_cast<int32_t>(yv.size()), yv, 1, std::vector<float>{2.0f},
          kx, 3, 3, s.tx, s.ty, s.tz, 4, nycoef, 3, s.coef, out, 1, static_cast<int32_t>(yv.size()));
    return capture.stop();
  };
  EXPECT_TRUE(block_says(run3(0, 5, 0, {0.0f}), "TERMINAL ERROR 4 from BS3GD",
                         "The order of the spline in the X direction must be at least 1 while KXORD = 0 is given."));
  EXPECT_TRUE(block_says(run3(3, 2, 0, {0.0f}), "TERMINAL ERROR 5 from BS3GD",
                         "The number of coefficients of the spline in the Y direction must be at least as large as "
                         "the order of the spline in the Y direction while NYCOEF = 2 and KYORD = 3 are given."));
  EXPECT_TRUE(block_says(run3(3, 5, -1, {0.0f}), "TERMINAL ERROR 6 from BS3GD",
                         "The order of the derivative in the Z direction must be at least zero, while IZDER = -1 "
                         "is given."));
  EXPECT_TRUE(block_says(run3(3, 5, 0, {0.0f, 1.0f, 0.5f}), "FATAL ERROR 7 from BS3GD",
                         "The Y data values must be strictly increasing, but YVEC(2) = 1.000000 and YVEC(3) = "
                         "0.5000000."));
  const Bilinear b;
  MessageCapture capture;
  BS2GD(0, 0, 2, std::vector<float>{1.0f, 1.0f}, 1, std::vector<float>{1.0f}, 2, 2, b.tx, b.ty, 3, 2, b.coef, out, 2);
  EXPECT_TRUE(block_says(capture.stop(), "FATAL ERROR 7 from BS2GD",
                         "The X data values must be strictly increasing, but XVEC(1) = 1.000000 and XVEC(2) = "
                         "1.000000."));
}

}  // namespace
}  // namespace jpcp::splines
