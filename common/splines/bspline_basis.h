// One-dimensional B-spline building blocks: knot interval search and the
// values (or derivatives) of the normalised B-splines that are non-zero at a
// point, by the Cox-de Boor recurrence.
//
// Conventions: a spline of order k (degree k-1) with n coefficients has the
// knots t[0 .. n+k-1] (0-based here), non-decreasing; its domain is
// t[k-1] <= x <= t[n]. These kernels check nothing beyond what their contract
// comments say; the callers (BSNAK, BS3IN, BS2GD, BS3GD, the model
// evaluators) check their arguments first.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace jpcp::splines {

// True when t[k-1] <= x <= t[n] (both ends included; false for NaN).
bool in_knot_range(std::span<const float> knots, int32_t order, int32_t ncoef, float x);

// The knot interval `left` (0-based) of x: t[left] <= x < t[left+1] with
// k-1 <= left <= n-1. The right end x = t[n] belongs to the last interval of
// positive length. Requires in_knot_range(knots, order, ncoef, x) and
// knots.size() >= n+k.
int32_t find_knot_interval(std::span<const float> knots, int32_t order, int32_t ncoef, float x);

// Values of the `order` B-splines of that order that are non-zero on the
// interval `left`: values[r] = B(left-order+1+r)(x), r = 0..order-1.
// values.size() >= order.
void bspline_values(std::span<const float> knots, int32_t order, int32_t left, float x, std::span<float> values);

// Derivatives of order `derivative` (>= 0) of the same B-splines; zero when
// the derivative order is `order` or higher. values.size() >= order.
void bspline_derivatives(std::span<const float> knots, int32_t order, int32_t left, float x, int32_t derivative,
                         std::span<float> values);

// Index of the interval of x among break points b[0 .. nb-1] (nb >= 2): the
// largest i in 0..nb-2 with b[i] <= x, or 0 when x < b[0]. The search starts
// from `guess` (the interval found last) and steps outward in doubling strides
// before bisecting, so that sorted queries cost close to constant time.
int32_t hunt_interval(std::span<const float> breaks, float x, int32_t guess);

// The B-spline values (or derivatives) of one direction at a list of
// coordinates, computed once and reused across a grid or many model blocks.
class BasisTable {
 public:
  // knots: ncoef+order knots; coordinates: any count. A coordinate outside the
  // knot range is marked and gets no values (see in_range).
  void build(std::span<const float> knots, int32_t order, int32_t ncoef, std::span<const float> coordinates,
             int32_t derivative = 0);

  int32_t order() const { return order_; }
  size_t size() const { return first_.size(); }
  bool in_range(size_t point) const { return in_range_[point] != 0; }
  // Index of the first of the `order` active coefficients at the point.
  int32_t first(size_t point) const { return first_[point]; }
  std::span<const float> values(size_t point) const {
    return std::span<const float>(values_).subspan(point * static_cast<size_t>(order_), static_cast<size_t>(order_));
  }
  // Index of the first coordinate outside the knot range, or -1.
  int32_t first_outside() const;

 private:
  int32_t order_ = 0;
  std::vector<int32_t> first_;
  std::vector<uint8_t> in_range_;
  std::vector<float> values_;  // order values per coordinate
};

}  // namespace jpcp::splines
