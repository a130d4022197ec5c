// One month's traffic-weighted frequency of the gradient levels for one class
// of hours (daytime or night-time). Each hour's total stress (the month's
// stress-versus-gradient table at the hour's gradient plus its nonlinear
// stress) is mapped back onto the levels, and the hour's traffic weight is
// shared between the two levels around it.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "cracking/temperature/linear_gradient.h"

namespace jpcp::cracking {

// F[L] out (added into); S[L]: the month's stress at each level (psi);
// hours: the hours of the class; nonlinear_stress: per record (psi);
// total_hours: hours of the month, both classes; weights: hourly traffic
// weights of the hours 1..24; levels[L]: the gradient levels (deg F).
void hourly_gradient_distribution(std::span<float> F, std::span<const float> S,
                                  std::span<const ClassifiedHour> hours, std::span<const float> nonlinear_stress,
                                  int32_t total_hours, const std::array<float, 24>& weights,
                                  std::span<const float> levels);

}  // namespace jpcp::cracking
