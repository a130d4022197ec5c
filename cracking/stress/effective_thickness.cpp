#include "cracking/stress/effective_thickness.h"

#include <cmath>

namespace jpcp::cracking {

namespace {

// The single-precision real nearest 1/3 is the exponent of every cube root.
constexpr float one_third = 0.33333334f;
constexpr float minimum_radius = 22.5f;           // in
constexpr float twelve_times_minimum_radius_4 = 3075468.75f;  // 12 * 22.5^4

float cube_root(float x) { return std::pow(x, one_third); }

float unbonded_heff(float epcc, float ebase, const SlabLayers& slab) {
  const float n = ebase / epcc;
  return cube_root(slab.hpcc * slab.hpcc * slab.hpcc + n * (slab.hbase * slab.hbase * slab.hbase));
}

struct BondedSection {
  float heff;
  float neutral_axis;
  float modular_ratio;
  float unit_weight;
};

BondedSection bonded_section(float epcc, float ebase, const SlabLayers& slab) {
  const float h1 = slab.hpcc;
  const float h2 = slab.hbase;
  const float n = ebase / epcc;
  const float x = (h1 * h1 / 2.0f + n * h2 * (h1 + h2 / 2.0f)) / (h1 + n * h2);
  const float d1 = x - h1 / 2.0f;
  const float d2 = h1 + h2 / 2.0f - x;
  const float heff = cube_root(h1 * h1 * h1 + n * (h2 * h2 * h2) + 12.0f * (h1 * (d1 * d1) + n * h2 * (d2 * d2)));
  const float thickening = heff / h1 - 1.0f;
  const float unit_weight =
      (h1 * slab.pcc_unit_weight + 20.0f * (thickening * thickening) * h2 * slab.base_unit_weight) / heff;
  return {heff, x, n, unit_weight};
}

}  // namespace

void effective_thickness_unbonded(float epcc, const SlabLayers& slab, std::span<const float> ebase,
                                  std::span<float> heff, std::span<float> unit_weight) {
  for (size_t m = 0; m < heff.size(); ++m) {
    heff[m] = unbonded_heff(epcc, ebase[m], slab);
    unit_weight[m] = slab.hpcc * slab.pcc_unit_weight / heff[m];
  }
}

void effective_thickness_bonded(float epcc, const SlabLayers& slab, std::span<const float> ebase,
                                std::span<float> heff, std::span<float> neutral_axis, std::span<float> modular_ratio,
                                std::span<float> unit_weight) {
  for (size_t m = 0; m < heff.size(); ++m) {
    const BondedSection s = bonded_section(epcc, ebase[m], slab);
    heff[m] = s.heff;
    neutral_axis[m] = s.neutral_axis;
    modular_ratio[m] = s.modular_ratio;
    unit_weight[m] = s.unit_weight;
  }
}

void effective_thickness_by_bond(std::span<const float> bond, std::span<const float> epcc, const SlabLayers& slab,
                                 std::span<const float> ebase, std::span<float> heff, std::span<float> unit_weight,
                                 std::span<float> bottom_factor, std::span<float> top_factor) {
  for (size_t m = 0; m < heff.size(); ++m) {
    if (bond[m] >= 0.5f) {
      const BondedSection s = bonded_section(epcc[m], ebase[m], slab);
      heff[m] = s.heff;
      unit_weight[m] = s.unit_weight;
      bottom_factor[m] = 2.0f * (slab.hpcc - s.neutral_axis) / s.heff;
      top_factor[m] = 2.0f * s.neutral_axis / s.heff;
    } else {
      heff[m] = unbonded_heff(epcc[m], ebase[m], slab);
      unit_weight[m] = slab.hpcc * slab.pcc_unit_weight / heff[m];
      bottom_factor[m] = slab.hpcc / heff[m];
      top_factor[m] = bottom_factor[m];
    }
  }
}

void radius_of_relative_stiffness(std::span<const float> epcc, std::span<const float> heff, std::span<float> k,
                                  float mu, std::span<float> radius) {
  for (size_t m = 0; m < heff.size(); ++m) {
    const float e = epcc.size() == heff.size() ? epcc[m] : epcc[0];
    const float h3 = heff[m] * heff[m] * heff[m];
    const float l = std::pow(e * h3 / 12.0f / (1.0f - mu * mu) / k[m], 0.25f);
    if (l < minimum_radius) {
      radius[m] = minimum_radius;
      k[m] = e * h3 / ((1.0f - mu * mu) * twelve_times_minimum_radius_4);
    } else {
      radius[m] = l;
    }
  }
}

}  // namespace jpcp::cracking
