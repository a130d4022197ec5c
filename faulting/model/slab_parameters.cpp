#include "faulting/model/slab_parameters.h"

#include <cmath>

namespace jpcp::faulting {

namespace {

constexpr float smallest_radius = 22.5f;  // in
constexpr float reference_slab_scale = 34100596.0f;

}  // namespace

float cf(float relative_humidity) {
  if (relative_humidity <= 30.0f) return 1.1f;
  if (relative_humidity <= 80.0f) return 1.4f - 0.01f * relative_humidity;
  return 3.0f - 0.03f * relative_humidity;
}

float effective_thickness(float h, float hb, float E, float Eb) {
  return std::pow(h * h * h + Eb / E * (hb * hb * hb), 1.0f / 3.0f);
}

float adjusted_unit_weight(float gamma, float h, float h_eff) { return gamma * h / h_eff; }

float radius_of_relative_stiffness(float E, float h_eff, float mu, float k) {
  const float ell = std::pow(E * (h_eff * h_eff * h_eff) / (12.0f * (1.0f - mu * mu) * k), 0.25f);
  return ell < smallest_radius ? smallest_radius : ell;
}

float korenev_parameter(float alpha, float mu, float ell, float k, float dT, float h_eff, float gamma_eff) {
  return 2.0f * alpha * (1.0f + mu) * (ell * ell) * k * std::fabs(dT) / (h_eff * h_eff * gamma_eff);
}

float deflection_scale(float h_eff, float k, float ell) {
  const float ell2 = ell * ell;
  return reference_slab_scale * h_eff / (k * (ell2 * ell2));
}

}  // namespace jpcp::faulting
