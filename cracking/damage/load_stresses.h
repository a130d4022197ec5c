// Slab stresses under axle loads on the grids of the damage integration:
// bottom-up (six lateral positions x five daytime gradient nodes x five NN
// loads) for single axles and the tandem-type and tridem-type chains, and
// top-down (six positions x five loads x five night-time gradient nodes) for
// the short, medium and long wheelbase classes, for every analysis month.
// The models describe a reference slab; inputs are converted to it and the
// model stresses back. psi, in, lb, deg F; L in ft.
#pragma once

#include <array>
#include <span>
#include <vector>

#include "common/inputs/nn_info.h"
#include "cracking/damage/damage_tables.h"
#include "cracking/nn/nn_eval_33.h"

namespace jpcp::cracking {

// Section inputs of the stress evaluation that do not change by month.
struct LoadStressInputs {
  float joint_spacing = 0.0f;    // L, ft (field 6)
  float alpha = 0.0f;            // field 12
  float mu = 0.0f;               // field 10
  float w_f8 = 0.0f;             // field 8 of the first analysis month
  float f26 = 0.0f, f31 = 0.0f, f32 = 0.0f, f33 = 0.0f, f34 = 0.0f;
  float hpcc = 0.0f;             // field 5, in
  float pcc_unit_weight = 0.0f;  // field 11, per cubic inch
  std::array<float, 3> axle_spacing{};  // fields 35, 36, 37: short, medium, long wheelbase
};

// The equivalent slab of every analysis month j (12 per year).
struct MonthlySlabSeries {
  std::vector<float> radius;       // in
  std::vector<float> k;            // psi/in
  std::vector<float> heff;         // in
  std::vector<float> unit_weight;  // equivalent, per cubic inch
  size_t months() const { return heff.size(); }
};

// Thickness of the reference slab (E 4,000,000 psi, 1 - mu^2 = 0.9775,
// k 100 psi/in) with the same radius of relative stiffness.
float reference_thickness(float radius);

// Fills bottom[chain] (p, a, c, j). Advances `progress` by 15, 15, 1 and 1.8
// after the four model stages and reports it.
void bottom_up_stresses(const inputs::ModelNameTable& models, const LoadStressInputs& inputs,
                        const MonthlySlabSeries& slab, std::span<const float, gradient_nodes> nodes,
                        std::span<const float, lateral_positions> positions, float& progress,
                        const nn::ProgressReporter& report_progress,
                        std::array<StressGrid, bottom_up_chain_count>& bottom);

// Fills top[class] (p, c, b, j); `nonlinear_stress` is added to every stress.
// Advances `progress` by 65 over the model evaluations.
void top_down_stresses(const inputs::ModelNameTable& models, const LoadStressInputs& inputs,
                       const MonthlySlabSeries& slab, std::span<const float, gradient_nodes> nodes,
                       std::span<const float, lateral_positions> positions, float nonlinear_stress, float& progress,
                       const nn::ProgressReporter& report_progress,
                       std::array<StressGrid, wheelbase_class_count>& top);

}  // namespace jpcp::cracking
