#include "common/nn/staged_model.h"

#include <algorithm>

#include "common/splines/bs_grid_eval.h"
#include "common/splines/spline_messages.h"
#include "common/splines/tensor_contraction.h"

namespace jpcp::nn {

namespace {

constexpr std::array<std::string_view, 3> direction_letters = {"X", "Y", "Z"};

int64_t product_of_counts(const std::vector<int32_t>& ncoef, size_t first, size_t last) {
  int64_t product = 1;
  for (size_t d = first; d < last; ++d) product *= ncoef[d];
  return product;
}

}  // namespace

StagedModel make_staged_model(ResponseModel model) {
  StagedModel staged;
  const size_t n = model.ncoef.size();
  const size_t group1 = static_cast<size_t>(std::clamp<int64_t>(model.ig1, 0, static_cast<int64_t>(n)));
  staged.group1_size = product_of_counts(model.ncoef, 0, group1);
  staged.group2_blocks = product_of_counts(model.ncoef, group1, n);
  if ((group1 == 2 || group1 == 3) && !model.coef.empty()) {
    const int64_t blocks = staged.group2_blocks;
    const int64_t size = staged.group1_size;
    staged.block_major.resize(model.coef.size());
    for (int64_t b = 0; b < blocks; ++b) {
      for (int64_t o = 0; o < size; ++o) {
        staged.block_major[static_cast<size_t>(o * blocks + b)] = model.coef[static_cast<size_t>(b * size + o)];
      }
    }
  }
  staged.model = std::move(model);
  return staged;
}

StageEvaluator::StageEvaluator(const ResponseModel& model, std::span<const int32_t> dimensions)
    : count_(dimensions.size()) {
  for (size_t d = 0; d < count_; ++d) {
    Direction& direction = directions_[d];
    direction.dimension = dimensions[d];
    const size_t m = static_cast<size_t>(dimensions[d]);
    direction.order = model.kord[m];
    direction.ncoef = model.ncoef[m];
    direction.knots = model.knots[m];
  }
}

std::string_view StageEvaluator::routine() const {
  return count_ == 3 ? splines::routine_BS3GD : splines::routine_BS2GD;
}

int64_t StageEvaluator::coefficient_count() const {
  int64_t count = 1;
  for (size_t d = 0; d < count_; ++d) count *= directions_[d].ncoef;
  return count;
}

bool StageEvaluator::check_shape() const {
  std::array<splines::GridDirection, 3> grid{};
  for (size_t d = 0; d < count_; ++d) {
    grid[d] = splines::GridDirection{direction_letters[d], directions_[d].order, directions_[d].ncoef, 0, {}};
  }
  return splines::check_grid_directions(routine(), std::span<const splines::GridDirection>(grid.data(), count_));
}

void StageEvaluator::set_coordinates(size_t direction, std::span<const float> coordinates) {
  Direction& d = directions_[direction];
  d.coordinates = coordinates;
  d.basis.build(d.knots, d.order, d.ncoef, coordinates);
}

bool StageEvaluator::check(std::span<const size_t> index) const {
  for (size_t d = 0; d < count_; ++d) {
    const Direction& direction = directions_[d];
    if (!direction.basis.in_range(index[d])) {
      // Report as the grid evaluator called with this single point would.
      splines::check_coordinate_range(routine(), static_cast<int32_t>(d), direction_letters[d], 1,
                                      direction.coordinates[index[d]], direction.knots, direction.order,
                                      direction.ncoef);
      return false;
    }
  }
  return true;
}

void StageEvaluator::weights_at(std::span<const size_t> index, std::vector<float>& weights,
                                std::array<int32_t, 3>& first) const {
  size_t weight_count = 1;
  for (size_t d = 0; d < count_; ++d) {
    weight_count *= static_cast<size_t>(directions_[d].order);
    first[d] = directions_[d].basis.first(index[d]);
  }
  weights.resize(weight_count);
  if (count_ == 3) {
    splines::tensor_weights_3d(directions_[0].basis.values(index[0]), directions_[1].basis.values(index[1]),
                               directions_[2].basis.values(index[2]), weights);
  } else {
    splines::tensor_weights_2d(directions_[0].basis.values(index[0]), directions_[1].basis.values(index[1]), weights);
  }
}

bool StageEvaluator::select(std::span<const size_t> index) {
  if (!check(index)) return false;
  weights_at(index, weights_, selected_first_);
  return true;
}

void StageEvaluator::keep(std::span<const size_t> index, KeptPoint& point) const {
  point.inside = true;
  for (size_t d = 0; d < count_; ++d) point.inside = point.inside && directions_[d].basis.in_range(index[d]);
  if (point.inside) weights_at(index, point.weights, point.first);
}

void StageEvaluator::contract_blocks(const StagedModel& staged, std::span<float> values) const {
  const Direction& x = directions_[0];
  const Direction& y = directions_[1];
  const auto& first = selected_first_;
  if (count_ == 3) {
    const Direction& z = directions_[2];
    splines::contract_blocks_3d(staged.block_major, staged.group2_blocks, x.ncoef, y.ncoef, first[0], first[1],
                                first[2], x.order, y.order, z.order, weights_, values);
  } else {
    splines::contract_blocks_2d(staged.block_major, staged.group2_blocks, x.ncoef, first[0], first[1], x.order,
                                y.order, weights_, values);
  }
}

void StageEvaluator::contract_blocks_kept(const StagedModel& staged, std::span<const size_t> index, bool first_use,
                                          std::span<float> values) {
  if (!first_use) {
    check(index);
  } else if (select(index)) {
    contract_blocks(staged, values);
  } else {
    std::fill(values.begin(), values.end(), 0.0f);
  }
}

float StageEvaluator::contract(std::span<const float> coef) const {
  return contract_at(selected_first_, weights_, coef);
}

float StageEvaluator::contract_at(const std::array<int32_t, 3>& first, std::span<const float> weights,
                                  std::span<const float> coef) const {
  const Direction& x = directions_[0];
  const Direction& y = directions_[1];
  if (count_ == 3) {
    const Direction& z = directions_[2];
    return splines::contract_3d(coef, x.ncoef, y.ncoef, first[0], first[1], first[2], x.order, y.order, z.order,
                                weights);
  }
  return splines::contract_2d(coef, x.ncoef, first[0], first[1], x.order, y.order, weights);
}

}  // namespace jpcp::nn
