#include "cracking/nn/nn_eval_33.h"

#include <gtest/gtest.h>

#include "common/nn/model_cache.h"
#include "common/platform/run_scope.h"

#include <array>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "common/nn/model_cache.h"
#include "tests/common/nn/model_test_support.h"
#include "tests/common/splines/spline_test_support.h"

namespace jpcp::nn {
namespace {

using testing::linear_model;
using testing::padded;
using testing::TempDir;

double f6(const std::vector<float>& x) {
  return 2.0 + x[0] - 2.0 * x[1] + 3.0 * x[2] - 4.0 * x[3] + 5.0 * x[4] - 6.0 * x[5] + 0.5 * x[0] * x[5];
}
const std::vector<std::vector<float>> nodes6 = {{0, 1, 2}, {0, 3}, {1, 2, 4}, {0, 1, 2, 3}, {-1, 1}, {0, 5, 10}};

// Model k of the set (1-based) is f6 + 100 k, so the value of a set
// interpolated at q is f6 + 100 (k + (q - T(k)) / (T(k+1) - T(k))).
class ModelSet : public ::testing::Test {
 protected:
  ModelSet() {
    for (int k = 1; k <= 4; ++k) {
      const double offset = 100.0 * k;
      names_.push_back(padded(dir_.write("set" + std::to_string(k) + ".dat",
                                         linear_model(3, 3, nodes6, [&](const std::vector<float>& x) {
                                           return f6(x) + offset;
                                         }))));
    }
  }

  // Evaluates the set at the query values; returns n x m results and counts
  // the progress reports.
  std::vector<float> evaluate(const std::vector<float>& q, int32_t n = 3 * 2 * 2 * 2) {
    std::vector<float> out(static_cast<size_t>(n) * q.size(), -1.0f);
    reports_.clear();
    progress_ = 10.0f;
    nn_eval_33_set(names_, n, J, I, Nb, static_cast<int32_t>(q.size()), T, q, x1, x2, x3, x4, x5, x6, out,
                   progress_, 6.0f, [&](float value) { reports_.push_back(value); });
    return out;
  }

  // The value of result r (pass-outer order) of model offset `model`.
  double expected(size_t r, double model) const {
    const size_t b = r % 2, i = r / 2 % 2, j = r / 4 % 2, t = r / 8;
    return f6({x1, x2[j], x3[i + 2 * j], x4[b + 2 * j], x5[b], x6[t]}) + 100.0 * model;
  }

