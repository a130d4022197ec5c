#include "common/splines/bs3in.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "common/splines/bs_grid_eval.h"
#include "common/splines/bsnak.h"
#include "common/splines/bspline_basis.h"
#include "common/splines/tensor_interpolation.h"
#include "tests/common/splines/spline_test_support.h"

namespace jpcp::splines {
namespace {

using testing::block_says;
using testing::MessageCapture;

// A polynomial of degree two in each variable, asymmetric so that a swapped
// direction shows.
double quadratic(double x, double y, double z) {
  return (1.0 + x + 0.5 * x * x) * (2.0 - y + 0.25 * y * y) * (0.5 + z - 0.1 * z * z) + 3.0 * x * y - z * z;
}

std::vector<float> not_a_knot(const std::vector<float>& data, int32_t order) {
  std::vector<float> knots(data.size() + static_cast<size_t>(order));
  BSNAK(static_cast<int32_t>(data.size()), data, order, knots);
  return knots;
}

struct Grid3 {
  std::vector<float> x, y, z;
  int32_t kx, ky, kz;
  std::vector<float> tx, ty, tz;
  std::vector<float> coef;
  int32_t nx() const { return static_cast<int32_t>(x.size()); }
  int32_t ny() const { return static_cast<int32_t>(y.size()); }
  int32_t nz() const { return static_cast<int32_t>(z.size()); }

  // Interpolates f on the grid (FDATA compact: LDF = nx, MDF = ny).
  template <typename F>
  void interpolate(F f) {
    tx = not_a_knot(x, kx);
    ty = not_a_knot(y, ky);
    tz = not_a_knot(z, kz);
    std::vector<float> data;
    for (float zv : z) {
      for (float yv : y) {
        for (float xv : x) data.push_back(static_cast<float>(f(xv, yv, zv)));
      }
    }
    coef.assign(data.size(), 0.0f);
    BS3IN(nx(), x, ny(), y, nz(), z, data, nx(), ny(), kx, ky, kz, tx, ty, tz, coef);
  }

