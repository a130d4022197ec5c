#include "faulting/model/joint_transfer.h"

#include <algorithm>
#include <cmath>

namespace jpcp::faulting {

namespace {

constexpr float lte_limit = 95.0f;  // percent
constexpr float stiffness_exponent = -0.849f;
constexpr float inverse_stiffness_exponent = -1.1778563f;  // 1 / -0.849
constexpr float axles_per_million = 1.0e6f;

// Calls f(N, loaded, unloaded) for every axle type and load level in use.
template <typename F>
void for_each_load(const DeflectionTable& defl, const MonthTraffic& traffic, F f) {
  const std::array<const inputs::Table2D<float>*, 3> tables = {traffic.single, traffic.tandem, traffic.tridem};
  const std::array<size_t, 3> levels = {single_load_levels, tandem_load_levels, tridem_load_levels};
  for (size_t t = 0; t < tables.size(); ++t) {
    const size_t loaded = 2 * t;
    for (size_t j = 0; j < levels[t]; ++j) {
      f((*tables[t])(j, traffic.month), defl[j][loaded], defl[j][loaded + 1]);
    }
  }
}

}  // namespace

float joint_stiffness(float lte) {
  return std::pow((1.0f / lte - 0.01f) / 0.012f, inverse_stiffness_exponent);
}

float load_transfer(float J) { return 1.0f / (0.01f + 0.012f * std::pow(J, stiffness_exponent)); }

AggregateInterlock LTEPCC(float h, float wid, float delta_s) {
  const float s = 0.05f * h * std::exp(-0.028f * wid);
  const float log10_J = -3.19626f + 16.09737f * std::exp(-std::exp(-(s - delta_s - 0.35f) / 0.38f));
  const float J = std::pow(10.0f, log10_J);
  AggregateInterlock result;
  result.lte_agg = load_transfer(J);
  // 10^J overflows for stiff joints; the logarithm is then infinite and the
  // reference stress takes its limit 111.1/e.
  result.tau_ref = 111.1f * std::exp(-std::exp(0.9988f * std::exp(-0.1089f * std::log(std::pow(10.0f, J)))));
  return result;
}

float joint_lte(float lte_dowel, float lte_base, float lte_agg) {
  const float lte =
      100.0f * (1.0f - (1.0f - lte_dowel / 100.0f) * (1.0f - lte_base / 100.0f) * (1.0f - lte_agg / 100.0f));
  return std::min(lte, lte_limit);
}

float de(const DeflectionTable& defl, const MonthTraffic& traffic, float k, float wm) {
  float sum = 0.0f;
  for_each_load(defl, traffic, [&](float N, float loaded, float unloaded) {
    sum += N * std::max(0.0f, 0.5f * k * (loaded + unloaded) * (loaded - unloaded));
  });
  return wm * sum;
}

void loss_of_shear(const DeflectionTable& defl, const MonthTraffic& traffic, float lte_agg, float tau_ref, float k,
                   float ell, float wid, float h, float& delta_s) {
  const float J = joint_stiffness(lte_agg);
  const float AGG = J * k * ell;
  // Shear slope of the aggregate against the opening-to-thickness ratio.
  const float r = wid / h;
  float g = 0.0f;
  if (r < 0.001f) {
    g = 0.0f;
  } else if (r < 3.8f) {
    g = 0.005f / (1.0f + std::pow(r, -5.7f));
  } else {
    g = 0.068f / (1.0f + 6.0f * std::pow(r - 3.0f, -1.98f));
  }
  for_each_load(defl, traffic, [&](float N, float loaded, float unloaded) {
    const float tau = std::max(0.0f, AGG * (loaded - unloaded) / h);
    delta_s = delta_s + g * (N / axles_per_million) * (tau / tau_ref);
  });
}

void LTE_dowel(const DeflectionTable& defl, const MonthTraffic& traffic, const DowelInputs& in, float& dowdam,
               float& lte_d) {
  const float d2 = in.d * in.d;
  const float J0 = 120.0f * d2 / in.h;
  const float Jc = std::clamp(165.0f * d2 / in.h - 19.8f, 0.4f, 118.0f);
  const float J_previous = lte_d == 0.0f ? 0.0f : joint_stiffness(lte_d);
  const float S = J_previous * in.k * in.ell;
  for_each_load(defl, traffic, [&](float N, float loaded, float unloaded) {
    const float V = std::fabs(S * (loaded - unloaded) * in.dowel_factor);
    dowdam = dowdam + in.C8 * 1.0e-6f * N * V / (in.d * in.fc);
  });
  const float Jd = Jc + (J0 - Jc) * std::exp(-dowdam);
  lte_d = load_transfer(Jd);
}

}  // namespace jpcp::faulting
