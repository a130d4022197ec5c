#include "cracking/frame/section_quantities.h"

#include "cracking/inputs/general_fields.h"

#include <algorithm>

namespace jpcp::cracking {

std::array<float, 24> hourly_traffic_weights(const std::array<float, 24>& percentages) {
  std::array<float, 24> weights{};
  for (size_t h = 0; h < 24; ++h) weights[h] = percentages[h] / 100.0f * 24.0f;
  return weights;
}

float humidity_factor(float rh) {
  if (rh <= 30.0f) return 1.1f;
  if (rh <= 80.0f) return 1.4f - 0.01f * rh;
  return 3.0f - 0.03f * rh;
}

MoistureWarping moisture_warping_difference(const inputs::GeneralInput& general,
                                            const std::array<float, 12>& relative_humidity) {
  std::array<float, 12> factor{};
  float sum = 0.0f;
  for (size_t m = 0; m < 12; ++m) {
    factor[m] = humidity_factor(relative_humidity[m]);
    sum += factor[m];
  }
  const float mean_factor = sum / 12.0f;
  const float ultimate_shrinkage = general.field[inputs::general::ultimate_shrinkage];  // microstrain
  const float shrinkage_depth = general.field[inputs::general::shrinkage_zone_depth];     // in
  const float alpha = general.field[inputs::general::thermal_expansion];               // 1/deg F
  const float h = general.field[inputs::general::thickness];                    // slab thickness, in
  // Equivalent temperature difference of a shrinkage gradient over the top
  // hs inches of the slab, per unit of humidity factor.
  const float k = -(6.0f * ultimate_shrinkage) * (0.5f * shrinkage_depth) * (0.5f * h - shrinkage_depth / 3.0f) /
                  (alpha * 1.0e6f * (h * h));
  MoistureWarping result;
  for (size_t m = 0; m < 12; ++m) {
    result.difference[m] = k * (factor[m] - mean_factor);
    result.total_difference[m] = result.difference[m] + general.built_in_gradient();
  }
  result.maximum = *std::max_element(result.difference.begin(), result.difference.end());
  result.minimum = *std::min_element(result.difference.begin(), result.difference.end());
  return result;
}

void distribution_tail_trimming(std::span<float> f) {
  const size_t n = f.size();
  if (n < 3) return;
  // f(i) in the comments is f[i - 1] here.
  if (f[n - 3] + f[n - 2] < 0.0003f) f[n - 1] = 0.0f;
  float t = f[n - 1];
  size_t i = n;
  while (t < 0.001f && i > 1) {
    --i;
    t += f[i - 1];
  }
  const size_t j = f[i - 1] < 0.0003f ? i + 1 : i + 2;
  if (j < n) {
    for (size_t b = j; b <= n; ++b) f[b - 1] = 0.0f;
  }
}

void trim_month(inputs::Table2D<float>& table, size_t month, size_t bins) {
  distribution_tail_trimming(std::span<float>(&table(0, month), bins));
}

}  // namespace jpcp::cracking
