#include "common/splines/spline_values.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "common/splines/csiez.h"

namespace jpcp::splines {

void cubic_spline_values(std::span<const float> x, std::span<const float> f, std::span<const float> points,
                         std::span<float> values) {
  if (points.empty()) return;
  std::vector<float> distinct(points.begin(), points.end());
  std::sort(distinct.begin(), distinct.end());
  distinct.erase(std::unique(distinct.begin(), distinct.end()), distinct.end());
  if (distinct.size() == points.size() && std::equal(distinct.begin(), distinct.end(), points.begin())) {
    CSIEZ(static_cast<int32_t>(x.size()), x, f, static_cast<int32_t>(points.size()), points, values);
    return;
  }
  std::vector<float> at_distinct(distinct.size());
  CSIEZ(static_cast<int32_t>(x.size()), x, f, static_cast<int32_t>(distinct.size()), distinct, at_distinct);
  for (size_t i = 0; i < points.size(); ++i) {
    const auto at = std::lower_bound(distinct.begin(), distinct.end(), points[i]) - distinct.begin();
    values[i] = at_distinct[static_cast<size_t>(at)];
  }
}

}  // namespace jpcp::splines
