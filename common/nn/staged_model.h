// Two-stage evaluation of an NN model.
//
// Stage 1 evaluates, at one group-1 point, the group-1 spline of every
// group-2 coefficient block (the k-th block being the k-th run of
// prod(group-1 ncoef) coefficients); stage 2 evaluates the group-2 spline
// whose coefficients are those stage-1 values. Each stage is a 2-D or 3-D
// grid evaluation at a single point, with grid direction X the last
// dimension of the group, Y the one before and Z (3-D) the first; the values
// are bit-for-bit those of BS2GD / BS3GD (same basis values, same
// contraction order). The group-1 contraction runs over all blocks at once on
// a block-major copy of the coefficients, so its cost per point is one pass
// of weight times coefficient row per active coefficient.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "common/nn/response_model.h"
#include "common/splines/bspline_basis.h"

namespace jpcp::nn {

// A model ready for staged evaluation; immutable once built, so the cache
// can hand one to every caller.
struct StagedModel {
  ResponseModel model;
  int64_t group1_size = 0;    // prod(ncoef) over group 1 (coefficients per block)
  int64_t group2_blocks = 0;  // prod(ncoef) over group 2 (number of blocks)
  // block_major[o * group2_blocks + b] = coef[b * group1_size + o]; built for
  // models whose group 1 has 2 or 3 dimensions (the ones the evaluators
  // accept).
  std::vector<float> block_major;
};

StagedModel make_staged_model(ResponseModel model);

// One stage: 2 or 3 model dimensions evaluated like a grid evaluator at one
// point whose coordinates are taken from per-direction coordinate lists.
class StageEvaluator {
 public:
  // dimensions: model dimensions (0-based) in grid order X, Y[, Z].
  StageEvaluator(const ResponseModel& model, std::span<const int32_t> dimensions);

  // The grid evaluator's checks of order and coefficient count per direction
  // (terminal spline errors). Call before set_coordinates when the stage is
  // going to be evaluated at all.
  bool check_shape() const;

  // Coordinate list of direction 0 (X), 1 (Y) or 2 (Z); B-spline values of
  // every coordinate are computed here, once.
  void set_coordinates(size_t direction, std::span<const float> coordinates);

  // Selects the point made of coordinate number index[d] of each direction's
  // list. When a coordinate lies outside its knot range, writes the grid
  // evaluator's warning (first offending direction in X, Y, Z order) and
  // returns false: the stage value is zero.
  bool select(std::span<const size_t> index);
  // The range check and warning of select() alone, for a point whose
  // weights are not needed again.
  bool check(std::span<const size_t> index) const;

  // A point's weights kept for many contractions: the group-2 point of the
  // evaluators repeats for every group-1 point.
  struct KeptPoint {
    bool inside = false;
    std::array<int32_t, 3> first{};  // first active coefficient per direction
    std::vector<float> weights;
  };
  // Fills `point` (no warning: check() or select() reports).
  void keep(std::span<const size_t> index, KeptPoint& point) const;

  // Stage 1 after a successful select: values[b] for every block b.
  void contract_blocks(const StagedModel& staged, std::span<float> values) const;
  // Stage 1 at a point whose values are kept for later uses: the first use
  // selects and contracts (zeros outside the knot ranges); a later one only
  // repeats the warning of a point outside them.
  void contract_blocks_kept(const StagedModel& staged, std::span<const size_t> index, bool first_use,
                            std::span<float> values);
  // Stage 2 after a successful select: the spline with coefficients `coef`
  // (the leading prod(ncoef) of the stage's dimensions are used).
  float contract(std::span<const float> coef) const;
  // Stage 2 at a kept point (made from `index`): its value, or 0 with the
  // warning of select() when the point lies outside the knot ranges.
  float contract(const KeptPoint& point, std::span<const size_t> index, std::span<const float> coef) const {
    if (point.inside) return contract_at(point.first, point.weights, coef);
    check(index);
    return 0.0f;
  }

  size_t directions() const { return count_; }
  // Coefficients the stage's own dimensions span (prod of their ncoef).
  int64_t coefficient_count() const;
  std::string_view routine() const;

 private:
  struct Direction {
    int32_t dimension = 0;
    int32_t order = 0;
    int32_t ncoef = 0;
    std::span<const float> knots;
    std::span<const float> coordinates;
    splines::BasisTable basis;
  };
  // The tensor weights and first coefficients of an inside point.
  void weights_at(std::span<const size_t> index, std::vector<float>& weights, std::array<int32_t, 3>& first) const;
  float contract_at(const std::array<int32_t, 3>& first, std::span<const float> weights,
                    std::span<const float> coef) const;

  size_t count_ = 0;
  std::array<Direction, 3> directions_{};
  std::array<int32_t, 3> selected_first_{};
  std::vector<float> weights_;
};

}  // namespace jpcp::nn
