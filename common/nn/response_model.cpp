#include "common/nn/response_model.h"

#include <limits>

#include "common/platform/paths.h"
#include "common/platform/run_reporting.h"
#include "common/text/free_form_reader.h"

namespace jpcp::nn {

namespace {

// Largest coefficient count accepted: coefficient positions are 4-byte
// integers in the model format.
constexpr int64_t max_coefficients = std::numeric_limits<int32_t>::max();

bool read_ok(text::ReadStatus status, std::string& error) {
  switch (status) {
    case text::ReadStatus::ok:
      return true;
    case text::ReadStatus::end_of_file:
      error = model_file_reason::ends_early;
      return false;
    case text::ReadStatus::bad_value:
      error = model_file_reason::not_a_number;
      return false;
  }
  return false;
}

}  // namespace

bool parse_response_model(std::string_view contents, ResponseModel& model, std::string& error) {
  model = ResponseModel{};
  // `contents` outlives the reader: no copy of the text.
  auto reader = text::FreeFormReader::viewing(contents);
  if (!read_ok(reader.read_values(model.ig1, model.ig2), error)) return false;
  const int64_t total = static_cast<int64_t>(model.ig1) + static_cast<int64_t>(model.ig2);
  const size_t n = total > 0 ? static_cast<size_t>(total) : 0;
  // Every count takes at least two characters (a digit and a separator):
  // a header cannot make the reader allocate more than the file can fill.
  if (n > static_cast<size_t>(max_coefficients) || n > contents.size() / 2) {
    error = model_file_reason::declares_more_than_held;
    return false;
  }
  model.ncoef.assign(n, 0);
  model.kord.assign(n, 0);
  if (!read_ok(reader.read_values(model.ncoef), error)) return false;
  if (!read_ok(reader.read_values(model.kord), error)) return false;
  int64_t coefficient_count = 1;
  for (size_t d = 0; d < n; ++d) {
    const std::string dimension = std::to_string(d + 1);
    if (model.ncoef[d] < 0 || model.kord[d] < 0) {
      error = std::string(model_file_reason::negative_count) + dimension;
      return false;
    }
    if (static_cast<int64_t>(model.ncoef[d]) + model.kord[d] > max_knots_per_dimension) {
      error = std::string(model_file_reason::too_many_knots) + dimension;
      return false;
    }
    coefficient_count *= model.ncoef[d];
    if (coefficient_count > max_coefficients) {
      error = model_file_reason::too_many_coefficients;
      return false;
    }
  }
  // Checked before anything is allocated: a coefficient takes at least two
  // characters of the file.
  if (coefficient_count > static_cast<int64_t>(contents.size() / 2)) {
    error = model_file_reason::declares_more_than_held;
    return false;
  }
  model.knots.resize(n);
  for (size_t d = 0; d < n; ++d) {
    std::vector<float>& knots = model.knots[d];
    knots.assign(static_cast<size_t>(model.ncoef[d] + model.kord[d]), 0.0f);
    if (!read_ok(reader.read_values(knots), error)) return false;
    for (size_t i = 1; i < knots.size(); ++i) {
      if (knots[i] < knots[i - 1]) {
        error = std::string(model_file_reason::decreasing_knots) + std::to_string(d + 1);
        return false;
      }
    }
  }
  model.coef.assign(static_cast<size_t>(coefficient_count), 0.0f);
  return read_ok(reader.read_values(model.coef), error);
}

std::string model_file_message(std::string_view path, std::string_view reason) {
  std::string line = " NN model file ";
  line += path;
  line += ' ';
  line += reason;
  return line;
}

void read_response_model(std::string_view path, ResponseModel& model) {
  const std::optional<std::string> contents = platform::read_input_file(path);
  if (!contents)
    platform::stop_run(model_file_message(path, model_file_reason::cannot_open), platform::input_file_detail(path));
  std::string error;
  if (!parse_response_model(*contents, model, error)) platform::stop_run(model_file_message(path, error));
}

}  // namespace jpcp::nn
