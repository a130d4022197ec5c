#include "common/splines/bsnak.h"

#include <algorithm>
#include <new>
#include <numeric>
#include <vector>

#include "common/splines/spline_messages.h"

namespace jpcp::splines {

namespace {

constexpr int32_t code_order_below_two = 1;
constexpr int32_t code_fewer_data = 2;
constexpr int32_t code_not_distinct = 3;
constexpr int32_t code_storage = 4;

// Largest relative spacing of 4-byte reals, 2^-23.
constexpr float relative_spacing = 1.1920928955078125e-07f;

// Right end knot: just right of the largest abscissa.
float right_end_knot(float largest) {
  const float shift = 100.0f * relative_spacing;
  if (largest > 0.0f) return largest * (1.0f + shift);
  if (largest < 0.0f) return largest * (1.0f - shift);
  return shift;
}

}  // namespace

void BSNAK(int32_t NDATA, std::span<const float> XDATA, int32_t KORDER, std::span<float> XKNOT) {
  if (KORDER < 2) {
    report_spline_error(ErrorKind::terminal, code_order_below_two, routine_BSNAK, message::knot_order_below_two,
                        {{KORDER}});
    return;
  }
  if (NDATA < KORDER) {
    report_spline_error(ErrorKind::terminal, code_fewer_data, routine_BSNAK, message::fewer_data_than_order,
                        {{NDATA, KORDER}});
    return;
  }
  const size_t n = static_cast<size_t>(NDATA);
  const size_t k = static_cast<size_t>(KORDER);
  const std::span<const float> data = XDATA.first(n);
  std::vector<float> sorted;
  std::vector<size_t> order;
  try {
    sorted.assign(data.begin(), data.end());
    const bool strictly_increasing =
        std::adjacent_find(data.begin(), data.end(), [](float a, float b) { return !(a < b); }) == data.end();
    if (!strictly_increasing) {
      // Not strictly increasing: sort a copy, remembering where each value
      // came from so that equal abscissas are named by their own positions.
      order.resize(n);
      std::iota(order.begin(), order.end(), size_t{0});
      std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return data[a] < data[b]; });
      for (size_t i = 0; i < n; ++i) sorted[i] = data[order[i]];
      for (size_t i = 1; i < n; ++i) {
        if (sorted[i - 1] == sorted[i]) {
          const size_t first = std::min(order[i - 1], order[i]);
          const size_t second = std::max(order[i - 1], order[i]);
          report_spline_error(ErrorKind::fatal, code_not_distinct, routine_BSNAK, message::abscissas_not_distinct,
                              {{static_cast<int64_t>(first + 1), static_cast<int64_t>(second + 1)}, {sorted[i]}});
          return;
        }
      }
    }
  } catch (const std::bad_alloc&) {
    report_spline_error(ErrorKind::terminal, code_storage, routine_BSNAK, message::storage_knots, {{NDATA}});
    return;
  }
  for (size_t i = 0; i < k; ++i) XKNOT[i] = sorted[0];
  const float right = right_end_knot(sorted[n - 1]);
  for (size_t i = 0; i < k; ++i) XKNOT[n + i] = right;
  // Interior knots XKNOT(k+i), i = 1..n-k (1-based numbering in the comments).
  for (size_t i = 1; i + k <= n; ++i) {
    if (k % 2 == 0) {
      XKNOT[k + i - 1] = sorted[k / 2 + i - 1];
    } else {
      XKNOT[k + i - 1] = (sorted[i + (k - 1) / 2 - 1] + sorted[i + (k + 1) / 2 - 1]) / 2.0f;
    }
  }
}

}  // namespace jpcp::splines