  static constexpr int32_t J = 2, I = 2, Nb = 2;
  const std::vector<float> T = {1.0f, 2.0f, 4.0f, 8.0f};
  const float x1 = 1.5f;
  const std::vector<float> x2 = {0.5f, 2.5f};
  const std::vector<float> x3 = {1.0f, 2.0f, 3.5f, 1.5f};
  const std::vector<float> x4 = {0.5f, 1.0f, 2.0f, 2.5f};
  const std::vector<float> x5 = {-0.5f, 0.75f};
  const std::vector<float> x6 = {1.0f, 4.0f, 9.0f};
  TempDir dir_;
  std::vector<std::string> names_;
  std::vector<float> reports_;
  float progress_ = 0.0f;
};

constexpr double tolerance = 2e-4;  // values up to ~1000 in single precision

TEST_F(ModelSet, SinglePointAtANodeUsesThatModelAlone) {
  const std::vector<float> out = evaluate({2.0f});
  for (size_t r = 0; r < 24; ++r) EXPECT_NEAR(out[r], expected(r, 2), tolerance) << r;
  // One model read: three pass steps of the whole share.
  EXPECT_EQ(reports_, (std::vector<float>{12.0f, 14.0f, 16.0f}));
}

TEST_F(ModelSet, SinglePointBetweenNodesInterpolatesItsTwoModels) {
  const std::vector<float> out = evaluate({3.0f});
  for (size_t r = 0; r < 24; ++r) EXPECT_NEAR(out[r], expected(r, 2.5), tolerance) << r;
  EXPECT_EQ(reports_, (std::vector<float>{11.0f, 12.0f, 13.0f, 14.0f, 15.0f, 16.0f}));
}

TEST_F(ModelSet, SinglePointBeyondTheEndNodesUsesTheEndModel) {
  const std::vector<float> above = evaluate({10.0f});
  for (size_t r = 0; r < 24; ++r) EXPECT_NEAR(above[r], expected(r, 4), tolerance) << r;
  EXPECT_EQ(reports_.size(), 3u);
  const std::vector<float> below = evaluate({0.5f});
  for (size_t r = 0; r < 24; ++r) EXPECT_NEAR(below[r], expected(r, 1), tolerance) << r;
  EXPECT_EQ(reports_.size(), 3u);
}

TEST_F(ModelSet, TwoPointsBelowTheFirstNodeExtrapolateFromModelsOneAndTwo) {
  const std::vector<float> out = evaluate({0.5f, 0.25f});
  for (size_t r = 0; r < 24; ++r) {
    EXPECT_NEAR(out[r], expected(r, 0.5), tolerance) << r;
    EXPECT_NEAR(out[24 + r], expected(r, 0.25), tolerance) << r;
  }
  EXPECT_EQ(reports_.size(), 6u);
  EXPECT_EQ(progress_, 16.0f);
}

TEST_F(ModelSet, SeveralPointsKeepTheCallersOrderAndAPointAboveTheLastNodeTakesModelFour) {
  const std::vector<float> out = evaluate({3.0f, 1.0f, 9.0f, 6.0f});
  for (size_t r = 0; r < 24; ++r) {
    EXPECT_NEAR(out[r], expected(r, 2.5), tolerance) << r;
    EXPECT_NEAR(out[24 + r], expected(r, 1), tolerance) << r;
    EXPECT_NEAR(out[48 + r], expected(r, 4), tolerance) << r;
    EXPECT_NEAR(out[72 + r], expected(r, 3.5), tolerance) << r;
  }
  // Models 1 to 4 read.
  EXPECT_EQ(reports_.size(), 12u);
  EXPECT_NEAR(progress_, 16.0f, 1e-5f);
  // Every point above the last node, even the smallest one.
  const std::vector<float> all_above = evaluate({12.0f, 9.0f});
  for (size_t r = 0; r < 48; ++r) EXPECT_NEAR(all_above[r], expected(r % 24, 4), tolerance) << r;
}

TEST_F(ModelSet, KeepingOnlyTheFirstPass) {
  const std::vector<float> full = evaluate({3.0f, 5.0f});
  const std::vector<float> first = evaluate({3.0f, 5.0f}, J * I * Nb);
  ASSERT_EQ(first.size(), 16u);
  for (size_t r = 0; r < 8; ++r) {
    EXPECT_EQ(first[r], full[r]);
    EXPECT_EQ(first[8 + r], full[24 + r]);
  }
  EXPECT_EQ(reports_.size(), 9u) << "every pass still reports its progress";
}

TEST_F(ModelSet, TransposedCoefficientOrderGivesWrongValuesWithoutAnError) {
  // The same model written with the group-1 dimensions in reverse order.
  auto reversed = [](const std::vector<float>& x) {
    return f6({x[2], x[1], x[0], x[3], x[4], x[5]}) + 200.0;
  };
  std::vector<std::vector<float>> nodes = nodes6;
  std::swap(nodes[0], nodes[2]);
  names_[1] = padded(dir_.write("transposed.dat", linear_model(3, 3, nodes, reversed)));
  splines::testing::MessageCapture capture;
  const std::vector<float> out = evaluate({2.0f});
  size_t differing = 0;
  for (size_t r = 0; r < 24; ++r) differing += std::fabs(out[r] - expected(r, 2)) > 1.0 ? 1 : 0;
  EXPECT_GT(differing, 0u);
}

TEST(ModelCache, ResultsFollowTheFileAndCachedCallsAreNotReparsed) {
  TempDir dir;
  ModelCache cache;
  platform::RunScope scope;
  scope.models = &cache;
  platform::ActiveRunScope active(scope);
  auto model = [](double offset) {
    return linear_model(3, 3, nodes6, [=](const std::vector<float>& x) { return f6(x) + offset; });
  };
  const std::string file = dir.write("cached.dat", model(0.0));
  const std::vector<float> one = {1.5f};
  const std::vector<float> x6 = {1.0f, 2.0f, 3.0f};
  auto value_now = [&]() {
    std::array<float, 3> out{};
    float progress = 0.0f;
    nn_eval_33_kernel(padded(file), 1, 1, 1, 1.0f, one, one, one, std::vector<float>{0.5f}, x6, out, progress, 1.0f,
                      nullptr);
    return out[0];
  };
  const float first = value_now();
  const long parses = cache.parse_count();
  EXPECT_EQ(value_now(), first);
  EXPECT_EQ(cache.parse_count() - parses, model_cache_enabled() ? 0 : 1);

  // A different size: read again.
  dir.write("cached.dat", model(5000.0));
  EXPECT_NEAR(value_now(), first + 5000.0f, 1e-3f);
  // The same size with a new modification time: read again.
  const std::string same_size = testing::model_text(model(6000.0));
  ASSERT_EQ(same_size.size(), testing::model_text(model(5000.0)).size());
  const auto stamp = std::filesystem::last_write_time(file);
  dir.write("cached.dat", same_size);
  std::filesystem::last_write_time(file, stamp + std::chrono::seconds(2));
  EXPECT_NEAR(value_now(), first + 6000.0f, 1e-3f);
}

}  // namespace
}  // namespace jpcp::nn
