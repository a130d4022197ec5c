#include "faulting/deflection/deflection_model.h"

#include <optional>

#include "common/inputs/nn_info.h"
#include "common/nn/model_cache.h"
#include "common/platform/run_scope.h"
#include "common/platform/paths.h"
#include "common/splines/csiez.h"
#include "common/text/free_form_reader.h"

namespace jpcp::faulting {

namespace {

constexpr std::string_view nn_info_file_name = "NNinfo.txt";
constexpr int32_t deflection_group_size = 3;  // ig1 and ig2 of every node file
// Node interpolation needs a not-a-knot cubic, that is more than four nodes.
constexpr int32_t fewest_nodes_interpolated = 5;

// Reads and parses one node file; reports and returns false when it is
// missing, unreadable or not a 3+3 model.
// Through the run's model cache when it has one.
bool read_node_file(const std::string& path, const inputs::ReportError& report_error, nn::ResponseModel& model) {
  if (nn::ModelCache* cache = platform::current_run_scope().models) {
    const std::shared_ptr<const nn::ModelCache::Parsed> parsed = cache->parsed(path);
    if (!parsed) {
      report_error(std::string(node_file_missing_message) + path);
      return false;
    }
    if (!parsed->ok) {
      report_error(std::string(node_file_unreadable_message) + path + " (" + parsed->reason + ")");
      return false;
    }
    model = parsed->model;
  } else {
    const std::optional<std::string> contents = platform::read_input_file(path);
    if (!contents) {
      report_error(std::string(node_file_missing_message) + path);
      return false;
    }
    std::string reason;
    if (!nn::parse_response_model(*contents, model, reason)) {
      report_error(std::string(node_file_unreadable_message) + path + " (" + reason + ")");
      return false;
    }
  }
  if (model.ig1 != deflection_group_size || model.ig2 != deflection_group_size) {
    report_error(std::string(node_file_shape_message) + path);
    return false;
  }
  return true;
}

int64_t coefficient_count(const nn::ResponseModel& model) {
  int64_t count = 1;
  for (int32_t n : model.ncoef) count *= n;
  return count;
}

}  // namespace

bool read_deflection_model_names(std::string_view model_folder, const inputs::ReportError& report_error,
                                 std::array<std::string, nn_info_names>& paths) {
  text::FreeFormReader reader;
  if (!reader.open(platform::join(model_folder, nn_info_file_name))) {
    report_error(inputs::nn_info_read_message);
    return false;
  }
  std::array<std::string, nn_info_names> result;
  for (std::string& entry : result) {
    std::string name;
    const text::ReadStatus status = reader.read_values(name);
    if (status != text::ReadStatus::ok) {
      report_error(status == text::ReadStatus::end_of_file ? inputs::nn_info_eof_message
                                                           : inputs::nn_info_read_message);
      return false;
    }
    entry = platform::join(model_folder, name);
  }
  paths = std::move(result);
  return true;
}

bool deflection_storage_size(const std::string& first_model_path, const inputs::ReportError& report_error,
                             int64_t& storage, nn::ResponseModel* first_node) {
  nn::ResponseModel model;
  if (!read_node_file(first_model_path, report_error, model)) return false;
  storage = coefficient_count(model);
  if (first_node) *first_node = std::move(model);
  return true;
}

bool load_deflection_model(const NodeSet& nodes, int64_t storage, const inputs::ReportError& report_error,
                           DeflectionModel& model, nn::ResponseModel* first_node) {
  DeflectionModel result;
  const auto node_count = static_cast<size_t>(nodes.count);
  result.spacings.assign(nodes.spacings.begin(), nodes.spacings.begin() + nodes.count);
  for (size_t n = 0; n < node_count; ++n) {
    nn::ResponseModel node;
    if (n == 0 && first_node) {
      node = std::move(*first_node);
    } else if (!read_node_file(nodes.paths[n], report_error, node)) {
      return false;
    }
    const int64_t count = coefficient_count(node);
    if (count > storage) {
      report_error(std::string(node_file_storage_message) + nodes.paths[n]);
      return false;
    }
    // Node coefficients are interpolated index by index: every node must
    // have the same coefficient layout.
    if (n > 0 && node.ncoef != result.shape.ncoef) {
      report_error(std::string(node_file_mismatch_message) + nodes.paths[n]);
      return false;
    }
    if (n == 0) {
      result.coefficients = count;
      result.blocks.assign(node_count * static_cast<size_t>(count), 0.0f);
    }
    std::copy(node.coef.begin(), node.coef.end(), result.blocks.begin() + static_cast<ptrdiff_t>(n * count));
    node.coef.clear();
    node.coef.shrink_to_fit();
    result.shape = std::move(node);  // the last node read supplies orders and knots
  }
  model = std::move(result);
  return true;
}

void reduce_to_joint_spacing(DeflectionModel& model, float L) {
  const auto P = static_cast<size_t>(model.coefficients);
  const auto nodes = static_cast<int32_t>(model.spacings.size());
  if (nodes >= fewest_nodes_interpolated) {
    // Weight of node n: the spline through the n-th unit vector, at L.
    std::vector<float> unit(static_cast<size_t>(nodes), 0.0f);
    std::vector<double> weights(static_cast<size_t>(nodes));
    const std::array<float, 1> query = {L};
    std::array<float, 1> value{};
    for (size_t n = 0; n < unit.size(); ++n) {
      unit[n] = 1.0f;
      splines::CSIEZ(nodes, model.spacings, unit, 1, query, value);
      weights[n] = value[0];
      unit[n] = 0.0f;
    }
    for (size_t q = 0; q < P; ++q) {
      double sum = 0.0;
      for (size_t n = 0; n < weights.size(); ++n) sum += weights[n] * model.blocks[q + n * P];
      model.blocks[q] = static_cast<float>(sum);
    }
  }
  nn::ResponseModel reduced = model.shape;
  reduced.coef.assign(model.blocks.begin(), model.blocks.begin() + static_cast<ptrdiff_t>(P));
  model.staged = nn::make_staged_model(std::move(reduced));
  model.reduced = true;
}

}  // namespace jpcp::faulting
