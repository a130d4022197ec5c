#include "common/splines/csiez.h"

#include <algorithm>
#include <new>
#include <numeric>
#include <vector>

#include "common/splines/bspline_basis.h"
#include "common/splines/spline_messages.h"
#include "common/splines/spline_values.h"

namespace jpcp::splines {

namespace {

constexpr int32_t code_fewer_than_two = 1;
constexpr int32_t code_no_query = 2;
constexpr int32_t code_data_not_distinct = 3;
constexpr int32_t code_query_not_distinct = 4;
constexpr int32_t code_storage = 5;

// Piecewise cubic: on [breaks[i], breaks[i+1]) the value at d = x - breaks[i]
// is c0 + d (c1 + d (c2 + d c3)), the Taylor coefficients (value, slope,
// half the second and a sixth of the third derivative) at the left break.
struct PiecewiseCubic {
  std::vector<float> breaks;
  std::vector<float> c0, c1, c2, c3;
};

// Permutation that sorts `values` ascending (stable).
std::vector<size_t> sorting_permutation(std::span<const float> values) {
  std::vector<size_t> order(values.size());
  std::iota(order.begin(), order.end(), size_t{0});
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return values[a] < values[b]; });
  return order;
}

// Index pair (1-based, ascending) of the first two equal values in sorted
// order, or {0, 0}.
std::pair<int64_t, int64_t> first_equal_pair(std::span<const float> values, const std::vector<size_t>& order) {
  for (size_t i = 1; i < order.size(); ++i) {
    if (values[order[i - 1]] == values[order[i]]) {
      const size_t a = std::min(order[i - 1], order[i]);
      const size_t b = std::max(order[i - 1], order[i]);
      return {static_cast<int64_t>(a + 1), static_cast<int64_t>(b + 1)};
    }
  }
  return {0, 0};
}

// Second derivatives M of the not-a-knot cubic spline through sorted data.
// Interior equations h(i-1) M(i-1) + 2 (h(i-1) + h(i)) M(i) + h(i) M(i+1) =
// 6 (slope(i) - slope(i-1)); the not-a-knot conditions (third derivative
// continuous at the second and next-to-last break) eliminate M(0) and
// M(n-1) from the first and last equations, leaving a diagonally dominant
// tridiagonal system in M(1..n-2).
std::vector<float> not_a_knot_second_derivatives(const std::vector<float>& x, const std::vector<float>& f) {
  const size_t n = x.size();
  std::vector<float> m(n, 0.0f);
  if (n == 2) return m;
  std::vector<float> h(n - 1);
  std::vector<float> slope(n - 1);
  for (size_t i = 0; i + 1 < n; ++i) {
    h[i] = x[i + 1] - x[i];
    slope[i] = (f[i + 1] - f[i]) / h[i];
  }
  if (n == 3) {
    // The parabola through the three points: constant second derivative.
    const float curvature = 2.0f * (slope[1] - slope[0]) / (x[2] - x[0]);
    std::fill(m.begin(), m.end(), curvature);
    return m;
  }
  const size_t unknowns = n - 2;  // M(1) .. M(n-2)
  std::vector<float> lower(unknowns, 0.0f), diagonal(unknowns), upper(unknowns, 0.0f), rhs(unknowns);
  for (size_t r = 0; r < unknowns; ++r) {
    const size_t i = r + 1;
    lower[r] = h[i - 1];
    diagonal[r] = 2.0f * (h[i - 1] + h[i]);
    upper[r] = h[i];
    rhs[r] = 6.0f * (slope[i] - slope[i - 1]);
  }
  {
    const float a = h[0];
    const float b = h[1];
    diagonal[0] = (a + b) * (a + 2.0f * b) / b;
    upper[0] = (b * b - a * a) / b;
    lower[0] = 0.0f;
  }
  {
    const float a = h[n - 3];
    const float b = h[n - 2];
    diagonal[unknowns - 1] = (a + b) * (2.0f * a + b) / a;
    lower[unknowns - 1] = (a * a - b * b) / a;
    upper[unknowns - 1] = 0.0f;
  }
  // Forward elimination and back substitution.
  for (size_t r = 1; r < unknowns; ++r) {
    const float factor = lower[r] / diagonal[r - 1];
    diagonal[r] = diagonal[r] - factor * upper[r - 1];
    rhs[r] = rhs[r] - factor * rhs[r - 1];
  }
  m[unknowns] = rhs[unknowns - 1] / diagonal[unknowns - 1];
  for (size_t r = unknowns - 1; r-- > 0;) m[r + 1] = (rhs[r] - upper[r] * m[r + 2]) / diagonal[r];
  // The eliminated end values.
  m[0] = ((h[0] + h[1]) * m[1] - h[0] * m[2]) / h[1];
  m[n - 1] = ((h[n - 3] + h[n - 2]) * m[n - 2] - h[n - 2] * m[n - 3]) / h[n - 3];
  return m;
}

