#include "common/splines/banded_solve.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "common/splines/bspline_basis.h"

namespace jpcp::splines {

void BandedMatrix::reset(int32_t n, int32_t lower, int32_t upper) {
  n_ = n;
  lower_ = lower;
  upper_ = upper;
  width_ = lower + upper + 1;
  band_.assign(static_cast<size_t>(n) * static_cast<size_t>(width_), 0.0f);
}

void BandedMatrix::multiply(std::span<const float> x, std::span<double> y) const {
  for (int32_t r = 0; r < n_; ++r) {
    double sum = 0.0;
    const int32_t first = std::max(0, r - lower_);
    const int32_t last = std::min(n_ - 1, r + upper_);
    for (int32_t c = first; c <= last; ++c) sum += static_cast<double>(at(r, c)) * static_cast<double>(x[c]);
    y[static_cast<size_t>(r)] = sum;
  }
}

float BandedMatrix::factorise() {
  float largest_entry = 0.0f;
  for (float v : band_) largest_entry = std::max(largest_entry, std::fabs(v));
  // Stand-in for a vanished pivot: tiny against the matrix, but finite.
  const float tiny = largest_entry > 0.0f ? largest_entry * std::numeric_limits<float>::epsilon() *
                                                std::numeric_limits<float>::epsilon()
                                          : std::numeric_limits<float>::min();
  float smallest_pivot = std::numeric_limits<float>::infinity();
  float largest_pivot = 0.0f;
  for (int32_t p = 0; p < n_; ++p) {
    float pivot = at(p, p);
    smallest_pivot = std::min(smallest_pivot, std::fabs(pivot));
    largest_pivot = std::max(largest_pivot, std::fabs(pivot));
    if (pivot == 0.0f) {
      pivot = tiny;
      at(p, p) = pivot;
    }
    const int32_t last_row = std::min(n_ - 1, p + lower_);
    const int32_t last_column = std::min(n_ - 1, p + upper_);
    for (int32_t r = p + 1; r <= last_row; ++r) {
      const float factor = at(r, p) / pivot;
      at(r, p) = factor;
      if (factor == 0.0f) continue;
      for (int32_t c = p + 1; c <= last_column; ++c) at(r, c) = at(r, c) - factor * at(p, c);
    }
  }
  if (n_ == 0 || largest_pivot == 0.0f) return 0.0f;
  return smallest_pivot / largest_pivot;
}

void BandedMatrix::solve(std::span<float> b) const {
  for (int32_t r = 1; r < n_; ++r) {
    float sum = b[static_cast<size_t>(r)];
    for (int32_t c = std::max(0, r - lower_); c < r; ++c) sum = sum - at(r, c) * b[static_cast<size_t>(c)];
    b[static_cast<size_t>(r)] = sum;
  }
  for (int32_t r = n_ - 1; r >= 0; --r) {
    float sum = b[static_cast<size_t>(r)];
    const int32_t last = std::min(n_ - 1, r + upper_);
    for (int32_t c = r + 1; c <= last; ++c) sum = sum - at(r, c) * b[static_cast<size_t>(c)];
    b[static_cast<size_t>(r)] = sum / at(r, r);
  }
}

void CollocationSolver::factor(std::span<const float> data, std::span<const float> knots, int32_t order) {
  const int32_t n = static_cast<int32_t>(data.size());
  std::vector<int32_t> lefts(data.size());
  int32_t lower = 0;
  int32_t upper = 0;
  for (int32_t r = 0; r < n; ++r) {
    const int32_t left = find_knot_interval(knots, order, n, data[static_cast<size_t>(r)]);
    lefts[static_cast<size_t>(r)] = left;
    // Row r is non-zero in the columns left-order+1 .. left.
    lower = std::max(lower, r - (left - order + 1));
    upper = std::max(upper, left - r);
  }
  original_.reset(n, std::min(lower, std::max(n - 1, 0)), std::min(upper, std::max(n - 1, 0)));
  std::vector<float> values(static_cast<size_t>(order));
  for (int32_t r = 0; r < n; ++r) {
    const int32_t left = lefts[static_cast<size_t>(r)];
    bspline_values(knots, order, left, data[static_cast<size_t>(r)], values);
    for (int32_t m = 0; m < order; ++m) {
      const int32_t column = left - order + 1 + m;
      if (column >= 0 && column < n) original_.at(r, column) = values[static_cast<size_t>(m)];
    }
  }
  factors_ = original_;
  pivot_ratio_ = factors_.factorise();
}

double CollocationSolver::residual(std::span<const float> x, RefinementWork& work) const {
  original_.multiply(x, work.product);
  double largest = 0.0;
  for (size_t i = 0; i < x.size(); ++i) {
    const double r = static_cast<double>(work.rhs[i]) - work.product[i];
    work.correction[i] = static_cast<float>(r);
    largest = std::max(largest, std::fabs(r));
  }
  return largest;
}

bool CollocationSolver::solve(std::span<float> b, RefinementWork& work) const {
  if (!nearly_singular()) {
    factors_.solve(b);
    return true;
  }
  const size_t n = b.size();
  work.rhs.assign(b.begin(), b.end());
  work.correction.resize(n);
  work.product.resize(n);
  factors_.solve(b);
  const double residual_before = residual(b, work);
  if (residual_before == 0.0) return true;
  factors_.solve(work.correction);
  work.first_solution.assign(b.begin(), b.end());
  double data_norm = 0.0;
  for (size_t i = 0; i < n; ++i) {
    data_norm = std::max(data_norm, std::fabs(static_cast<double>(work.rhs[i])));
    b[i] = b[i] + work.correction[i];
  }
  double residual_after = residual(b, work);
  if (residual_after > residual_before) {
    std::copy(work.first_solution.begin(), work.first_solution.end(), b.begin());
    residual_after = residual_before;
  }
  // The refined coefficients must reproduce the data to single precision.
  return residual_after <= refinement_tolerance * data_norm;
}

}  // namespace jpcp::splines
