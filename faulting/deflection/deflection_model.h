// The six corner deflection models: 3+3 tensor-product B-spline models given
// at five joint-spacing nodes, reduced to the section's joint spacing by a
// cubic spline through the node coefficients.
//
// Dimensions: 1 radius of relative stiffness (in), 2 edge support, 3 joint
// load transfer (percent) form group 1; 4 Korenev parameter, 5 normalised
// axle load, 6 edge distance (in) form group 2.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/inputs/reporting.h"
#include "common/nn/response_model.h"
#include "common/nn/staged_model.h"

namespace jpcp::faulting {

inline constexpr size_t deflection_model_count = 6;
inline constexpr size_t joint_spacing_nodes = 5;
inline constexpr size_t nn_info_names = deflection_model_count * joint_spacing_nodes;

// Model order in NNinfo.txt and in the deflection table.
enum DeflectionModelIndex : size_t {
  single_loaded,
  single_unloaded,
  tandem_loaded,
  tandem_unloaded,
  tridem_loaded,
  tridem_unloaded,
};

// Joint spacings (ft) of the five nodes of every model.
inline constexpr std::array<float, joint_spacing_nodes> node_joint_spacings = {12.0f, 15.0f, 21.0f, 27.0f, 33.0f};

// What the loader needs to know about one model: its node count, the node
// joint spacings and the node files (full paths).
struct NodeSet {
  int32_t count = static_cast<int32_t>(joint_spacing_nodes);
  std::array<float, joint_spacing_nodes> spacings = node_joint_spacings;
  std::array<std::string, joint_spacing_nodes> paths;
};

struct DeflectionModel {
  nn::ResponseModel shape;    // ig1, ig2, ncoef, kord and knots (of the last node file read); coef unused
  int64_t coefficients = 0;   // P: coefficients of one node
  std::vector<float> blocks;  // node_count blocks of P coefficients, node 1 first
  std::vector<float> spacings;  // node joint spacings, ft
  bool reduced = false;         // block 1 holds the coefficients at the section's joint spacing
  nn::StagedModel staged;       // the reduced model, ready for evaluation (after the reduction)
};

using DeflectionModels = std::array<DeflectionModel, deflection_model_count>;

// Messages of the model loader.
inline constexpr std::string_view node_file_missing_message = "Deflection model file could not be opened: ";
inline constexpr std::string_view node_file_shape_message =
    "Deflection model file is not a 3+3 model (ig1 and ig2 must be 3): ";
inline constexpr std::string_view node_file_unreadable_message = "Deflection model file could not be read: ";
inline constexpr std::string_view node_file_mismatch_message =
    "Deflection model file has other coefficient counts than the other nodes of its model: ";
inline constexpr std::string_view node_file_storage_message =
    "Deflection model file has more coefficients than the first model file: ";

// The 30 node file names of NNinfo.txt in the model folder, as full paths.
bool read_deflection_model_names(std::string_view model_folder, const inputs::ReportError& report_error,
                                 std::array<std::string, nn_info_names>& paths);

// Coefficient storage per node: P of the first model file, which every
// model of the set must fit. False (reported) when the file cannot be read
// or is not a 3+3 model. With `first_node`, the parsed file is handed over
// so that loading its model need not parse it again.
bool deflection_storage_size(const std::string& first_model_path, const inputs::ReportError& report_error,
                             int64_t& storage, nn::ResponseModel* first_node = nullptr);

// Loads the node files of one model into its blocks. `first_node`, when
// given, is node 1 already parsed (from deflection_storage_size); it is
// consumed.
bool load_deflection_model(const NodeSet& nodes, int64_t storage, const inputs::ReportError& report_error,
                           DeflectionModel& model, nn::ResponseModel* first_node = nullptr);

// Replaces block 1 by the coefficients at joint spacing L (ft): per
// coefficient, the not-a-knot cubic spline through its node values at the
// node spacings, evaluated at L. That spline is linear in the node values,
// so its value at L is a fixed weighted sum of them: the weights (the spline
// through each unit vector) are computed once and applied to every
// coefficient, summed in double. Models with four nodes or fewer keep block 1.
// Builds the staged model used by calc_def.
void reduce_to_joint_spacing(DeflectionModel& model, float L);

}  // namespace jpcp::faulting
