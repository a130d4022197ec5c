#include "common/splines/bspline_basis.h"

#include <algorithm>
#include <array>

namespace jpcp::splines {

namespace {

// Orders up to this size keep their recurrence work on the stack; higher
// orders (never met in practice) use a heap buffer.
constexpr int32_t stack_order = 32;

// Cox-de Boor recurrence (de Boor's bsplvb) with caller-supplied work arrays
// of `order` entries each.
void bspline_values_with(std::span<const float> t, int32_t order, int32_t left, float x, float* values,
                         float* delta_right, float* delta_left) {
  values[0] = 1.0f;
  for (int32_t j = 1; j < order; ++j) {
    delta_right[j - 1] = t[static_cast<size_t>(left + j)] - x;
    delta_left[j - 1] = x - t[static_cast<size_t>(left + 1 - j)];
    float saved = 0.0f;
    for (int32_t r = 0; r < j; ++r) {
      const float term = values[r] / (delta_right[r] + delta_left[j - 1 - r]);
      values[r] = saved + delta_right[r] * term;
      saved = delta_left[j - 1 - r] * term;
    }
    values[j] = saved;
  }
}

}  // namespace

bool in_knot_range(std::span<const float> knots, int32_t order, int32_t ncoef, float x) {
  return knots[static_cast<size_t>(order - 1)] <= x && x <= knots[static_cast<size_t>(ncoef)];
}

int32_t find_knot_interval(std::span<const float> knots, int32_t order, int32_t ncoef, float x) {
  // Largest left in [k-1, n-1] with t[left] <= x.
  const auto begin = knots.begin() + (order - 1);
  const auto end = knots.begin() + ncoef;
  int32_t left = static_cast<int32_t>(std::upper_bound(begin, end, x) - knots.begin()) - 1;
  left = std::clamp(left, order - 1, ncoef - 1);
  // At the right end the last interval may have length zero (repeated knots);
  // step back to the last interval of positive length.
  while (left > order - 1 && knots[static_cast<size_t>(left)] == knots[static_cast<size_t>(left + 1)]) --left;
  return left;
}

void bspline_values(std::span<const float> knots, int32_t order, int32_t left, float x, std::span<float> values) {
  if (order <= stack_order) {
    std::array<float, stack_order> right{};
    std::array<float, stack_order> left_delta{};
    bspline_values_with(knots, order, left, x, values.data(), right.data(), left_delta.data());
  } else {
    std::vector<float> work(2 * static_cast<size_t>(order));
    bspline_values_with(knots, order, left, x, values.data(), work.data(), work.data() + order);
  }
}

void bspline_derivatives(std::span<const float> knots, int32_t order, int32_t left, float x, int32_t derivative,
                         std::span<float> values) {
  if (derivative <= 0) {
    bspline_values(knots, order, left, x, values);
    return;
  }
  std::fill(values.begin(), values.begin() + order, 0.0f);
  if (derivative >= order) return;
  // Values of the lower order, then one differencing step per derivative:
  // D B(i,m) = (m-1) (B(i,m-1) / (t(i+m-1) - t(i)) - B(i+1,m-1) / (t(i+m) - t(i+1))).
  const int32_t base_order = order - derivative;
  std::vector<float> lower(static_cast<size_t>(order));
  std::vector<float> raised(static_cast<size_t>(order));
  bspline_values(knots, base_order, left, x, lower);
  for (int32_t m = base_order + 1; m <= order; ++m) {
    const float factor = static_cast<float>(m - 1);
    for (int32_t r = 0; r < m; ++r) {
      const int32_t i = left - m + 1 + r;  // knot index of the B-spline B(i,m)
      float term = 0.0f;
      if (r >= 1) {
        term += lower[static_cast<size_t>(r - 1)] /
                (knots[static_cast<size_t>(i + m - 1)] - knots[static_cast<size_t>(i)]);
      }
      if (r <= m - 2) {
        term -= lower[static_cast<size_t>(r)] / (knots[static_cast<size_t>(i + m)] - knots[static_cast<size_t>(i + 1)]);
      }
      raised[static_cast<size_t>(r)] = factor * term;
    }
    std::copy(raised.begin(), raised.begin() + m, lower.begin());
  }
  std::copy(lower.begin(), lower.begin() + order, values.begin());
}

int32_t hunt_interval(std::span<const float> breaks, float x, int32_t guess) {
  const int32_t last = static_cast<int32_t>(breaks.size()) - 2;
  if (last <= 0 || x < breaks[1]) return 0;
  if (x >= breaks[static_cast<size_t>(last)]) return last;
  // Now b[1] <= x < b[last]: bracket with b[lo] <= x < b[hi].
  auto b = [&](int32_t i) { return breaks[static_cast<size_t>(i)]; };
  int32_t lo = 0;
  int32_t hi = 0;
  const int32_t start = std::clamp(guess, 1, last - 1);
  int32_t stride = 1;
  if (x >= b(start)) {
    lo = start;
    hi = std::min(start + 1, last);
    while (x >= b(hi)) {
      lo = hi;
      stride *= 2;
      hi = std::min(lo + stride, last);
    }
  } else {
    hi = start;
    lo = std::max(start - 1, 1);
    while (x < b(lo)) {
      hi = lo;
      stride *= 2;
      lo = std::max(hi - stride, 1);
    }
  }
  while (hi - lo > 1) {
    const int32_t mid = lo + (hi - lo) / 2;
    if (x >= b(mid)) {
      lo = mid;
    } else {
      hi = mid;
    }
  }
  return lo;
}

void BasisTable::build(std::span<const float> knots, int32_t order, int32_t ncoef, std::span<const float> coordinates,
                       int32_t derivative) {
  order_ = order;
  const size_t count = coordinates.size();
  first_.assign(count, 0);
  in_range_.assign(count, 0);
  values_.assign(count * static_cast<size_t>(order), 0.0f);
  for (size_t p = 0; p < count; ++p) {
    const float x = coordinates[p];
    if (!in_knot_range(knots, order, ncoef, x)) continue;
    const int32_t left = find_knot_interval(knots, order, ncoef, x);
    in_range_[p] = 1;
    first_[p] = left - order + 1;
    bspline_derivatives(knots, order, left, x, derivative,
                        std::span<float>(values_).subspan(p * static_cast<size_t>(order), static_cast<size_t>(order)));
  }
}

int32_t BasisTable::first_outside() const {
  for (size_t p = 0; p < in_range_.size(); ++p) {
    if (in_range_[p] == 0) return static_cast<int32_t>(p);
  }
  return -1;
}

}  // namespace jpcp::splines