  float value(float xv, float yv, float zv, int32_t dx = 0, int32_t dy = 0, int32_t dz = 0) const {
    float result = -1.0f;
    BS3GD(dx, dy, dz, 1, std::span<const float>(&xv, 1), 1, std::span<const float>(&yv, 1), 1,
          std::span<const float>(&zv, 1), kx, ky, kz, tx, ty, tz, nx(), ny(), nz(), coef, std::span<float>(&result, 1),
          1, 1);
    return result;
  }
};

Grid3 quadratic_grid() {
  Grid3 g{{0.0f, 0.5f, 1.5f, 2.0f, 3.0f}, {-1.0f, 0.0f, 2.0f, 3.5f}, {10.0f, 11.0f, 13.0f}, 3, 3, 3, {}, {}, {}, {}};
  g.interpolate(quadratic);
  return g;
}

TEST(BS3IN, QuadraticInterpolantReproducesTheQuadraticInsideTheKnotRange) {
  MessageCapture capture;
  const Grid3 g = quadratic_grid();
  std::mt19937 random(11);
  std::uniform_real_distribution<float> u(0.0f, 1.0f);
  for (int trial = 0; trial < 300; ++trial) {
    // Up to and including the right end knot, which lies a little beyond the
    // last abscissa.
    const float x = g.tx.front() + u(random) * (g.tx.back() - g.tx.front());
    const float y = g.ty.front() + u(random) * (g.ty.back() - g.ty.front());
    const float z = trial == 0 ? g.tz.back() : g.tz.front() + u(random) * (g.tz.back() - g.tz.front());
    const double expected = quadratic(x, y, z);
    EXPECT_NEAR(g.value(x, y, z), expected, 2e-5 * 400.0) << "at (" << x << ", " << y << ", " << z << ")";
  }
  EXPECT_TRUE(capture.quiet()) << capture.written();
}

TEST(BS3IN, CubicInterpolantOfRandomDataReproducesEveryGridValue) {
  std::mt19937 random(3);
  std::uniform_real_distribution<float> u(-50.0f, 50.0f);
  Grid3 g{{1, 2, 4, 5, 7, 8}, {0, 0.25f, 0.5f, 1.0f, 2.0f}, {-3, -2, -1, 0}, 4, 4, 4, {}, {}, {}, {}};
  std::vector<float> data;
  for (int i = 0; i < 6 * 5 * 4; ++i) data.push_back(u(random));
  g.interpolate([&](float x, float y, float z) {
    size_t i = 0, j = 0, l = 0;
    while (g.x[i] != x) ++i;
    while (g.y[j] != y) ++j;
    while (g.z[l] != z) ++l;
    return data[i + 6 * (j + 5 * l)];
  });
  for (size_t l = 0; l < 4; ++l) {
    for (size_t j = 0; j < 5; ++j) {
      for (size_t i = 0; i < 6; ++i) {
        EXPECT_NEAR(g.value(g.x[i], g.y[j], g.z[l]), data[i + 6 * (j + 5 * l)], 5e-5f * 50.0f)
            << "grid point " << i << "," << j << "," << l;
      }
    }
  }
}

TEST(BS3IN, UnusedRowsOfTheDataArrayAreIgnored) {
  const Grid3 g = quadratic_grid();
  const int32_t ldf = g.nx() + 2;
  const int32_t mdf = g.ny() + 1;
  std::vector<float> padded(static_cast<size_t>(ldf * mdf * g.nz()), std::numeric_limits<float>::quiet_NaN());
  for (int32_t l = 0; l < g.nz(); ++l) {
    for (int32_t j = 0; j < g.ny(); ++j) {
      for (int32_t i = 0; i < g.nx(); ++i) {
        padded[static_cast<size_t>(i + ldf * (j + mdf * l))] =
            static_cast<float>(quadratic(g.x[static_cast<size_t>(i)], g.y[static_cast<size_t>(j)],
                                         g.z[static_cast<size_t>(l)]));
      }
    }
  }
  std::vector<float> coef(g.coef.size());
  BS3IN(g.nx(), g.x, g.ny(), g.y, g.nz(), g.z, padded, ldf, mdf, 3, 3, 3, g.tx, g.ty, g.tz, coef);
  EXPECT_EQ(coef, g.coef);
}

// Value of an N-dimensional tensor-product spline by direct summation.
double tensor_value(const std::vector<std::vector<float>>& knots, const std::vector<int32_t>& orders,
                    const std::vector<int32_t>& counts, const std::vector<float>& coef, const std::vector<float>& x) {
  const size_t dims = knots.size();
  std::vector<std::vector<float>> values(dims);
  std::vector<int32_t> first(dims);
  for (size_t d = 0; d < dims; ++d) {
    const int32_t left = find_knot_interval(knots[d], orders[d], counts[d], x[d]);
    values[d].resize(static_cast<size_t>(orders[d]));
    bspline_values(knots[d], orders[d], left, x[d], values[d]);
    first[d] = left - orders[d] + 1;
  }
  double sum = 0.0;
  std::vector<int32_t> r(dims, 0);
  for (;;) {
    double weight = 1.0;
    size_t offset = 0;
    size_t stride = 1;
    for (size_t d = 0; d < dims; ++d) {
      weight *= values[d][static_cast<size_t>(r[d])];
      offset += stride * static_cast<size_t>(first[d] + r[d]);
      stride *= static_cast<size_t>(counts[d]);
    }
    sum += weight * coef[offset];
    size_t d = 0;
    while (d < dims && ++r[d] == orders[d]) r[d++] = 0;
    if (d == dims) break;
  }
  return sum;
}

TEST(TensorInterpolation, FourDimensionsReproduceAPolynomialOfTheOrders) {
  // Orders 2, 3, 4, 3: the product of polynomials of degree 1, 2, 3, 2 is in
  // the spline space and must come back exactly (to single precision).
  const std::vector<int32_t> orders = {2, 3, 4, 3};
  const std::vector<std::vector<float>> data = {{0, 1, 3}, {0, 1, 2, 4}, {-1, 0, 0.5f, 1, 2}, {5, 6, 7, 9}};
  auto f = [](const std::vector<float>& x) {
    return (1 + 0.5 * x[0]) * (1 - x[1] + 0.2 * x[1] * x[1]) * (2 + x[2] - x[2] * x[2] * x[2] / 3) *
           (0.1 * x[3] * x[3] - x[3]);
  };
  std::vector<std::vector<float>> knots;
  std::vector<int32_t> counts;
  std::vector<InterpolationDirection> directions;
  for (size_t d = 0; d < 4; ++d) {
    knots.push_back(not_a_knot(data[d], orders[d]));
    counts.push_back(static_cast<int32_t>(data[d].size()));
  }
  for (size_t d = 0; d < 4; ++d) directions.push_back({"X", data[d], knots[d], orders[d]});
  std::vector<float> values;
  std::vector<float> point(4);
  for (float w : data[3]) {
    for (float z : data[2]) {
      for (float y : data[1]) {
        for (float x : data[0]) values.push_back(static_cast<float>(f({x, y, z, w})));
      }
    }
  }
  MessageCapture capture;
  ASSERT_TRUE(interpolate_tensor("BSNIN", directions, values));
  EXPECT_TRUE(capture.quiet());
  std::mt19937 random(5);
  for (int trial = 0; trial < 100; ++trial) {
    for (size_t d = 0; d < 4; ++d) {
      std::uniform_real_distribution<float> u(data[d].front(), data[d].back());
      point[d] = u(random);
    }
    EXPECT_NEAR(tensor_value(knots, orders, counts, values, point), f(point), 1e-4);
  }
}

TEST(BS3IN, NearlySingularDirectionIsWarnedAndStillInterpolates) {
  // Two abscissas one unit of single precision apart straddle a knot: the
  // collocation rows are nearly equal.
  const float close = std::nextafter(1.0f, 2.0f);
  Grid3 g{{0.0f, 1.0f, close, 2.0f, 3.0f}, {0, 1, 2}, {0, 1, 2}, 3, 3, 3, {}, {}, {}, {}};
  MessageCapture capture;
  g.interpolate([](float x, float y, float z) { return 1.0f + x + y * z; });
  // One refinement step brings the residual down to single precision.
  EXPECT_TRUE(block_says(capture.written(), "WARNING ERROR 11 from BS3IN",
                         "The interpolation matrix in the X direction is nearly singular, try higher precision if "
                         "possible."))
      << capture.written();
  EXPECT_TRUE(capture.stops().empty());
  EXPECT_NEAR(g.value(3.0f, 2.0f, 1.0f), 6.0f, 1e-3f);
}

// Runs BS3IN on a small valid problem with one argument changed and returns
// the stop block.
struct Bs3inCase {
  std::vector<float> x = {0, 1, 2, 3}, y = {0, 1, 2}, z = {0, 1, 2};
  int32_t kx = 3, ky = 3, kz = 3;
  int32_t ldf = 4, mdf = 3;
  std::vector<float> tx = not_a_knot(x, 3), ty = not_a_knot(y, 3), tz = not_a_knot(z, 3);
  std::string run() {
    MessageCapture capture;
    std::vector<float> data(static_cast<size_t>(std::max(ldf, 4) * std::max(mdf, 3) * 3), 1.0f);
    std::vector<float> coef(x.size() * y.size() * z.size(), -7.0f);
    tx.resize(x.size() + 8);
    ty.resize(y.size() + 8);
    tz.resize(z.size() + 8);
    BS3IN(static_cast<int32_t>(x.size()), x, static_cast<int32_t>(y.size()), y, static_cast<int32_t>(z.size()), z,
          data, ldf, mdf, kx, ky, kz, tx, ty, tz, coef);
    EXPECT_EQ(coef, std::vector<float>(coef.size(), -7.0f)) << "a stopped call leaves the coefficients alone";
    return capture.stop();
  }
};

TEST(BS3IN, ShapeErrorsAreTerminal) {
  Bs3inCase orders;
  orders.ky = 0;
  EXPECT_TRUE(block_says(orders.run(), "TERMINAL ERROR 1 from BS3IN",
                         "The order of the spline in the Y direction must be at least 1 while KYORD = 0 is given."));
  Bs3inCase few;
  few.kz = 4;
  EXPECT_TRUE(block_says(few.run(), "TERMINAL ERROR 2 from BS3IN",
                         "The number of data points of the spline in the Z direction must be at least as large as "
                         "the order of the spline in the Z direction while NZDATA = 3 and KZORD = 4 are given."));
  Bs3inCase leading;
  leading.ldf = 3;
  EXPECT_TRUE(block_says(leading.run(), "TERMINAL ERROR 3 from BS3IN",
                         "The leading dimension of FDATA must be at least as large as NXDATA while LDF = 3 and "
                         "NXDATA = 4 are given."));
  Bs3inCase middle;
  middle.mdf = 2;
  EXPECT_TRUE(block_says(middle.run(), "TERMINAL ERROR 4 from BS3IN",
                         "The middle dimension of FDATA must be at least as large as NYDATA while MDF = 2 and "
                         "NYDATA = 3 are given."));
}

TEST(BS3IN, DataAndKnotErrorsAreFatal) {
  const std::string zero = testing::text_of(0.0f);
  Bs3inCase equal;
  equal.y = {0, 1, 1};
  EXPECT_TRUE(block_says(equal.run(), "FATAL ERROR 5 from BS3IN",
                         "The Y data values must be strictly increasing, but YDATA(2) = 1.000000 and YDATA(3) = "
                         "1.000000."));
  Bs3inCase decreasing;
  decreasing.tx = {0, 0, 0, 2, 1, 3, 3};
  EXPECT_TRUE(block_says(decreasing.run(), "FATAL ERROR 6 from BS3IN",
                         "The knot XKNOT(4) = 2.000000 and XKNOT(5) = 1.000000.  The knots must be nondecreasing."));
  Bs3inCase repeated;
  repeated.tz = {0, 0, 0, 0, 3, 3};
  EXPECT_TRUE(block_says(repeated.run(), "FATAL ERROR 7 from BS3IN",
                         "The knot ZKNOT(1) = " + zero + " occurs 4 times, more often than the order KZORD = 3 of the spline "
                             "allows."));
  Bs3inCase smallest;
  smallest.tx = {0.5f, 0.5f, 0.5f, 1.5f, 3, 3, 3};
  EXPECT_TRUE(block_says(smallest.run(), "FATAL ERROR 8 from BS3IN",
                         "The smallest element in XDATA must be greater than or equal to XKNOT(1) and less than "
                         "XKNOT(1+KXORD) while XDATA(1) = " +
                             zero + ", XKNOT(1) = 0.5000000, XKNOT(4) = 1.500000 are given."));
  Bs3inCase largest;
  largest.tz = {0, 0, 0, 1.5f, 1.5f, 1.5f};
  EXPECT_TRUE(block_says(largest.run(), "FATAL ERROR 9 from BS3IN",
                         "The largest element in ZDATA must be greater than ZKNOT(NDATA) and less than or equal to "
                         "ZKNOT(NDATA+KZORD) while ZDATA(NDATA) = 2.000000, ZKNOT(NDATA) = " +
                             zero + ", ZKNOT(6) = 1.500000 are given."));
  Bs3inCase interior;
  interior.tx = {0, 0, 0, 0.1f, 0.2f, 4, 4};
  interior.x = {0, 0.25f, 2, 3};
  EXPECT_TRUE(block_says(interior.run(), "FATAL ERROR 10 from BS3IN",
                         "The element XDATA(2) = 0.2500000 must be greater than XKNOT(2) = " + zero +
                             " and less than XKNOT(5) = 0.2000000."))
      << interior.run();
}

}  // namespace
}  // namespace jpcp::splines
