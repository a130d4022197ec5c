#include "cracking/damage/damage_kernels.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "common/splines/spline_values.h"

namespace jpcp::cracking {

namespace {

constexpr float damage_floor = 1.0e-24f;
constexpr float log10_damage_floor = -24.0f;
constexpr float underflow_log_damage = -55.0f;
constexpr float load_log_damage_cutoff = -50.0f;
constexpr float min_radius = 22.5f;  // in
constexpr float max_radius = 80.0f;  // in

}  // namespace

FatigueModel fatigue_model(const inputs::GeneralInput& general) {
  return FatigueModel{general.fatigue_c1, general.fatigue_c2, general.fatigue_constant};
}

float inverse_fatigue_life(const FatigueModel& model, float mr, float sigma) {
  if (!(sigma > 0.0f)) return damage_floor;
  const float v = model.negated_c1 * std::pow(mr / sigma, model.c2) - model.constant;
  if (!(v > log10_damage_floor)) return damage_floor;
  return std::pow(10.0f, v);
}

void wander_log_damage(std::span<const float> block, StressLayout layout, float mr, std::span<const float> w,
                       size_t n_i, size_t n_j, const FatigueModel& model, std::span<float> L) {
  const size_t n_p = w.size();
  for (size_t j = 0; j < n_j; ++j) {
    for (size_t i = 0; i < n_i; ++i) {
      const size_t base = layout == StressLayout::a ? n_p * (i + n_i * j) : n_p * (j + n_j * i);
      float s = w[0] * inverse_fatigue_life(model, mr, block[base]);
      for (size_t p = 1; p < n_p; ++p) s = s + w[p] * inverse_fatigue_life(model, mr, block[base + p]);
      L[i + n_i * j] = std::log(s);
    }
  }
}

float gradient_log_damage(std::span<const float> L, std::span<const float> g, std::span<const float> x,
                          std::span<const float> f) {
  if (x.empty()) return underflow_log_damage;
  std::vector<float> v(x.size());
  splines::cubic_spline_values(g, L, x, v);
  float e = std::exp(v[0]) * f[0];
  for (size_t j = 1; j < x.size(); ++j) e = e + std::exp(v[j]) * f[j];
  return e >= damage_floor ? std::log(e) : underflow_log_damage;
}

void spectrum_damage_by_bin(std::span<const float> G, std::span<const float> lnP, std::span<const float> lnL,
                            std::span<const float> N, std::span<float> by_bin) {
  std::vector<float> v(lnL.size());
  splines::cubic_spline_values(lnP, G, lnL, v);
  for (size_t q = 0; q < lnL.size(); ++q) {
    const float e = v[q] >= load_log_damage_cutoff ? std::exp(v[q]) : 0.0f;
    by_bin[q] = e * N[q];
  }
}

float spectrum_damage(std::span<const float> G, std::span<const float> lnP, std::span<const float> lnL,
                      std::span<const float> N) {
  std::vector<float> by_bin(lnL.size());
  spectrum_damage_by_bin(G, lnP, lnL, N, by_bin);
  float d = 0.0f;
  for (float b : by_bin) d += b;
  return d;
}

float radius_of_relative_stiffness(float e, float h, float k, float mu) {
  const float l = std::pow(e * (h * h * h) / (12.0f * (1.0f - mu * mu) * k), 0.25f);
  return std::clamp(l, min_radius, max_radius);
}

}  // namespace jpcp::cracking
