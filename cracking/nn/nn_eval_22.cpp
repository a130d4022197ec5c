#include "cracking/nn/nn_eval_22.h"

#include <algorithm>
#include <array>
#include <vector>

#include "common/nn/model_cache.h"
#include "common/nn/staged_model.h"
#include "common/platform/paths.h"
#include "common/platform/run_reporting.h"

namespace jpcp::nn {

void nn_eval_22(std::string_view file_name, int32_t /*total_results*/, int32_t J, int32_t I, std::span<const float> x1,
                std::span<const float> x2, float x3, std::span<const float> x4, std::span<float> output) {
  const std::shared_ptr<const StagedModel> staged = load_model(file_name);
  const ResponseModel& model = staged->model;
  // Only group 1 is tested here; a model with more group-2 dimensions passes.
  if (model.ig1 != 2 || model.ig2 < 2) platform::stop_run(incorrect_nn_message, platform::input_file_detail(file_name));
  const size_t nj = static_cast<size_t>(std::max(J, 0));
  const size_t ni = static_cast<size_t>(std::max(I, 0));
  if (nj == 0 || ni == 0) return;

  // Grid order: X is the last dimension of a group.
  constexpr std::array<int32_t, 2> group1_dimensions = {1, 0};
  constexpr std::array<int32_t, 2> group2_dimensions = {3, 2};
  StageEvaluator group1(model, group1_dimensions);
  if (!group1.check_shape()) return;
  group1.set_coordinates(0, x2.first(ni));
  group1.set_coordinates(1, x1.first(nj));
  StageEvaluator group2(model, group2_dimensions);
  if (!group2.check_shape()) return;
  if (group2.coefficient_count() > staged->group2_blocks)
    platform::stop_run(incorrect_nn_message, platform::input_file_detail(file_name));
  group2.set_coordinates(0, x4.first(ni));
  group2.set_coordinates(1, std::span<const float>(&x3, 1));

  std::vector<float> work(static_cast<size_t>(staged->group2_blocks));
  for (size_t j = 0; j < nj; ++j) {
    for (size_t i = 0; i < ni; ++i) {
      const std::array<size_t, 2> point1 = {i, j};
      if (group1.select(point1)) {
        group1.contract_blocks(*staged, work);
      } else {
        std::fill(work.begin(), work.end(), 0.0f);
      }
      const std::array<size_t, 2> point2 = {i, 0};
      output[i + ni * j] = group2.select(point2) ? group2.contract(work) : 0.0f;
    }
  }
}

}  // namespace jpcp::nn
