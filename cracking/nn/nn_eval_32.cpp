#include "cracking/nn/nn_eval_32.h"

#include <algorithm>
#include <array>
#include <vector>

#include "common/nn/model_cache.h"
#include "common/nn/staged_model.h"
#include "common/platform/paths.h"
#include "common/platform/run_reporting.h"

namespace jpcp::nn {

namespace {

size_t count_of(int32_t n) { return static_cast<size_t>(std::max(n, 0)); }

// Grid order of the groups: X is the last dimension of a group, Z the first.
constexpr std::array<int32_t, 3> group1_dimensions = {2, 1, 0};
constexpr std::array<int32_t, 2> group2_dimensions = {4, 3};

}  // namespace

void nn_eval_32_grid(std::string_view file_name, int32_t /*total_results*/, int32_t J, int32_t I, int32_t Np,
                     float x1, std::span<const float> x2, std::span<const float> x3, std::span<const float> x4,
                     std::span<const float> x5, std::span<float> output) {
  const std::shared_ptr<const StagedModel> staged = load_model(file_name);
  const ResponseModel& model = staged->model;
  // Only group 1 is tested here; a model with more group-2 dimensions passes.
  if (model.ig1 != 3 || model.ig2 < 2) platform::stop_run(wrong_nn_message, platform::input_file_detail(file_name));
  const size_t nj = count_of(J);
  const size_t ni = count_of(I);
  const size_t np = count_of(Np);
  if (nj == 0 || ni == 0) return;

  StageEvaluator group1(model, group1_dimensions);
  if (!group1.check_shape()) return;
  group1.set_coordinates(0, x3.first(ni));
  group1.set_coordinates(1, x2.first(nj));
  group1.set_coordinates(2, std::span<const float>(&x1, 1));
  StageEvaluator group2(model, group2_dimensions);
  if (np > 0) {
    if (!group2.check_shape()) return;
    if (group2.coefficient_count() > staged->group2_blocks)
      platform::stop_run(wrong_nn_message, platform::input_file_detail(file_name));
    group2.set_coordinates(0, x5.first(np * nj));
    group2.set_coordinates(1, x4.first(np * nj));
  }

  std::vector<float> work(static_cast<size_t>(staged->group2_blocks));
  std::vector<StageEvaluator::KeptPoint> points2(np);
  for (size_t j = 0; j < nj; ++j) {
    // x4, x5 are per point and outer index: the group-2 point is the same for every i.
    for (size_t p = 0; p < np; ++p) group2.keep(std::array<size_t, 2>{p + np * j, p + np * j}, points2[p]);
    for (size_t i = 0; i < ni; ++i) {
      const std::array<size_t, 3> point1 = {i, j, 0};
      if (group1.select(point1)) {
        group1.contract_blocks(*staged, work);
      } else {
        std::fill(work.begin(), work.end(), 0.0f);
      }
      for (size_t p = 0; p < np; ++p) {
        const std::array<size_t, 2> point2 = {p + np * j, p + np * j};
        output[p + np * (i + ni * j)] = group2.contract(points2[p], point2, work);
      }
    }
  }
}

void nn_eval_32_paired(std::string_view file_name, int32_t /*total_results*/, int32_t J, int32_t I, int32_t Np,
                       std::span<const float> x1, std::span<const float> x2, float x3, std::span<const float> x4,
                       std::span<const float> x5, std::span<float> output) {
  const std::shared_ptr<const StagedModel> staged = load_model(file_name);
  const ResponseModel& model = staged->model;
  if (model.ig1 != 3 || model.ig2 != 2)
    platform::stop_run(wrong_nn_file_message, platform::input_file_detail(file_name));
  const size_t nj = count_of(J);
  const size_t ni = count_of(I);
  const size_t np = count_of(Np);
  if (nj == 0 || ni == 0) return;

  StageEvaluator group1(model, group1_dimensions);
  if (!group1.check_shape()) return;
  group1.set_coordinates(0, std::span<const float>(&x3, 1));
  group1.set_coordinates(1, x2.first(ni));
  group1.set_coordinates(2, x1.first(ni));
  StageEvaluator group2(model, group2_dimensions);
  if (np > 0) {
    if (!group2.check_shape()) return;
    group2.set_coordinates(0, x5.first(nj));
    group2.set_coordinates(1, x4.first(np));
  }

  // The group-1 point (x1[i], x2[i], x3) is the same for every j: its
  // contraction is done for the first j and kept per i.
  const size_t blocks = static_cast<size_t>(staged->group2_blocks);
  std::vector<float> stage1(ni * blocks);
  std::vector<StageEvaluator::KeptPoint> points2(np);
  for (size_t j = 0; j < nj; ++j) {
    // The group-2 point (x5[j], x4[p]) is the same for every i.
    for (size_t p = 0; p < np; ++p) group2.keep(std::array<size_t, 2>{j, p}, points2[p]);
    for (size_t i = 0; i < ni; ++i) {
      const std::span<float> work = std::span<float>(stage1).subspan(i * blocks, blocks);
      group1.contract_blocks_kept(*staged, std::array<size_t, 3>{0, i, i}, j == 0, work);
      for (size_t p = 0; p < np; ++p) {
        const std::array<size_t, 2> point2 = {j, p};
        output[p + np * (i + ni * j)] = group2.contract(points2[p], point2, work);
      }
    }
  }
}

}  // namespace jpcp::nn
