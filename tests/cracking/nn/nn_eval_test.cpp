#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <random>
#include <regex>
#include <string>
#include <vector>

#include "common/splines/bs_grid_eval.h"
#include "cracking/nn/nn_eval_22.h"
#include "cracking/nn/nn_eval_32.h"
#include "cracking/nn/nn_eval_33.h"
#include "tests/common/nn/model_test_support.h"
#include "tests/common/splines/spline_test_support.h"
#include "tests/support/stop_capture.h"

namespace jpcp::nn {
namespace {

using splines::testing::MessageCapture;
using testing::linear_model;
using testing::ModelDefinition;
using testing::padded;
using testing::TempDir;

// Linear in each input separately, with a different weight per input and
// cross terms between groups, so that any transposed or swapped dimension
// changes the value.
double f5(const std::vector<float>& x) {
  return 1.0 + 2.0 * x[0] - 3.0 * x[1] + 0.5 * x[2] + 7.0 * x[3] - 1.25 * x[4] + 0.75 * x[0] * x[3] -
         0.5 * x[1] * x[4] + 0.125 * x[2] * x[3] * x[4];
}
double f4(const std::vector<float>& x) { return 3.0 - x[0] + 4.0 * x[1] + 0.5 * x[2] - 2.0 * x[3] + x[0] * x[3] + 0.25 * x[1] * x[2]; }
double f6(const std::vector<float>& x) {
  return 2.0 + x[0] - 2.0 * x[1] + 3.0 * x[2] - 4.0 * x[3] + 5.0 * x[4] - 6.0 * x[5] + 0.5 * x[0] * x[5] +
         0.25 * x[2] * x[3] - 0.125 * x[1] * x[4];
}

// Uneven node spacings and different node counts per dimension.
const std::vector<std::vector<float>> nodes5 = {
    {0, 1, 3}, {-2, 0, 1, 2}, {10, 12, 15, 16, 20}, {0, 0.5f, 1}, {-1, 4, 5, 9}};
const std::vector<std::vector<float>> nodes4 = {{0, 2, 3}, {1, 2, 4, 8}, {-1, 0, 1}, {5, 6, 8}};
const std::vector<std::vector<float>> nodes6 = {{0, 1, 2}, {0, 3}, {1, 2, 4}, {0, 1, 2, 3}, {-1, 1}, {0, 5, 10}};

constexpr double exact = 1e-4;  // single-precision rounding of values up to ~100

TEST(NnEval32Grid, ResultsFollowTheOuterMiddlePointOrder) {
  TempDir dir;
  const std::string file = dir.write("m32.dat", linear_model(3, 2, nodes5, f5));
  const int32_t J = 3, I = 2, Np = 4;
  const float x1 = 2.5f;
  const std::vector<float> x2 = {-1.5f, 0.25f, 2.0f};
  const std::vector<float> x3 = {11.0f, 19.5f};
  std::vector<float> x4, x5;
  for (int j = 0; j < J; ++j) {
    for (int p = 0; p < Np; ++p) {
      x4.push_back(0.1f * static_cast<float>(p) + 0.3f * static_cast<float>(j));
      x5.push_back(-1.0f + 2.5f * static_cast<float>(p) + static_cast<float>(j));
    }
  }
  std::vector<float> out(static_cast<size_t>(J * I * Np), -1.0f);
  MessageCapture capture;
  nn_eval_32_grid(padded(file), J * I * Np, J, I, Np, x1, x2, x3, x4, x5, out);
  for (int j = 0; j < J; ++j) {
    for (int i = 0; i < I; ++i) {
      for (int p = 0; p < Np; ++p) {
        const size_t at = static_cast<size_t>(p + Np * j);
        const double expected = f5({x1, x2[static_cast<size_t>(j)], x3[static_cast<size_t>(i)], x4[at], x5[at]});
        EXPECT_NEAR(out[static_cast<size_t>(p + Np * (i + I * j))], expected, exact) << j << "," << i << "," << p;
      }
    }
  }
  EXPECT_TRUE(capture.quiet()) << capture.written();
}

TEST(NnEval32Paired, FirstTwoInputsArePairedByTheMiddleIndex) {
  TempDir dir;
  const std::string file = dir.write("m32.dat", linear_model(3, 2, nodes5, f5));
  const int32_t J = 2, I = 3, Np = 2;
  const std::vector<float> x1 = {0.0f, 1.5f, 3.0f};
  const std::vector<float> x2 = {2.0f, -2.0f, 0.5f};
  const float x3 = 13.0f;
  const std::vector<float> x4 = {0.2f, 0.9f};
  const std::vector<float> x5 = {-0.5f, 8.0f};
  std::vector<float> out(static_cast<size_t>(J * I * Np));
  nn_eval_32_paired(padded(file), 0, J, I, Np, x1, x2, x3, x4, x5, out);
  for (size_t j = 0; j < 2; ++j) {
    for (size_t i = 0; i < 3; ++i) {
      for (size_t p = 0; p < 2; ++p) {
        EXPECT_NEAR(out[p + 2 * (i + 3 * j)], f5({x1[i], x2[i], x3, x4[p], x5[j]}), exact) << j << "," << i << "," << p;
      }
    }
  }
}

TEST(NnEval22, SecondAndFourthInputsArePairedByTheMiddleIndex) {
  TempDir dir;
  const std::string file = dir.write("m22.dat", linear_model(2, 2, nodes4, f4));
  const std::vector<float> x1 = {0.5f, 2.75f};
  const std::vector<float> x2 = {1.0f, 3.0f, 7.5f};
  const float x3 = -0.25f;
  const std::vector<float> x4 = {5.5f, 8.0f, 6.0f};
  std::vector<float> out(6);
  nn_eval_22(padded(file), 6, 2, 3, x1, x2, x3, x4, out);
  for (size_t j = 0; j < 2; ++j) {
    for (size_t i = 0; i < 3; ++i) EXPECT_NEAR(out[i + 3 * j], f4({x1[j], x2[i], x3, x4[i]}), exact) << j << "," << i;
  }
}

// Inputs of a 3+3 kernel call, with distinct values everywhere.
struct Inputs33 {
  int32_t J = 2, I = 3, Nb = 2;
  float x1 = 1.5f;
  std::vector<float> x2 = {0.5f, 2.5f};
  std::vector<float> x3 = {1.0f, 2.0f, 3.5f, 1.5f, 2.5f, 4.0f};  // I x J
  std::vector<float> x4 = {0.5f, 1.0f, 2.0f, 2.5f};               // Nb x J
  std::vector<float> x5 = {-0.5f, 0.75f};
  std::vector<float> x6 = {1.0f, 4.0f, 9.0f};
  size_t per_pass() const { return static_cast<size_t>(J * I * Nb); }
  double expected(size_t t, size_t j, size_t i, size_t b, double offset = 0.0) const {
    return f6({x1, x2[j], x3[i + static_cast<size_t>(I) * j], x4[b + static_cast<size_t>(Nb) * j], x5[b], x6[t]}) +
           offset;
  }
};

TEST(NnEval33Kernel, ThreePassesInPassOuterMiddlePointOrder) {
  TempDir dir;
  const std::string file = dir.write("m33.dat", linear_model(3, 3, nodes6, f6));
  const Inputs33 in;
  std::vector<float> out(3 * in.per_pass());
  float progress = 4.0f;
  std::vector<float> reported;
  nn_eval_33_kernel(padded(file), in.J, in.I, in.Nb, in.x1, in.x2, in.x3, in.x4, in.x5, in.x6, out, progress, 3.0f,
                    [&](float value) { reported.push_back(value); });
  for (size_t t = 0; t < 3; ++t) {
    for (size_t j = 0; j < 2; ++j) {
      for (size_t i = 0; i < 3; ++i) {
        for (size_t b = 0; b < 2; ++b) {
          EXPECT_NEAR(out[b + 2 * (i + 3 * (j + 2 * t))], in.expected(t, j, i, b), exact) << t << j << i << b;
        }
      }
    }
  }
  EXPECT_EQ(reported, (std::vector<float>{5.0f, 6.0f, 7.0f}));
  EXPECT_EQ(progress, 7.0f);
}

// A group-1 point and a group-2 point outside their knot ranges: zeros, and
// one warning each time the evaluation meets them, in pass, outer, middle,
// point order (the group-1 point in every pass, though its values are kept).
TEST(NnEval33Kernel, PointsOutsideTheKnotRangesWarnAtEveryUse) {
  TempDir dir;
  const std::string file = dir.write("m33.dat", linear_model(3, 3, nodes6, f6));
  Inputs33 in;
  in.x3[0] = 5.0f;   // beyond the last node 4 of dimension 3 (group 1, X)
  in.x5[1] = 1.5f;   // beyond the last node 1 of dimension 5 (group 2, Y)
  std::vector<float> out(3 * in.per_pass(), -1.0f);
  float progress = 0.0f;
  MessageCapture capture;
  nn_eval_33_kernel(padded(file), in.J, in.I, in.Nb, in.x1, in.x2, in.x3, in.x4, in.x5, in.x6, out, progress, 3.0f,
                    {});
  std::vector<std::string> expected_points;
  for (size_t t = 0; t < 3; ++t) {
    for (size_t j = 0; j < 2; ++j) {
      for (size_t i = 0; i < 3; ++i) {
        const bool group1_outside = i == 0 && j == 0;
        if (group1_outside) expected_points.push_back("XVEC(1) = 5.000000");
        for (size_t b = 0; b < 2; ++b) {
          if (b == 1) expected_points.push_back("YVEC(1) = 1.500000");
          const float value = out[b + 2 * (i + 3 * (j + 2 * t))];
          if (group1_outside || b == 1) {
            EXPECT_EQ(value, 0.0f) << t << j << i << b;
          } else {
            EXPECT_NEAR(value, in.expected(t, j, i, b), exact) << t << j << i << b;
          }
        }
      }
    }
  }
  const std::string written = capture.written();
  std::vector<std::string> warned_points;
  const std::regex point(R"([XYZ]VEC\(1\) = [-0-9.]+)");
  for (auto it = std::sregex_iterator(written.begin(), written.end(), point); it != std::sregex_iterator(); ++it) {
    warned_points.push_back(it->str());
  }
  EXPECT_EQ(warned_points, expected_points) << written;
}

// Any order and random coefficients: the staged evaluation equals, bit for
// bit, BS3GD on every group-1 block followed by BS2GD on the block values.
TEST(NnEval32Grid, StagesAgreeExactlyWithTheGridEvaluators) {
  std::mt19937 random(17);
  std::uniform_real_distribution<float> u(-1.0f, 1.0f);
  ModelDefinition model;
  model.ig1 = 3;
  model.ig2 = 2;
  model.ncoef = {5, 6, 7, 4, 5};
  model.kord = {4, 3, 4, 2, 4};
  size_t total = 1;
  for (size_t d = 0; d < 5; ++d) {
    std::vector<float> t;
    const int32_t n = model.ncoef[d], k = model.kord[d];
    for (int32_t i = 0; i < n + k; ++i) {
      t.push_back(static_cast<float>(std::clamp(i - k + 1, 0, n - k + 1)) * (1.0f + 0.1f * static_cast<float>(d)));
    }
    model.knots.push_back(t);
    total *= static_cast<size_t>(n);
  }
  for (size_t i = 0; i < total; ++i) model.coef.push_back(u(random));
  TempDir dir;
  const std::string file = dir.write("cubic32.dat", model);
  const float x1 = 0.7f, x2 = 1.9f, x3 = 2.2f, x4 = 1.3f, x5 = 0.4f;
  float staged = 0.0f;
  nn_eval_32_grid(padded(file), 1, 1, 1, 1, x1, std::vector<float>{x2}, std::vector<float>{x3},
                  std::vector<float>{x4}, std::vector<float>{x5}, std::span<float>(&staged, 1));

  const size_t group1 = 5 * 6 * 7;
  std::vector<float> work(4 * 5);
  for (size_t k = 0; k < work.size(); ++k) {
    const std::span<const float> block(model.coef.data() + k * group1, group1);
    splines::BS3GD(0, 0, 0, 1, std::vector<float>{x3}, 1, std::vector<float>{x2}, 1, std::vector<float>{x1}, 4, 3, 4,
                   model.knots[2], model.knots[1], model.knots[0], 7, 6, 5, block, std::span<float>(&work[k], 1), 1, 1);
  }
  float direct = 0.0f;
  splines::BS2GD(0, 0, 1, std::vector<float>{x5}, 1, std::vector<float>{x4}, 4, 2, model.knots[4], model.knots[3], 5, 4,
                 work, std::span<float>(&direct, 1), 1);
  EXPECT_EQ(staged, direct);
  EXPECT_NE(direct, 0.0f);
}

TEST(NnEval32Grid, CoordinateOutsideTheKnotRangeWarnsAndGivesZero) {
  TempDir dir;
  const std::string file = dir.write("m32.dat", linear_model(3, 2, nodes5, f5));
  const std::vector<float> x2 = {0.0f, 2.5f};  // 2.5 is beyond the last node 2 of dimension 2
  const std::vector<float> x3 = {12.0f};
  const std::vector<float> x4 = {0.5f, 0.5f};
  const std::vector<float> x5 = {1.0f, 1.0f};
  std::vector<float> out(2, -1.0f);
  MessageCapture capture;
  nn_eval_32_grid(padded(file), 2, 2, 1, 1, 0.5f, x2, x3, x4, x5, out);
  EXPECT_NEAR(out[0], f5({0.5f, 0.0f, 12.0f, 0.5f, 1.0f}), exact);
  EXPECT_EQ(out[1], 0.0f);
  // Dimension 2 is the grid evaluator's Y direction of group 1.
  EXPECT_TRUE(splines::testing::block_says(capture.written(), "WARNING ERROR 2 from BS3GD",
                                           "The point YVEC(1) = 2.500000 does not satisfy YKNOT(KYORD) .LE. YVEC(1) "
                                           ".LE. YKNOT(NYCOEF+1).  The value zero is returned in this case."))
      << capture.written();
}

TEST(NnEval32Grid, TooFewCoefficientsForTheOrderStopInTheGridEvaluator) {
  ModelDefinition model = linear_model(3, 2, nodes5, f5);
  model.kord[1] = 5;  // dimension 2 has 4 coefficients
  model.knots[1].insert(model.knots[1].end(), 3, 2.0f);
  TempDir dir;
  const std::string file = dir.write("bad_order.dat", model);
  std::vector<float> out(1, -1.0f);
  MessageCapture capture;
  nn_eval_32_grid(padded(file), 1, 1, 1, 1, 0.5f, std::vector<float>{0.0f}, std::vector<float>{12.0f},
                  std::vector<float>{0.5f}, std::vector<float>{1.0f}, out);
  EXPECT_TRUE(splines::testing::block_says(capture.stop(), "TERMINAL ERROR 5 from BS3GD",
                                           "The number of coefficients of the spline in the Y direction must be at "
                                           "least as large as the order of the spline in the Y direction while "
                                           "NYCOEF = 4 and KYORD = 5 are given."))
      << capture.stop();
  EXPECT_EQ(out[0], -1.0f);
}

TEST(NnEval, CountsOfZeroGiveNoResults) {
  TempDir dir;
  const std::string m32 = dir.write("m32.dat", linear_model(3, 2, nodes5, f5));
  const std::string m22 = dir.write("m22.dat", linear_model(2, 2, nodes4, f4));
  std::vector<float> out(4, -3.0f);
  const std::vector<float> none;
  nn_eval_32_grid(padded(m32), 0, 0, 2, 2, 0.0f, none, none, none, none, out);
  nn_eval_32_paired(padded(m32), 0, 2, 0, 2, none, none, 0.0f, none, none, out);
  nn_eval_22(padded(m22), 0, 2, 0, none, none, 0.0f, none, out);
  EXPECT_EQ(out, std::vector<float>(4, -3.0f));
}

TEST(NnEvalStops, GroupSizesAreCheckedByEachEvaluator) {
  TempDir dir;
  const std::string m32 = padded(dir.write("m32.dat", linear_model(3, 2, nodes5, f5)));
  const std::string m22 = padded(dir.write("m22.dat", linear_model(2, 2, nodes4, f4)));
  const std::string m33 = padded(dir.write("m33.dat", linear_model(3, 3, nodes6, f6)));
  const std::vector<float> one = {1.0f};
  const std::vector<float> three = {1.0f, 2.0f, 3.0f};
  float out[8];
  // A 3+3 model passes the 3+2 grid evaluator's check (only ig1 is tested).
  nn_eval_32_grid(m33, 1, 1, 1, 1, 1.0f, one, one, one, one, std::span<float>(out, 1));
  EXPECT_STOPS_WITH(nn_eval_32_paired(m33, 1, 1, 1, 1, one, one, 1.0f, one, one, std::span<float>(out, 1)),
                    "^ Wrong NN file\n");
  EXPECT_STOPS_WITH(nn_eval_32_grid(m22, 1, 1, 1, 1, 1.0f, one, one, one, one, std::span<float>(out, 1)),
                    "^ Wrong NN\n");
  EXPECT_STOPS_WITH(nn_eval_22(m32, 1, 1, 1, one, one, 1.0f, one, std::span<float>(out, 1)), "^ Incorrect NN\n");
  EXPECT_STOPS_WITH(nn_eval_33_kernel(m32, 1, 1, 1, 1.0f, one, one, one, one, three, std::span<float>(out, 3),
                                      out[7], 1.0f, nullptr),
                    "^ ig1 and ig2 are not 3\n");
  // With counts of zero the file is still read and its groups still tested.
  EXPECT_STOPS_WITH(nn_eval_22(m32, 0, 0, 0, {}, {}, 1.0f, {}, {}), "^ Incorrect NN\n");
  EXPECT_STOPS_WITH(nn_eval_32_grid(padded(dir.file("absent.dat")), 0, 0, 0, 0, 1.0f, {}, {}, {}, {}, {}),
                    "NN model file .*absent\\.dat cannot be opened");
}

}  // namespace
}  // namespace jpcp::nn
