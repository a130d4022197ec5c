// Tables handed between the damage routines, the stress result writers and
// the cracking prediction.
#pragma once

#include <array>
#include <cstddef>
#include <vector>

#include "common/inputs/table.h"

namespace jpcp::cracking {

// Years the damage tables and the stress tables hold.
inline constexpr int max_damage_years = 100;

// Damage components, in this order everywhere.
enum DamageComponent : size_t {
  bu_single,
  bu_tandem,
  bu_tridem,
  bu_quad,
  td_short,
  td_medium,
  td_long,
  damage_component_count
};

// Damage added by each month: per component a table of 12 months x 100
// years (month fastest), zero beyond the design life.
struct DamageTables {
  std::array<inputs::Table2D<float>, damage_component_count> component;
  DamageTables() {
    for (auto& table : component) table = inputs::Table2D<float>(12, max_damage_years);
  }
};

// Grids of the stress evaluation.
inline constexpr size_t lateral_positions = 6;
inline constexpr size_t gradient_nodes = 5;
inline constexpr size_t nn_loads = 5;

// Single, tandem and (tandem-type loads x 1.5) tridem NN loads, lb.
inline constexpr std::array<float, nn_loads> single_nn_loads = {8500.0f, 18000.0f, 24500.0f, 32500.0f, 40500.0f};
inline constexpr std::array<float, nn_loads> tandem_nn_loads = {17000.0f, 34000.0f, 49000.0f, 65000.0f, 81000.0f};

// Stresses (psi) over position p (6), gradient node g (5), load c (5) and
// analysis month j (12 per year, month fastest within the year). The
// bottom-up tables are indexed (p, a, c, j), the top-down tables (p, c, b, j):
// both keep the position fastest, then the second and third index as named.
class StressGrid {
 public:
  StressGrid() = default;
  explicit StressGrid(size_t months) : months_(months), data_(lateral_positions * gradient_nodes * nn_loads * months) {}
  size_t months() const { return months_; }
  // (position, second, third, month), all 0-based.
  float& operator()(size_t p, size_t i2, size_t i3, size_t j) { return data_[index(p, i2, i3, j)]; }
  float operator()(size_t p, size_t i2, size_t i3, size_t j) const { return data_[index(p, i2, i3, j)]; }
  // The 6 x 5 x 5 block of one month.
  const float* month(size_t j) const { return &data_[index(0, 0, 0, j)]; }
  float* month(size_t j) { return &data_[index(0, 0, 0, j)]; }

 private:
  static size_t index(size_t p, size_t i2, size_t i3, size_t j) {
    return p + lateral_positions * (i2 + gradient_nodes * (i3 + nn_loads * j));
  }
  size_t months_ = 0;
  std::vector<float> data_;
};

// Bottom-up chains and top-down wheelbase classes.
enum BottomUpChain : size_t { single_chain, tandem_chain, tridem_chain, bottom_up_chain_count };
enum WheelbaseClass : size_t { short_wheelbase, medium_wheelbase, long_wheelbase, wheelbase_class_count };

// The stresses of one interface case.
struct CaseStresses {
  std::array<StressGrid, bottom_up_chain_count> bottom;    // (p, a, c, j)
  std::array<StressGrid, wheelbase_class_count> top;       // (p, c, b, j)
  std::array<float, gradient_nodes> daytime_nodes{};       // bottom-up gradient nodes, deg F
  std::array<float, gradient_nodes> nighttime_nodes{};     // top-down gradient nodes, deg F
  float nonlinear_stress = 0.0f;                           // included in the top-down stresses, psi
};

}  // namespace jpcp::cracking
