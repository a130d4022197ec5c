#include "common/inputs/traffic.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <span>
#include <vector>

#include "common/inputs/typical_year.h"
#include "common/inputs/value_checks.h"
#include "common/platform/paths.h"
#include "common/platform/run_reporting.h"
#include "common/text/fixed_format.h"
#include "common/text/free_form_reader.h"

namespace jpcp::inputs {

namespace {

constexpr std::string_view axle_eof_prefix = "Unexpected end of file: ";
constexpr std::string_view axle_data_prefix = "Data error: ";
// The path follows the fixed text in a blank-padded field of this width.
constexpr int axle_message_path_width = 300;

constexpr std::string_view hourly_traffic_label = "hourly traffic distribution file";

// Load classes per line in the files of the cracking program, and the classes
// the faulting program takes from the start of each line.
constexpr std::array<int32_t, axle_type_count> cracking_file_classes = {39, 39, 31, 31};
constexpr std::array<int32_t, axle_type_count> faulting_file_classes = {38, 38, 31, 31};

constexpr std::array<float, 39> single_factors = {
    0.00015f, 0.00155f, 0.004f,  0.008f,  0.0155f, 0.0265f, 0.04425f, 0.06875f, 0.1045f, 0.1515f,
    0.21575f, 0.29725f, 0.40375f, 0.53525f, 0.70075f, 0.90025f, 1.145f, 1.435f,  1.78f,   2.18f,
    2.6475f,  3.1825f,  3.8f,    4.5f,    5.29f,   6.17f,   7.155f,   8.245f,   9.4425f, 10.7475f,
    12.2f,    13.8f,    15.525f, 17.375f, 19.4f,   21.6f,   24.0f,    26.6f,    29.425f};
constexpr std::array<float, 39> tandem_factors = {
    0.0003f, 0.0035f, 0.0085f, 0.0185f, 0.036f,  0.064f,  0.1065f, 0.168f,  0.2545f, 0.373f,
    0.5305f, 0.735f,  0.995f,  1.32f,   1.725f,  2.215f,  2.8f,    3.495f,  4.305f,  5.245f,
    6.325f,  7.555f,  8.945f,  10.49f,  12.25f,  14.2f,   16.35f,  18.75f,  21.4f,   24.3f,
    27.5f,   31.05f,  34.95f,  39.25f,  43.95f,  49.1f,   54.75f,  60.95f,  67.7f};
constexpr std::array<float, 31> tridem_factors = {
    0.001f,  0.012f,  0.02975f, 0.05675f, 0.106f,   0.16975f, 0.28025f, 0.417f,   0.6275f, 0.8775f, 1.2375f,
    1.6525f, 2.22f,   2.865f,   3.695f,   4.61f,    5.7775f,  7.0425f,  8.58f,    10.2375f, 12.225f, 14.35f,
    16.925f, 19.475f, 22.7f,    26.225f,  30.025f,  30.025f,  30.025f,  30.025f,  30.025f};

// Days of each calendar month; February always has 28.
constexpr std::array<int32_t, 12> month_days = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

std::string axle_message(std::string_view prefix, std::string_view path, bool path_in_message) {
  if (!path_in_message) return std::string(platform::trimmed(prefix));
  return std::string(prefix) + text::format_A(path, axle_message_path_width);
}

bool drops_first_class(AxleType type) { return type == single_axle || type == tandem_axle; }

// Puts one line (analysis month, zero-based) into the monthly table. The
// cracking program drops the first single and tandem class (shifting the
// others down by one) and turns axles per day into axles in the month.
void fill_month(AxleType type, std::span<const float> line_values, size_t month, const AxleReadPolicy& policy,
                Table2D<float>& table) {
  if (!policy.cracking_conversion) {
    for (size_t c = 0; c < line_values.size(); ++c) table(month, c) = line_values[c];
    return;
  }
  const int32_t position = static_cast<int32_t>(month % 12) + 1;
  const auto days = static_cast<float>(month_days[static_cast<size_t>(calendar_month(policy.start_month, position) - 1)]);
  const size_t shift = drops_first_class(type) ? 1 : 0;
  for (size_t c = 0; c + shift < line_values.size(); ++c) table(month, c) = line_values[c + shift] * days;
}

constexpr std::array<std::string_view, axle_type_count> axle_file_labels = {
    "Single axle load spectra file", "Tandem axle load spectra file", "Tridem axle load spectra file",
    "Quad axle load spectra file"};

// Axle counts are numbers of axles: none may be negative, and none so large
// that the axles of its month or the sums over the months overflow. The
// message and its detail (which opens the file again) are built only for a
// value that fails: the checks run on every value of every line.
bool axle_line_valid(AxleType type, std::span<const float> line_values, std::span<const float> totals, int32_t month,
                     const std::string& path, const ReportError& report_error) {
  constexpr float longest_month_days = 31.0f;
  // Far above the axles of one load class on the busiest road: beyond it a
  // count is a typing or unit error, and its damage would swamp every month.
  constexpr double most_axles_per_day = 1.0e6;
  constexpr std::string_view meaning = "axles per day";
  for (size_t c = 0; c < line_values.size(); ++c) {
    const float value = line_values[c];
    const bool in_range = value >= 0.0 && value <= most_axles_per_day;
    if (in_range && std::isfinite(value * longest_month_days) && std::isfinite(totals[c] + value)) continue;
    FieldChecks checks(axle_file_labels[type], report_error, platform::input_file_detail(path));
    const std::string field = "line " + std::to_string(month + 1) + ", class " + std::to_string(c + 1);
    if (checks.within(field, meaning, value, 0.0, most_axles_per_day)) {
      checks.fail(field, meaning, "be small enough that the monthly axles and their sums stay finite", value);
    }
    return false;
  }
  return true;
}

// Sums and monthly values that overflow would reach the result files as
// infinities: the counts are then too large to be real.
bool axle_sums_finite(AxleType type, const AxleTraffic& traffic, size_t months, const std::string& path,
                      const ReportError& report_error) {
  bool finite = std::isfinite(traffic.esal_sum);
  for (const float total : traffic.class_totals[type]) finite = finite && std::isfinite(total);
  for (size_t j = 0; j < months && finite; ++j) {
    for (size_t c = 0; c < axle_classes; ++c) finite = finite && std::isfinite(traffic.monthly[type](j, c));
  }
  if (finite) return true;
  report_error("Data error: " + std::string(axle_file_labels[type]) +
                   " -- axle counts too large: their sums over the months are not finite numbers",
               platform::input_file_detail(path));
  return false;
}

// Reads one axle file into its monthly table and class totals.
bool read_axle_file(AxleType type, const std::string& path, const AxleReadPolicy& policy,
                    const ReportError& report_error, AxleTraffic& traffic) {
  text::FreeFormReader reader;
  reader.open(path);  // a missing file reads as an empty one

  const auto& classes = policy.cracking_conversion ? cracking_file_classes : faulting_file_classes;
  std::vector<float> line_values(static_cast<size_t>(classes[type]));
  auto& totals = traffic.class_totals[type];
  for (int32_t month = 0; month < policy.months; ++month) {
    // The line number and the label (month name or date) are read past; a
    // value omitted from a line (a null value) counts as no axles.
    int32_t line_number = 0;
    std::string label;
    std::fill(line_values.begin(), line_values.end(), 0.0f);
    const auto status = reader.read_values(line_number, label, line_values);
    if (status != text::ReadStatus::ok) {
      const auto prefix = status == text::ReadStatus::end_of_file ? axle_eof_prefix : axle_data_prefix;
      report_error(axle_message(prefix, path, policy.path_in_messages),
                   platform::input_file_detail(path) + "; " + reader.failure_detail() + "; " +
                       std::to_string(policy.months) + " lines of analysis months are needed");
      return false;
    }
    if (!axle_line_valid(type, line_values, totals, month, path, report_error)) return false;
    for (size_t c = 0; c < line_values.size(); ++c) totals[c] += line_values[c];
    fill_month(type, line_values, static_cast<size_t>(month), policy, traffic.monthly[type]);
  }

  for (size_t c = 0; c < line_values.size(); ++c) {
    traffic.esal_sum += totals[c] * load_equivalency_factor(type, static_cast<int32_t>(c + 1));
  }
  return axle_sums_finite(type, traffic, static_cast<size_t>(std::max(policy.months, int32_t{0})), path, report_error);
}

}  // namespace

float load_equivalency_factor(AxleType type, int32_t file_class) {
  if (file_class < 1) return 0.0f;
  const auto k = static_cast<size_t>(file_class - 1);
  switch (type) {
    case single_axle:
      return k < single_factors.size() ? single_factors[k] : 0.0f;
    case tandem_axle:
      return k < tandem_factors.size() ? tandem_factors[k] : 0.0f;
    case tridem_axle:
      return k < tridem_factors.size() ? tridem_factors[k] : 0.0f;
    default:
      return 0.0f;  // quad axles carry no ESALs
  }
}

bool read_axle_files(const std::array<std::string, axle_type_count>& paths, const AxleReadPolicy& policy,
                     const ReportError& report_error, AxleTraffic& traffic) {
  AxleTraffic result;
  // Never fewer rows than lines read, whatever the caller sized.
  const size_t rows = std::max(policy.table_months, static_cast<size_t>(std::max(policy.months, int32_t{0})));
  for (auto& table : result.monthly) table = Table2D<float>(rows, axle_classes);

  for (size_t t = 0; t < axle_type_count; ++t) {
    if (!read_axle_file(static_cast<AxleType>(t), paths[t], policy, report_error, result)) return false;
  }
  traffic = std::move(result);
  return true;
}

bool hourly_percentages_valid(const std::array<float, 24>& percentages, std::string_view path,
                              const ReportError& report_error) {
  FieldChecks checks(hourly_traffic_label, report_error, platform::input_file_detail(path));
  double sum = 0.0;
  for (size_t h = 0; h < percentages.size(); ++h) {
    checks.within(field_label("hour", static_cast<int64_t>(h + 1)), "percent of daily traffic", percentages[h], 0.0,
                  100.0);
    sum += percentages[h];
  }
  checks.above_zero("sum of the 24 hours", "percent of daily traffic", sum);
  return checks.ok();
}

bool read_hourly_percentages(std::string_view path, std::array<float, 24>& percentages) {
  text::FreeFormReader reader;
  if (!reader.open(std::string(path))) return false;
  std::array<float, 24> values{};
  if (reader.read_values(std::span<float>(values)) != text::ReadStatus::ok) return false;
  percentages = values;
  return true;
}

}  // namespace jpcp::inputs
