// Numerical kernels of the fatigue damage: the fatigue transfer function,
// and the integrations over lateral wander, a month's gradient distribution
// and the axle-load spectrum. Damage travelling between the kernels is the
// natural logarithm of damage per pass ("log damage"). The kernels trust
// their inputs; the damage routines prepare them.
#pragma once

#include <cstddef>
#include <span>

#include "cracking/inputs/general_input.h"

namespace jpcp::cracking {

// Fatigue transfer function log10 N = C1 (MR / sigma)^C2 + 0.4371.
struct FatigueModel {
  float negated_c1 = 0.0f;  // -C1, as the General input reader keeps it
  float c2 = 0.0f;
  float constant = 0.4371f;
};
FatigueModel fatigue_model(const inputs::GeneralInput& general);

// 1 / N for a stress sigma (psi) and modulus of rupture MR (psi), at least
// 1.0E-24 (N = 10^24). A stress of zero or below causes no fatigue and
// takes the floor as well.
float inverse_fatigue_life(const FatigueModel& model, float mr, float sigma);

// Stress layout of one month's 6 x 5 x 5 block: layout A holds S(p, i, j),
// layout B S(p, j, i); position p fastest in both.
enum class StressLayout { a, b };

// L[i + n_i j] = ln sum_p w[p] / N(MR, S(p, i, j)).
void wander_log_damage(std::span<const float> block, StressLayout layout, float mr, std::span<const float> w,
                       size_t n_i, size_t n_j, const FatigueModel& model, std::span<float> L);

// Log of the frequency-weighted mean damage of one pass over a month's
// gradient bins: the log damage L[n_a] at the gradient nodes g[n_a] is
// interpolated by the cubic spline at the bin gradients x[n_g];
// E = sum_j exp(v_j) f_j; ln E, or -55.0 when E is below 1.0E-24.
float gradient_log_damage(std::span<const float> L, std::span<const float> g, std::span<const float> x,
                          std::span<const float> f);

// The damage per pass of each load bin: log damage G[n_c] at the NN loads
// (logs lnP[n_c]) interpolated at the bins' log loads lnL[nb]; bins whose
// log damage is below -50.0 count nothing. by_bin[q] = e_q N[q].
void spectrum_damage_by_bin(std::span<const float> G, std::span<const float> lnP, std::span<const float> lnL,
                            std::span<const float> N, std::span<float> by_bin);
// The sum of spectrum_damage_by_bin over the bins.
float spectrum_damage(std::span<const float> G, std::span<const float> lnP, std::span<const float> lnL,
                      std::span<const float> N);

// Radius of relative stiffness (in) held within 22.5..80.0 in, elementwise.
float radius_of_relative_stiffness(float e, float h, float k, float mu);

}  // namespace jpcp::cracking
