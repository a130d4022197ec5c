#include "cracking/damage/load_stresses.h"

#include <algorithm>
#include <cmath>

#include "cracking/nn/nn_eval_22.h"
#include "cracking/nn/nn_eval_32.h"
#include "cracking/stress/stress_tables.h"

namespace jpcp::cracking {

namespace {

constexpr float max_length_ratio = 14.5f;
constexpr float max_curling_parameter = 50.0f;
constexpr float reference_unit_weight = 0.087f;  // pci
constexpr std::array<float, 3> top_down_sixth_inputs = {0.0f, 18.0f, 30.0f};
// Progress of the four bottom-up model stages and the top-down stage.
constexpr std::array<float, 4> bottom_up_progress = {15.0f, 15.0f, 1.0f, 1.8f};
constexpr float top_down_progress = 65.0f;

constexpr size_t passes = 3;  // load and curl, load alone, curl alone
constexpr size_t points_per_month = passes * nn_loads * gradient_nodes;

float curling_parameter(const LoadStressInputs& in, const MonthlySlabSeries& s, size_t j, float dt) {
  return 2.0f * in.alpha * (1.0f + in.mu) * (s.radius[j] * s.radius[j]) * s.k[j] * dt /
         ((s.heff[j] * s.heff[j]) * s.unit_weight[j]);
}

// Model 1 or 2 over every month, position and (pass, load, node) point:
// result (p, a, c, j) of each pass.
struct PassStresses {
  std::vector<float> values;  // point + points_per_month * (p + 6 j)
  float at(size_t t, size_t a, size_t c, size_t p, size_t j) const {
    return values[a + gradient_nodes * (c + nn_loads * t) + points_per_month * (p + lateral_positions * j)];
  }
};

PassStresses axle_model(const std::string& file, const LoadStressInputs& in, const MonthlySlabSeries& s,
                        std::span<const float, gradient_nodes> nodes, std::span<const float, lateral_positions> x_p,
                        const std::array<float, nn_loads>& loads, float load_divisor) {
  const size_t months = s.months();
  std::vector<float> x2(months);
  std::vector<float> x4(points_per_month * months);
  std::vector<float> x5(x4.size());
  for (size_t j = 0; j < months; ++j) {
    x2[j] = std::min(12.0f * in.joint_spacing / s.radius[j], max_length_ratio);
    for (size_t c = 0; c < nn_loads; ++c) {
      const float lambda = loads[c] / (s.unit_weight[j] * in.joint_spacing * load_divisor * s.heff[j]);
      for (size_t a = 0; a < gradient_nodes; ++a) {
        const float phi = curling_parameter(in, s, j, nodes[a]);
        for (size_t t = 0; t < passes; ++t) {
          const size_t point = a + gradient_nodes * (c + nn_loads * t) + points_per_month * j;
          x4[point] = t == 1 ? 0.0f : phi;
          x5[point] = t == 2 ? 0.0f : lambda;
        }
      }
    }
  }
  PassStresses result;
  result.values.resize(points_per_month * lateral_positions * months);
  nn::nn_eval_32_grid(file, static_cast<int32_t>(result.values.size()), static_cast<int32_t>(months),
                      static_cast<int32_t>(lateral_positions), static_cast<int32_t>(points_per_month), in.joint_spacing,
                      x2, x_p, x4, x5, result.values);
  return result;
}

// Model 3: four (offset, edge) pairs per position and one point per load.
std::vector<float> edge_model(const std::string& file, const LoadStressInputs& in, std::span<const float> href,
                              std::span<const float, lateral_positions> x_p, const std::array<float, nn_loads>& loads,
                              float load_share) {
  constexpr size_t pairs = 4 * lateral_positions;
  std::array<float, pairs> x1{};
  std::array<float, pairs> x2{};
  for (size_t p = 0; p < lateral_positions; ++p) {
    const std::array<float, 4> first = {in.w_f8, in.w_f8, 0.01f, 0.01f};
    const std::array<float, 4> second = {x_p[p], x_p[p] + in.f33, x_p[p], x_p[p] + in.f33};
    for (size_t i = 0; i < 4; ++i) {
      x1[i + 4 * p] = first[i];
      x2[i + 4 * p] = second[i];
    }
  }
  std::array<float, nn_loads> x4{};
  for (size_t c = 0; c < nn_loads; ++c) x4[c] = load_share * loads[c] / (in.f31 * (in.f34 * in.f34));
  std::vector<float> out(nn_loads * pairs * href.size());
  nn::nn_eval_32_paired(file, static_cast<int32_t>(out.size()), static_cast<int32_t>(href.size()),
                        static_cast<int32_t>(pairs), static_cast<int32_t>(nn_loads), x1, x2, in.f34, x4, href, out);
  return out;  // c + 5 (i + 4 p + 24 j)
}

// Model 4: eight (offset, edge) pairs per position.
std::vector<float> shoulder_model(const std::string& file, const LoadStressInputs& in, std::span<const float> href,
                                  std::span<const float, lateral_positions> x_p) {
  constexpr size_t pairs = 8 * lateral_positions;
  std::array<float, pairs> x2{};
  std::array<float, pairs> x4{};
  for (size_t p = 0; p < lateral_positions; ++p) {
    const std::array<float, 4> offsets = {x_p[p], x_p[p] + in.f33, x_p[p] + 12.0f * in.f26,
                                          x_p[p] + in.f33 + 12.0f * in.f26};
    for (size_t i = 0; i < 4; ++i) {
      x2[i + 8 * p] = offsets[i];
      x4[i + 8 * p] = in.w_f8;
      x2[i + 4 + 8 * p] = offsets[i];
      x4[i + 4 + 8 * p] = 0.1f;
    }
  }
  std::vector<float> out(pairs * href.size());
  nn::nn_eval_22(file, static_cast<int32_t>(out.size()), static_cast<int32_t>(href.size()),
                 static_cast<int32_t>(pairs), href, x2, in.f32 + 3.5f, x4, out);
  return out;  // i + 8 p + 48 j
}

void advance(float& progress, float step, const nn::ProgressReporter& report_progress) {
  progress += step;
  report_progress(progress);
}

}  // namespace

float reference_thickness(float radius) {
  const float r2 = radius * radius;
  return std::pow(12.0f * 0.9775f * 100.0f * (r2 * r2) / 4000000.0f, 0.33333334f);
}

void bottom_up_stresses(const inputs::ModelNameTable& models, const LoadStressInputs& in,
                        const MonthlySlabSeries& slab, std::span<const float, gradient_nodes> nodes,
                        std::span<const float, lateral_positions> x_p, float& progress,
                        const nn::ProgressReporter& report_progress,
                        std::array<StressGrid, bottom_up_chain_count>& bottom) {
  const size_t months = slab.months();
  const PassStresses single = axle_model(models[0][0], in, slab, nodes, x_p, single_nn_loads, 12.0f * 144.0f);
  advance(progress, bottom_up_progress[0], report_progress);
  const PassStresses tandem = axle_model(models[0][1], in, slab, nodes, x_p, tandem_nn_loads, 2.0f * 12.0f * 144.0f);
  advance(progress, bottom_up_progress[1], report_progress);

  std::vector<float> href(months);
  for (size_t j = 0; j < months; ++j) href[j] = reference_thickness(slab.radius[j]);
  const std::vector<float> m3_single = edge_model(models[0][2], in, href, x_p, single_nn_loads, 0.25f);
  const std::vector<float> m3_tandem = edge_model(models[0][2], in, href, x_p, tandem_nn_loads, 0.125f);
  advance(progress, bottom_up_progress[2], report_progress);
  const std::vector<float> m4 = shoulder_model(models[0][3], in, href, x_p);
  advance(progress, bottom_up_progress[3], report_progress);

  const float s = in.f31 / 100.0f;
  for (size_t chain = 0; chain < bottom_up_chain_count; ++chain) {
    const size_t axles = chain + 1;  // single 1, tandem-type 2, tridem-type 3
    const PassStresses& S = chain == single_chain ? single : tandem;
    const std::vector<float>& m3 = chain == single_chain ? m3_single : m3_tandem;
    const auto& loads = chain == single_chain ? single_nn_loads : tandem_nn_loads;
    StressGrid grid(months);
    for (size_t j = 0; j < months; ++j) {
      // Model stresses to the section's slab.
      const float q = slab.unit_weight[j] * href[j] / (reference_unit_weight * slab.heff[j]);
      const float ratio = href[j] / slab.heff[j];
      const float g2 = ratio * ratio;
      for (size_t p = 0; p < lateral_positions; ++p) {
        const float* M4 = &m4[8 * p + 8 * lateral_positions * j];
        float Lt = 0.0f;
        float L0 = 0.0f;
        if (axles > 1) {
          const auto extra = static_cast<float>(axles - 1);
          Lt = extra * (M4[0] + M4[1] + M4[2] + M4[3]);
          L0 = extra * (M4[4] + M4[5] + M4[6] + M4[7]);
        }
        for (size_t c = 0; c < nn_loads; ++c) {
          auto M3 = [&](size_t i) { return m3[c + nn_loads * (i + 4 * p + 4 * lateral_positions * j)]; };
          const float At = s * (M3(0) + M3(1)) + Lt * loads[c] / 39200.0f;
          const float A0 = s * (M3(2) + M3(3)) + L0 * loads[c] / 39200.0f;
          const float am = g2 * A0;
          // Without a response free of load transfer the ratio is taken as 1.
          const float R = am != 0.0f ? g2 * At / am : 1.0f;
          for (size_t a = 0; a < gradient_nodes; ++a) {
            const float D = q * (S.at(0, a, c, p, j) - S.at(1, a, c, p, j));
            const float B = q * S.at(2, a, c, p, j);
            grid(p, a, c, j) = B + R * (D - B + am);
          }
        }
      }
    }
    bottom[chain] = std::move(grid);
  }
}

void top_down_stresses(const inputs::ModelNameTable& models, const LoadStressInputs& in,
                       const MonthlySlabSeries& slab, std::span<const float, gradient_nodes> nodes,
                       std::span<const float, lateral_positions> x_p, float nonlinear_stress, float& progress,
                       const nn::ProgressReporter& report_progress,
                       std::array<StressGrid, wheelbase_class_count>& top) {
  const size_t months = slab.months();
  constexpr size_t Nb = lateral_positions * nn_loads;
  const JointSpacingRows rows = joint_spacing_rows(in.joint_spacing);

  std::vector<float> x3(gradient_nodes * months);
  std::vector<float> x4(Nb * months);
  for (size_t j = 0; j < months; ++j) {
    for (size_t b = 0; b < gradient_nodes; ++b) {
      x3[b + gradient_nodes * j] = std::min(curling_parameter(in, slab, j, nodes[b]), max_curling_parameter);
    }
    for (size_t c = 0; c < nn_loads; ++c) {
      const float load = tandem_nn_loads[c] / (51840.0f * slab.unit_weight[j] * slab.heff[j]);
      for (size_t p = 0; p < lateral_positions; ++p) x4[p + lateral_positions * c + Nb * j] = load;
    }
  }
  std::array<float, Nb> x5{};
  for (size_t c = 0; c < nn_loads; ++c) {
    for (size_t p = 0; p < lateral_positions; ++p) x5[p + lateral_positions * c] = x_p[p];
  }
  const float x1 = 5.0f + 0.5f * in.w_f8;
  const size_t n = Nb * gradient_nodes * months;  // first pass of every model
  const float share = top_down_progress / static_cast<float>(rows.count);

  std::array<std::vector<float>, 2> S;
  for (int r = 0; r < rows.count; ++r) {
    const JointSpacingClass& spacing_class = joint_spacing_classes[static_cast<size_t>(rows.row[r])];
    S[r].assign(n * wheelbase_class_count, 0.0f);
    nn::nn_eval_33_set(models[static_cast<size_t>(rows.row[r] + 1)], static_cast<int32_t>(n),
                       static_cast<int32_t>(months), static_cast<int32_t>(gradient_nodes), static_cast<int32_t>(Nb),
                       static_cast<int32_t>(wheelbase_class_count), spacing_class.nodes, in.axle_spacing, x1,
                       slab.radius, x3, x4, x5, top_down_sixth_inputs, S[r], progress, share, report_progress);
  }
  const float factor = (rows.count == 1 ? 10.0f : 5.0f) * (in.hpcc * in.hpcc) * in.pcc_unit_weight;
  for (size_t w = 0; w < wheelbase_class_count; ++w) {
    StressGrid grid(months);
    for (size_t j = 0; j < months; ++j) {
      const float h3 = slab.heff[j] * slab.heff[j] * slab.heff[j];
      float* block = grid.month(j);
      for (size_t i = 0; i < Nb * gradient_nodes; ++i) {
        // Kernel order b (= p + 6 c) fastest, then the node, then the month:
        // the grid's (p, c, b, j) order.
        const size_t at = i + Nb * gradient_nodes * j + n * w;
        const float model = rows.count == 1 ? S[0][at] : S[0][at] + S[1][at];
        block[i] = model * factor / (reference_unit_weight * h3) + nonlinear_stress;
      }
    }
    top[w] = std::move(grid);
  }
}

}  // namespace jpcp::cracking
