// The concrete slab and its base replaced, month by month, by one equivalent
// slab with the concrete modulus, and its radius of relative stiffness.
// Thicknesses in inches, moduli in psi, unit weights per cubic inch, k in psi/in.
#pragma once

#include <cstddef>
#include <span>

namespace jpcp::cracking {

struct SlabLayers {
  float hpcc = 0.0f;                // concrete thickness
  float hbase = 0.0f;               // base thickness
  float pcc_unit_weight = 0.0f;     // per cubic inch
  float base_unit_weight = 0.0f;    // per cubic inch (bonded forms only)
};

// Unbonded layers bend about their own mid-planes: heff = (hpcc^3 + n hbase^3)^(1/3),
// n = ebase / epcc. Outputs per month: heff and the equivalent unit weight.
void effective_thickness_unbonded(float epcc, const SlabLayers& slab, std::span<const float> ebase,
                                  std::span<float> heff, std::span<float> unit_weight);

// Bonded layers bend about the neutral axis of the composite section.
// Outputs per month: heff, neutral-axis depth below the surface, modular
// ratio ebase / epcc and the equivalent unit weight.
void effective_thickness_bonded(float epcc, const SlabLayers& slab, std::span<const float> ebase,
                                std::span<float> heff, std::span<float> neutral_axis, std::span<float> modular_ratio,
                                std::span<float> unit_weight);

// One entry per month with its own bond state (0.5 or more: bonded) and
// concrete modulus. Outputs heff, the equivalent unit weight and the factors
// that turn a stress at the bottom (top) of the equivalent slab into the
// stress at the bottom (top) of the concrete layer.
void effective_thickness_by_bond(std::span<const float> bond, std::span<const float> epcc, const SlabLayers& slab,
                                 std::span<const float> ebase, std::span<float> heff, std::span<float> unit_weight,
                                 std::span<float> bottom_factor, std::span<float> top_factor);

// Radius of relative stiffness l = (E heff^3 / (12 (1 - mu^2) k))^(1/4) per
// month (E one value, or one per month when epcc has as many entries as
// heff). Below 22.5 in it is held at 22.5 and the month's k is lowered in
// place to the value that gives exactly 22.5.
void radius_of_relative_stiffness(std::span<const float> epcc, std::span<const float> heff, std::span<float> k,
                                  float mu, std::span<float> radius);

}  // namespace jpcp::cracking
