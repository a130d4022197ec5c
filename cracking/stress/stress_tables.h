// Monthly tables of slab stress against the equivalent linear temperature
// difference, from the NN response models: daytime bottom stresses at 25
// levels and night-time top stresses at 42 levels. Stresses in psi,
// temperature differences in deg F, lengths in inches, L in feet.
#pragma once

#include <array>
#include <span>
#include <string>

#include "common/inputs/nn_info.h"
#include "common/inputs/table.h"
#include "cracking/nn/nn_eval_33.h"

namespace jpcp::cracking {

inline constexpr size_t daytime_level_count = 25;
inline constexpr size_t nighttime_level_count = 42;

// The slab and the model inputs that are the same for every month.
struct StressModelInputs {
  float hpcc = 0.0f;         // in
  float unit_weight = 0.0f;  // PCC, per cubic inch (field 11)
  float alpha = 0.0f;        // 1/deg F (field 12)
  float mu = 0.0f;           // Poisson's ratio (field 10)
  float joint_spacing = 0.0f;  // L, ft (field 6 of the current analysis)
  float f8 = 0.0f;           // field 8
  float f31 = 0.0f;          // field 31
  float f33 = 0.0f;          // field 33
  float f34 = 0.0f;          // field 34
};

// The monthly equivalent slab (analysis order).
struct MonthlySlab {
  std::array<float, 12> radius{};       // radius of relative stiffness, in
  std::array<float, 12> k{};            // psi/in
  std::array<float, 12> heff{};         // in
  std::array<float, 12> unit_weight{};  // equivalent, per cubic inch
};

// Curling parameter of a temperature difference dt on the month's slab.
float curling_parameter(const StressModelInputs& inputs, float radius, float k, float heff, float unit_weight,
                        float dt);

// Daytime table Sd (25 levels x 12 months, levels fastest) from the first and
// third row-1 models; levels[25] receives 0, 2, ..., 48.
void daytime_stress_table(const inputs::ModelNameTable& models, const StressModelInputs& inputs,
                          const MonthlySlab& slab, inputs::Table2D<float>& table, std::span<float> levels);

// Rows (0-based, into the joint-spacing class table) of the top-down model
// sets for a slab length L in feet: one row, or two whose mean is taken.
struct JointSpacingRows {
  int count = 1;
  std::array<int, 2> row{};
};
JointSpacingRows joint_spacing_rows(float joint_spacing);

// Joint-spacing classes: spacing in ft and the four model nodes of each
// top-down model set.
struct JointSpacingClass {
  float spacing;
  std::array<float, 4> nodes;
};
extern const std::array<JointSpacingClass, 6> joint_spacing_classes;

// Night-time table Sn (42 levels x 12 months) from the top-down model set of
// the slab's joint-spacing class; levels[42] receives 0, 2, ..., 82.
// The model sets report their progress (a share of zero) through
// report_progress.
void nighttime_stress_table(const inputs::ModelNameTable& models, const StressModelInputs& inputs,
                            const MonthlySlab& slab, inputs::Table2D<float>& table,
                            std::span<float> levels, const nn::ProgressReporter& report_progress);

}  // namespace jpcp::cracking
