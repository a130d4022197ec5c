// Self-equilibrating stresses of the nonlinear part of each hourly profile
// (the profile minus its mean and its equivalent linear part), at the
// bottom and the top of the slab; psi, tension positive.
#pragma once

#include <span>
#include <vector>

#include "common/inputs/temperature_data.h"

namespace jpcp::cracking {

struct ConcreteProperties {
  float e = 0.0f;      // psi
  float mu = 0.0f;     // Poisson's ratio
  float alpha = 0.0f;  // 1/deg F
};

struct NonlinearStresses {
  std::vector<float> dtlin;     // deg F per record
  std::vector<float> strNLbot;  // psi per record
  std::vector<float> strNLtop;  // psi per record, after the top-stress shift
  float top_stress_shift = 0.0f;  // 0.4 x the largest top stress, subtracted from every top stress
};

// Unbonded: evaluated 0.05 hpcc inside the top and bottom surfaces.
void nonlinear_stress_unbonded(std::span<const inputs::HourlyRecord> records, std::span<const float> qq,
                               std::span<const float> tempC, float hpcc, std::span<const float, 12> heff,
                               const ConcreteProperties& pcc, NonlinearStresses& out);

// Bonded: bottom of the concrete layer and the top surface, with the linear
// part reduced by 10 %.
void nonlinear_stress_bonded(std::span<const inputs::HourlyRecord> records, std::span<const float, 12> neutral_axis,
                             std::span<const float> qq, std::span<const float> tempC, float hpcc,
                             std::span<const float, 12> heff, const ConcreteProperties& pcc, NonlinearStresses& out);

}  // namespace jpcp::cracking
