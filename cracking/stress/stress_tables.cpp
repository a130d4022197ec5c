#include "cracking/stress/stress_tables.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "cracking/nn/nn_eval_32.h"

namespace jpcp::cracking {

const std::array<JointSpacingClass, 6> joint_spacing_classes = {{
    {13.0f, {8.25f, 10.0f, 12.5f, 20.0f}},
    {14.0f, {9.25f, 10.0f, 13.5f, 20.0f}},
    {15.0f, {10.0f, 10.25f, 14.5f, 20.0f}},
    {16.0f, {10.0f, 11.25f, 15.5f, 20.0f}},
    {18.0f, {10.0f, 13.25f, 17.5f, 20.0f}},
    {20.0f, {10.0f, 15.25f, 19.5f, 20.0f}},
}};

namespace {

constexpr float level_step = 2.0f;  // deg F between gradient levels
// The length ratio and the curling parameter are held inside the ranges the
// models were built on.
constexpr float max_length_ratio = 14.5f;
constexpr float max_curling_parameter = 50.0f;
// Reference slab of the models: E 4,000,000 psi, Poisson's ratio 0.15, k 100 psi/in.
constexpr float reference_modulus = 4000000.0f;
constexpr float reference_unit_weight = 0.087f;                     // pci
// Third input of the night-time models per pass; only the first pass is used.
constexpr std::array<float, 3> nighttime_sixth_inputs = {0.0f, 18.0f, 30.0f};

void fill_levels(std::span<float> levels) {
  for (size_t j = 0; j < levels.size(); ++j) levels[j] = level_step * static_cast<float>(j);
}

// Thickness of the reference slab with the same radius of relative stiffness.
float reference_thickness(float radius) {
  const float r2 = radius * radius;
  // (1 - 0.15^2) * 12 * k of the reference slab.
  return std::pow(r2 * r2 * 0.9775f * 12.0f * 100.0f / reference_modulus, 0.33333334f);
}

}  // namespace

float curling_parameter(const StressModelInputs& inputs, float radius, float k, float heff, float unit_weight,
                        float dt) {
  return 2.0f * inputs.alpha * (1.0f + inputs.mu) * (radius * radius) * k * dt / ((heff * heff) * unit_weight);
}

void daytime_stress_table(const inputs::ModelNameTable& models, const StressModelInputs& inputs,
                          const MonthlySlab& slab, inputs::Table2D<float>& table, std::span<float> levels) {
  constexpr int32_t months = 12;
  constexpr int32_t points = 3 * static_cast<int32_t>(daytime_level_count);
  fill_levels(levels);
  const float L = inputs.joint_spacing;
  // Load parameter of the standard 18-kip axle against the slab weight.
  const float q = 18000.0f / (12.0f * L * 144.0f * inputs.unit_weight * inputs.hpcc);

  std::array<float, months> length_ratio{};
  std::vector<float> x4(static_cast<size_t>(points * months));
  std::vector<float> x5(x4.size());
  for (size_t m = 0; m < months; ++m) {
    length_ratio[m] = std::min(12.0f * L / slab.radius[m], max_length_ratio);
    for (size_t j = 0; j < daytime_level_count; ++j) {
      const float phi =
          curling_parameter(inputs, slab.radius[m], slab.k[m], slab.heff[m], slab.unit_weight[m], levels[j]);
      const size_t p = 3 * j + static_cast<size_t>(points) * m;
      x4[p] = phi;  // curl and load
      x5[p] = q;
      x4[p + 1] = 0.0f;  // load alone
      x5[p + 1] = q;
      x4[p + 2] = phi;  // curl alone
      x5[p + 2] = 0.0f;
    }
  }
  const std::array<float, 1> x3 = {0.0f};
  std::vector<float> o(x4.size());
  nn::nn_eval_32_grid(models[0][0], static_cast<int32_t>(o.size()), months, 1, points, L, length_ratio, x3, x4, x5,
                      o);

  std::array<float, months> href{};
  std::array<float, months> x5_paired{};
  for (size_t m = 0; m < months; ++m) {
    href[m] = reference_thickness(slab.radius[m]);
    x5_paired[m] = href[m];
  }
  const std::array<float, 4> x1 = {inputs.f8, inputs.f8, 0.01f, 0.01f};
  const std::array<float, 4> x2 = {0.0f, inputs.f33, 0.0f, inputs.f33};
  const std::array<float, 1> x4_paired = {4500.0f / (inputs.f31 * (inputs.f34 * inputs.f34))};
  std::array<float, 4 * months> r{};
  nn::nn_eval_32_paired(models[0][2], static_cast<int32_t>(r.size()), months, 4, 1, x1, x2, inputs.f34, x4_paired,
                        x5_paired, r);

  for (size_t m = 0; m < months; ++m) {
    const float f = slab.unit_weight[m] * href[m] / slab.heff[m] / reference_unit_weight;
    const float* R = &r[4 * m];
    const float thickness_ratio = href[m] / slab.heff[m];
    const float scale = (inputs.f31 / 100.0f) * (thickness_ratio * thickness_ratio);
    const float B = (R[2] + R[3]) * scale;
    const float rho = ((R[0] + R[1]) * scale) / B;
    for (size_t j = 0; j < daytime_level_count; ++j) {
      const size_t p = 3 * j + static_cast<size_t>(points) * m;
      const float D = f * (o[p] - o[p + 1]);
      const float E = f * o[p + 2];
      table(j, m) = (D - E + B) * rho + E;
    }
  }
}

JointSpacingRows joint_spacing_rows(float joint_spacing) {
  const float x = joint_spacing <= 13.0f ? joint_spacing + 1.0f : joint_spacing;
  const auto K = static_cast<int>(x + 0.5f);
  if (K <= 13) return {1, {0, 0}};
  if (K <= 16) return {1, {K - 13, 0}};
  if (K == 17) return {2, {3, 4}};
  if (K == 18) return {1, {4, 0}};
  if (K == 19) return {2, {4, 5}};
  return {1, {5, 0}};
}

void nighttime_stress_table(const inputs::ModelNameTable& models, const StressModelInputs& inputs,
                            const MonthlySlab& slab, inputs::Table2D<float>& table,
                            std::span<float> levels, const nn::ProgressReporter& report_progress) {
  constexpr int32_t months = 12;
  constexpr auto I = static_cast<int32_t>(nighttime_level_count);
  fill_levels(levels);
  const JointSpacingRows rows = joint_spacing_rows(inputs.joint_spacing);

  std::vector<float> x3(static_cast<size_t>(I * months));
  std::array<float, months> x4{};
  for (size_t m = 0; m < months; ++m) {
    for (size_t i = 0; i < nighttime_level_count; ++i) {
      x3[i + nighttime_level_count * m] = std::min(
          curling_parameter(inputs, slab.radius[m], slab.k[m], slab.heff[m], slab.unit_weight[m], levels[i]),
          max_curling_parameter);
    }
    // Axle load parameter of the top-down models.
    x4[m] = 17000.0f / (25920.0f * inputs.unit_weight * inputs.hpcc);
  }
  const std::array<float, 1> x5 = {0.0f};
  const float x1 = 0.5f * inputs.f8 + 5.0f;

  // Only the first pass (sixth input 0) enters the table.
  const int32_t kept = I * months;
  std::array<std::vector<float>, 2> A;
  for (int r = 0; r < rows.count; ++r) {
    const JointSpacingClass& spacing_class = joint_spacing_classes[static_cast<size_t>(rows.row[r])];
    const std::array<float, 1> q = {spacing_class.nodes[2]};
    const auto& set = models[static_cast<size_t>(rows.row[r] + 1)];
    A[r].assign(static_cast<size_t>(kept), 0.0f);
    float progress = 0.0f;
    nn::nn_eval_33_set(set, kept, months, I, 1, 1, spacing_class.nodes, q, x1, slab.radius, x3, x4, x5,
                       nighttime_sixth_inputs, A[r], progress, 0.0f, report_progress);
  }
  for (size_t m = 0; m < months; ++m) {
    const float h3 = slab.heff[m] * slab.heff[m] * slab.heff[m];
    for (size_t i = 0; i < nighttime_level_count; ++i) {
      const size_t p = i + nighttime_level_count * m;
      if (rows.count == 1) {
        table(i, m) = (10.0f * (inputs.hpcc * inputs.hpcc) * inputs.unit_weight / reference_unit_weight) / h3 * A[0][p];
      } else {
        table(i, m) =
            (5.0f * (inputs.hpcc * inputs.hpcc) * inputs.unit_weight / reference_unit_weight) / h3 * (A[0][p] + A[1][p]);
      }
    }
  }
}

}  // namespace jpcp::cracking
