#include "cracking/temperature/gradient_distribution.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "common/splines/spline_values.h"

namespace jpcp::cracking {

void hourly_gradient_distribution(std::span<float> F, std::span<const float> S,
                                  std::span<const ClassifiedHour> hours, std::span<const float> nonlinear_stress,
                                  int32_t total_hours, const std::array<float, 24>& weights,
                                  std::span<const float> levels) {
  const size_t L = levels.size();
  if (L < 2 || hours.empty()) return;

  // Gradient magnitudes, held at the last level.
  std::vector<float> magnitude(hours.size());
  for (size_t h = 0; h < hours.size(); ++h) magnitude[h] = std::min(std::fabs(hours[h].gradient), levels[L - 1]);

  // The month's stress-versus-gradient spline at every hour's magnitude.
  std::vector<float> table_stress(hours.size());
  splines::cubic_spline_values(levels, S, magnitude, table_stress);

  for (size_t h = 0; h < hours.size(); ++h) {
    if (magnitude[h] < levels[0]) continue;
    const float s = table_stress[h] + nonlinear_stress[static_cast<size_t>(hours[h].record)];
    if (s <= S[0]) continue;
    // k: smallest level from the second on whose stress reaches s (0-based here).
    size_t k = 1;
    while (k < L && s > S[k]) ++k;
    if (k >= L) k = L - 1;
    float a = 0.0f;
    float b = 1.0f;
    if (k != L - 1) {
      if (S[k - 1] == S[k]) {
        a = 1.0f;
        b = 0.0f;
      } else {
        a = (s - S[k]) / (S[k - 1] - S[k]);
        b = 1.0f - a;
      }
    }
    const float w = weights[static_cast<size_t>(hours[h].hour - 1)];
    F[k - 1] += a * w;
    F[k] += b * w;
  }
  // A month without hours keeps its zeros instead of dividing by zero.
  if (total_hours > 0) {
    for (size_t j = 0; j < L; ++j) F[j] /= static_cast<float>(total_hours);
  }
}

}  // namespace jpcp::cracking
