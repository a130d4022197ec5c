// Corner deflections of the loaded and the unloaded slab at a transverse
// joint, for every load level of the single, tandem and tridem axles.
#pragma once

#include <array>
#include <cstdint>

#include "faulting/deflection/deflection_model.h"

namespace jpcp::faulting {

inline constexpr size_t load_levels = 40;
// Load levels that enter the computation, per axle type.
inline constexpr size_t single_load_levels = 38;
inline constexpr size_t tandem_load_levels = 38;
inline constexpr size_t tridem_load_levels = 31;

// Axle loads divided by the slab weight (single axle: load / W, tandem:
// load / 2W, tridem: load / 3W), per load level.
struct NormalisedLoads {
  std::array<float, load_levels> single{};
  std::array<float, load_levels> tandem{};
  std::array<float, load_levels> tridem{};
};

// defl[j][c]: load level j (0-based), column c in DeflectionModelIndex order
// (single loaded, single unloaded, tandem loaded, ...), inches.
using DeflectionTable = std::array<std::array<float, deflection_model_count>, load_levels>;

struct CalcDefInputs {
  float ell = 0.0f;            // radius of relative stiffness, in
  float phi = 0.0f;            // Korenev parameter
  float beta = 0.0f;           // deflection scale of the month
  float lte = 0.0f;            // joint load transfer, percent
  float edge_support = 0.0f;
  float edge_distance = 0.0f;  // in
  float L = 0.0f;              // joint spacing, ft (the models are reduced to it at their first use)
};

// Each deflection is the model's response to the load less its response to
// the curled slab without load, times beta. Levels beyond an axle type's
// count are left as they are.
void calc_def(const CalcDefInputs& inputs, const NormalisedLoads& loads, DeflectionModels& models,
              DeflectionTable& defl);

}  // namespace jpcp::faulting
