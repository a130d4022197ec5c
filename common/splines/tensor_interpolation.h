// Tensor-product spline interpolation in any number of dimensions, solved
// direction by direction: the interpolation problem of one direction is a
// banded collocation system, factorised once and applied to every line of
// the tensor along that direction.
//
// BS3IN is the three-dimensional case; a model-building tool interpolates
// four to six dimensions with the same routines.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "common/splines/banded_solve.h"

namespace jpcp::splines {

struct InterpolationDirection {
  std::string_view letter;       // direction name in messages: "X", "Y", "Z"
  std::span<const float> data;   // n data abscissas, strictly increasing
  std::span<const float> knots;  // n + order knots
  int32_t order = 0;
};

// Terminal checks of all directions: every order at least 1, then every
// data count at least its order. False after a stop has been reported.
bool check_interpolation_shapes(std::string_view routine, std::span<const InterpolationDirection> directions);

// Fatal checks of one direction, in this order: data strictly increasing,
// knots non-decreasing, no knot repeated more than `order` times, then the
// Schoenberg-Whitney conditions t(1) <= x(1) < t(1+k), t(n) < x(n) <= t(n+k)
// and t(i) < x(i) < t(i+k) inside (1-based). False after a stop.
bool check_interpolation_direction(std::string_view routine, const InterpolationDirection& direction);

// Solves, in place, the interpolation problem along `direction` for every
// line of the tensor. tensor: product of `extents` values, first index
// fastest; extents[direction] == solver.size(). `line` and `work` are reused
// work arrays. False when a refinement step failed on some line.
bool interpolate_along_direction(std::span<float> tensor, std::span<const int32_t> extents, size_t direction,
                                 const CollocationSolver& solver, std::vector<float>& line,
                                 CollocationSolver::RefinementWork& work);

// The whole interpolation: checks (messages from `routine`), then replaces the
// data values (product of the data counts, first direction fastest) by the
// tensor-product B-spline coefficients, direction by direction, with a
// warning for each nearly singular direction. False after a stop.
bool interpolate_tensor(std::string_view routine, std::span<const InterpolationDirection> directions,
                        std::span<float> values);

}  // namespace jpcp::splines
