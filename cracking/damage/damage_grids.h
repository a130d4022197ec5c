// Fixed grids of the damage integration: lateral positions of the wheels
// with their quadrature weights, and the choice of the highest gradient bin
// that carries traffic.
#pragma once

#include <array>
#include <cstdint>

#include "common/inputs/table.h"
#include "cracking/damage/damage_tables.h"

namespace jpcp::cracking {

struct WanderGrid {
  std::array<float, lateral_positions> position{};  // in from the slab edge
  std::array<float, lateral_positions> weight{};    // quadrature weights
};

// Bottom-up: 0..8 in with four Gauss-Legendre points and 8..20 in with two;
// top-down: 0..24 in and 24..40 in.
extern const WanderGrid bottom_up_wander;
extern const WanderGrid top_down_wander;

// Quadrature weight times the folded normal density of the wheel offset
// (mean mu_w, standard deviation sigma_w, in): wheels that wander past the
// edge are folded back onto the slab.
std::array<float, lateral_positions> wander_weights(const WanderGrid& grid, float mu_w, float sigma_w);

// Highest bin (1-based, at least 1) from `top` down whose largest frequency
// over the 12 months reaches 0.0003.
int32_t highest_bin(const inputs::Table2D<float>& table, int32_t top);

}  // namespace jpcp::cracking
