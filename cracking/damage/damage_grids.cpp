#include "cracking/damage/damage_grids.h"

#include <algorithm>
#include <cmath>

namespace jpcp::cracking {

namespace {

constexpr float frequency_threshold = 0.0003f;

// Four-point Gauss-Legendre nodes on 0..1 and weights on -1..1.
constexpr std::array<float, 4> gauss_nodes = {0.0694318f, 0.3300095f, 0.6699905f, 0.9305682f};
constexpr std::array<float, 4> gauss_weights = {0.3478549f, 0.6521451f, 0.6521451f, 0.3478549f};

// Bottom-up: 0..8 in with four points, 8..20 in with two; top-down: 0..24 in
// and 24..40 in.
WanderGrid wander_grid(float span, float tail_a, float tail_b, float tail_weight) {
  WanderGrid grid;
  for (size_t i = 0; i < 4; ++i) {
    grid.position[i] = span * gauss_nodes[i];
    grid.weight[i] = span / 2.0f * gauss_weights[i];
  }
  grid.position[4] = tail_a;
  grid.position[5] = tail_b;
  grid.weight[4] = tail_weight;
  grid.weight[5] = tail_weight;
  return grid;
}

}  // namespace

const WanderGrid bottom_up_wander = wander_grid(8.0f, 10.535898f, 17.464102f, 6.0f);
const WanderGrid top_down_wander = wander_grid(24.0f, 27.381199f, 36.618801f, 8.0f);

std::array<float, lateral_positions> wander_weights(const WanderGrid& grid, float mu_w, float sigma_w) {
  std::array<float, lateral_positions> w{};
  for (size_t p = 0; p < lateral_positions; ++p) {
    const float x = grid.position[p];
    const float u = (mu_w + x) / sigma_w;
    const float v = (x - mu_w) / sigma_w;
    w[p] = grid.weight[p] * (std::exp(-0.5f * (u * u)) + std::exp(-0.5f * (v * v))) / (sigma_w * 2.5066283f);
  }
  return w;
}


int32_t highest_bin(const inputs::Table2D<float>& table, int32_t top) {
  int32_t J = top;
  while (J > 1) {
    float largest = 0.0f;
    for (size_t m = 0; m < 12; ++m) largest = std::max(largest, table(static_cast<size_t>(J - 1), m));
    if (largest >= frequency_threshold) break;
    --J;
  }
  return J;
}

}  // namespace jpcp::cracking
