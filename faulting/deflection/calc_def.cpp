#include "faulting/deflection/calc_def.h"

#include <algorithm>
#include <span>
#include <vector>

namespace jpcp::faulting {

namespace {

// Grid directions of the two stages: X the last dimension of the group.
constexpr std::array<int32_t, 3> group1_dimensions = {2, 1, 0};  // LTE, edge support, radius
constexpr std::array<int32_t, 3> group2_dimensions = {5, 4, 3};  // edge distance, load, Korenev parameter

// Values S of one model at (ell, edge support, LTE; phi, load, edge
// distance) for every load of `loads`, and at zero load.
void evaluate_model(const nn::StagedModel& staged, const CalcDefInputs& in, std::span<const float> loads,
                    std::vector<float>& loaded, float& unloaded) {
  const nn::ResponseModel& model = staged.model;
  const size_t n = loads.size();
  loaded.assign(n, 0.0f);
  unloaded = 0.0f;

  nn::StageEvaluator group1(model, group1_dimensions);
  nn::StageEvaluator group2(model, group2_dimensions);
  if (!group1.check_shape() || !group2.check_shape()) return;
  const std::array<float, 1> lte = {in.lte};
  const std::array<float, 1> edge_support = {in.edge_support};
  const std::array<float, 1> ell = {in.ell};
  group1.set_coordinates(0, lte);
  group1.set_coordinates(1, edge_support);
  group1.set_coordinates(2, ell);
  std::vector<float> work(static_cast<size_t>(staged.group2_blocks), 0.0f);
  const std::array<size_t, 3> origin = {0, 0, 0};
  if (group1.select(origin)) group1.contract_blocks(staged, work);

  // Load coordinates: the n loads, then zero load.
  std::vector<float> load_coordinates(loads.begin(), loads.end());
  load_coordinates.push_back(0.0f);
  const std::array<float, 1> edge_distance = {in.edge_distance};
  const std::array<float, 1> phi = {in.phi};
  group2.set_coordinates(0, edge_distance);
  group2.set_coordinates(1, load_coordinates);
  group2.set_coordinates(2, phi);
  for (size_t p = 0; p <= n; ++p) {
    const std::array<size_t, 3> point = {0, p, 0};
    const float value = group2.select(point) ? group2.contract(work) : 0.0f;
    if (p < n) {
      loaded[p] = value;
    } else {
      unloaded = value;
    }
  }
}

// One axle type: its loaded and unloaded models into their two columns.
void axle_deflections(const CalcDefInputs& in, std::span<const float> loads, DeflectionModels& models,
                      size_t loaded_model, DeflectionTable& defl) {
  std::vector<float> values;
  for (size_t column : {loaded_model, loaded_model + 1}) {
    DeflectionModel& model = models[column];
    if (!model.reduced) reduce_to_joint_spacing(model, in.L);
    float zero_load = 0.0f;
    evaluate_model(model.staged, in, loads, values, zero_load);
    for (size_t j = 0; j < loads.size(); ++j) defl[j][column] = (values[j] - zero_load) * in.beta;
  }
}

}  // namespace

void calc_def(const CalcDefInputs& inputs, const NormalisedLoads& loads, DeflectionModels& models,
              DeflectionTable& defl) {
  axle_deflections(inputs, std::span<const float>(loads.single).first(single_load_levels), models, single_loaded,
                   defl);
  axle_deflections(inputs, std::span<const float>(loads.tandem).first(tandem_load_levels), models, tandem_loaded,
                   defl);
  axle_deflections(inputs, std::span<const float>(loads.tridem).first(tridem_load_levels), models, tridem_loaded,
                   defl);
}

}  // namespace jpcp::faulting