PiecewiseCubic build_interpolant(std::vector<float> x, const std::vector<float>& f) {
  const std::vector<float> m = not_a_knot_second_derivatives(x, f);
  const size_t intervals = x.size() - 1;
  PiecewiseCubic cubic;
  cubic.c0.resize(intervals);
  cubic.c1.resize(intervals);
  cubic.c2.resize(intervals);
  cubic.c3.resize(intervals);
  for (size_t i = 0; i < intervals; ++i) {
    const float h = x[i + 1] - x[i];
    const float slope = (f[i + 1] - f[i]) / h;
    cubic.c0[i] = f[i];
    cubic.c1[i] = slope - h * (2.0f * m[i] + m[i + 1]) / 6.0f;
    cubic.c2[i] = m[i] / 2.0f;
    cubic.c3[i] = (m[i + 1] - m[i]) / (6.0f * h);
  }
  cubic.breaks = std::move(x);
  return cubic;
}

}  // namespace

namespace {

// CSIEZ's work: the checks on the data, the interpolant and its values at
// the queries. With `distinct_queries` the queries must be distinct (CSIEZ);
// without, they may come in any order and repeat. A value depends on its
// point only (its interval is found whatever the guess), so the order in
// which the queries are taken does not change it.
void evaluate_spline(int32_t NDATA, std::span<const float> XDATA, std::span<const float> FDATA, int32_t N,
                     std::span<const float> XVEC, std::span<float> VALUE, bool distinct_queries) {
  if (NDATA < 2) {
    report_spline_error(ErrorKind::terminal, code_fewer_than_two, routine_CSIEZ, message::cubic_fewer_than_two, {{NDATA}});
    return;
  }
  if (N < 1) {
    report_spline_error(ErrorKind::terminal, code_no_query, routine_CSIEZ, message::cubic_no_query, {{N}});
    return;
  }
  const std::span<const float> x_data = XDATA.first(static_cast<size_t>(NDATA));
  const std::span<const float> f_data = FDATA.first(static_cast<size_t>(NDATA));
  const std::span<const float> queries = XVEC.first(static_cast<size_t>(N));
  try {
    const std::vector<size_t> data_order = sorting_permutation(x_data);
    if (const auto [first, second] = first_equal_pair(x_data, data_order); first != 0) {
      report_spline_error(ErrorKind::terminal, code_data_not_distinct, routine_CSIEZ, message::abscissas_not_distinct,
                          {{first, second}, {x_data[static_cast<size_t>(first - 1)]}});
      return;
    }
    std::vector<float> x(data_order.size());
    std::vector<float> f(data_order.size());
    for (size_t i = 0; i < data_order.size(); ++i) {
      x[i] = x_data[data_order[i]];
      f[i] = f_data[data_order[i]];
    }
    const PiecewiseCubic cubic = build_interpolant(std::move(x), f);
    int32_t interval = 0;
    auto evaluate = [&](size_t q) {
      const float xq = queries[q];
      interval = hunt_interval(cubic.breaks, xq, interval);
      const size_t i = static_cast<size_t>(interval);
      const float d = xq - cubic.breaks[i];
      VALUE[q] = cubic.c0[i] + d * (cubic.c1[i] + d * (cubic.c2[i] + d * cubic.c3[i]));
    };
    if (!distinct_queries) {
      for (size_t q = 0; q < queries.size(); ++q) evaluate(q);
      return;
    }
    const std::vector<size_t> query_order = sorting_permutation(queries);
    if (const auto [first, second] = first_equal_pair(queries, query_order); first != 0) {
      report_spline_error(ErrorKind::fatal, code_query_not_distinct, routine_CSIEZ, message::not_strictly_increasing,
                          {{first, second},
                           {queries[static_cast<size_t>(first - 1)], queries[static_cast<size_t>(second - 1)]},
                           {"X", "XVEC"}});
      return;
    }
    for (const size_t q : query_order) evaluate(q);
  } catch (const std::bad_alloc&) {
    report_spline_error(ErrorKind::terminal, code_storage, routine_CSIEZ, message::storage_cubic, {{NDATA, N}});
  }
}

}  // namespace

void CSIEZ(int32_t NDATA, std::span<const float> XDATA, std::span<const float> FDATA, int32_t N,
           std::span<const float> XVEC, std::span<float> VALUE) {
  evaluate_spline(NDATA, XDATA, FDATA, N, XVEC, VALUE, true);
}

void cubic_spline_values(std::span<const float> x, std::span<const float> f, std::span<const float> points,
                         std::span<float> values) {
  if (points.empty()) return;
  evaluate_spline(static_cast<int32_t>(x.size()), x, f, static_cast<int32_t>(points.size()), points, values, false);
}

}  // namespace jpcp::splines
