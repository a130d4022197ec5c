#include "cracking/stress/effective_thickness.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>

namespace jpcp::cracking {
namespace {

constexpr float relative = 1e-5f;

TEST(EffectiveThickness, NoBaseLeavesTheSlabAsItIs) {
  const SlabLayers slab{10.0f, 0.0f, 0.0868f, 0.08f};
  std::array<float, 12> ebase{};
  ebase.fill(30000.0f);
  std::array<float, 12> heff{}, weight{}, axis{}, ratio{};
  effective_thickness_unbonded(4.0e6f, slab, ebase, heff, weight);
  EXPECT_NEAR(heff[0], 10.0f, 10.0f * relative);
  EXPECT_NEAR(weight[0], 0.0868f, 0.0868f * relative);
  effective_thickness_bonded(4.0e6f, slab, ebase, heff, axis, ratio, weight);
  EXPECT_NEAR(heff[3], 10.0f, 10.0f * relative);
  EXPECT_NEAR(axis[3], 5.0f, 5.0f * relative);
  EXPECT_NEAR(weight[3], 0.0868f, 0.0868f * relative);

  const std::array<float, 2> bond = {1.0f, 0.0f};
  const std::array<float, 2> epcc = {4.0e6f, 4.0e6f};
  std::array<float, 2> h2{}, w2{}, bottom{}, top{};
  effective_thickness_by_bond(bond, epcc, slab, std::span<const float>(ebase).first(2), h2, w2, bottom, top);
  for (size_t m = 0; m < 2; ++m) {
    EXPECT_NEAR(bottom[m], 1.0f, relative);
    EXPECT_NEAR(top[m], 1.0f, relative);
  }
}

TEST(EffectiveThickness, EqualModuliBondedActLikeOneThickSlab) {
  const SlabLayers slab{10.0f, 6.0f, 0.0868f, 0.08f};
  std::array<float, 12> ebase{};
  ebase.fill(4.0e6f);
  std::array<float, 12> heff{}, weight{}, axis{}, ratio{};
  effective_thickness_bonded(4.0e6f, slab, ebase, heff, axis, ratio, weight);
  EXPECT_NEAR(heff[0], 16.0f, 16.0f * relative);
  EXPECT_NEAR(axis[0], 8.0f, 8.0f * relative);
  EXPECT_FLOAT_EQ(ratio[0], 1.0f);
  // Self-weight kept with the 20 (heff/hpcc - 1)^2 share of the base.
  const float expected_weight = (10.0f * 0.0868f + 20.0f * 0.36f * 6.0f * 0.08f) / 16.0f;
  EXPECT_NEAR(weight[0], expected_weight, expected_weight * 1e-4f);

  effective_thickness_unbonded(4.0e6f, slab, ebase, heff, weight);
  EXPECT_NEAR(heff[0], std::cbrt(1000.0f + 216.0f), 1e-4f);

  // A bond state of exactly 0.5 takes the bonded form; stresses convert to
  // the concrete layer with 2 (hpcc - x) / heff and 2 x / heff.
  const std::array<float, 1> bond = {0.5f};
  const std::array<float, 1> epcc = {4.0e6f};
  std::array<float, 1> h1{}, w1{}, bottom{}, top{};
  effective_thickness_by_bond(bond, epcc, slab, std::span<const float>(ebase).first(1), h1, w1, bottom, top);
  EXPECT_NEAR(h1[0], 16.0f, 16.0f * relative);
  EXPECT_NEAR(bottom[0], 2.0f * 2.0f / 16.0f, relative);
  EXPECT_NEAR(top[0], 2.0f * 8.0f / 16.0f, relative);
}

TEST(RadiusOfRelativeStiffness, FloorAt22point5InchesLowersK) {
  const std::array<float, 1> e = {4.0e6f};
  const std::array<float, 3> heff = {10.0f, 6.0f, 10.0f};
  const float mu = 0.15f;
  // k that gives exactly 22.5 in for the 10 in slab, and a stiff one for the thin slab.
  const float k_exact = 4.0e6f * 1000.0f / ((1.0f - mu * mu) * 3075468.75f);
  std::array<float, 3> k = {100.0f, 800.0f, k_exact};
  std::array<float, 3> radius{};
  radius_of_relative_stiffness(e, heff, k, mu, radius);
  EXPECT_NEAR(radius[0], std::pow(4.0e6f * 1000.0f / (12.0f * 0.9775f * 100.0f), 0.25f), 1e-3f);
  EXPECT_EQ(k[0], 100.0f);
  EXPECT_EQ(radius[1], 22.5f);
  const float lowered = 4.0e6f * 216.0f / ((1.0f - mu * mu) * 3075468.75f);
  EXPECT_NEAR(k[1], lowered, lowered * relative);
  EXPECT_LT(k[1], 800.0f);
  EXPECT_NEAR(radius[2], 22.5f, 1e-4f);
  EXPECT_NEAR(k[2], k_exact, k_exact * relative);
}

}  // namespace
}  // namespace jpcp::cracking
