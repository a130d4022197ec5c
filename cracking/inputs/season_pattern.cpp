#include "cracking/inputs/season_pattern.h"

#include <string>

#include "common/inputs/messages.h"
#include "common/inputs/value_checks.h"
#include "common/platform/run_reporting.h"

namespace jpcp::inputs {

namespace {

constexpr float days_per_month = 30.4167f;
// Rows of the PCC modulus file before the year-end rows: ages 0 to 12 months.
constexpr int32_t pcc_month_rows = 12;
// An interface switch beyond this many months that reaches the end of the
// analysis keeps the slab bonded throughout.
constexpr int32_t bonded_throughout_months = 36;

// Rows of the PCC modulus file: an integer (age), MR and E per row.
struct PccRows {
  std::vector<int32_t> age;
  std::vector<float> mr;
  std::vector<float> e;
};

bool report_season_failure(text::ReadStatus status, std::string_view data_message, const ReportError& report_error,
                           const text::FreeFormReader& reader, std::string_view path, std::string_view note = {}) {
  if (status == text::ReadStatus::ok) return false;
  std::string detail = platform::input_file_detail(path) + "; " + reader.failure_detail();
  if (!note.empty()) detail += "; " + std::string(note);
  report_error(status == text::ReadStatus::end_of_file ? season_eof_message : data_message, detail);
  return true;
}

// The leading integer, then all rows in one read statement (line breaks
// between the rows do not matter).
bool read_pcc_file(std::string_view path, int32_t row_count, const ReportError& report_error, PccRows& rows) {
  text::FreeFormReader reader;
  reader.open(std::string(path));  // a missing file reads as an empty one

  int32_t leading = 0;
  if (report_season_failure(reader.read_values(leading), season_typical_year_message, report_error, reader, path)) {
    return false;
  }

  const auto count = static_cast<size_t>(row_count);
  rows.age.assign(count, 0);
  rows.mr.assign(count, 0.0f);
  rows.e.assign(count, 0.0f);
  std::vector<text::ReadTarget> targets;
  targets.reserve(3 * count);
  for (size_t r = 0; r < count; ++r) {
    targets.emplace_back(&rows.age[r]);
    targets.emplace_back(&rows.mr[r]);
    targets.emplace_back(&rows.e[r]);
  }
  const std::string note = "the design life needs " + std::to_string(count) + " rows of PCC properties";
  if (report_season_failure(reader.read(targets), season_pcc_message, report_error, reader, path, note)) return false;
  return pcc_rows_valid(rows.mr, rows.e, "PCC modulus file", report_error, platform::input_file_detail(path));
}

// Typical-year values reordered so that position 0 is the starting month.
TypicalYear in_analysis_order(const TypicalYear& calendar_order, int32_t start_month) {
  TypicalYear result;
  for (int32_t p = 1; p <= 12; ++p) {
    const auto m = static_cast<size_t>(calendar_month(start_month, p) - 1);
    const auto i = static_cast<size_t>(p - 1);
    result.k_value[i] = calendar_order.k_value[m];
    result.base_modulus[i] = calendar_order.base_modulus[m];
    result.relative_humidity[i] = calendar_order.relative_humidity[m];
  }
  return result;
}

// Mid-month MR and E of every analysis month and the concrete age factor.
// The first year averages the month-end rows around each month; later
// years run on a straight line between the year-end rows.
void interpolate_concrete_properties(const PccRows& rows, const SeasonInputs& inputs, SeasonPattern& pattern) {
  const auto c = static_cast<float>(inputs.age_time_constant);
  const auto a = static_cast<float>(inputs.age_offset);
  auto age_factor = [c](float t) { return t / (t + c); };

  for (size_t j = 1; j <= 12; ++j) {
    pattern.mr[j - 1] = (rows.mr[j - 1] + rows.mr[j]) / 2.0f;
    pattern.e[j - 1] = (rows.e[j - 1] + rows.e[j]) / 2.0f;
    const float t = (static_cast<float>(j) + a - 0.5f) * days_per_month;  // days
    pattern.age_factor[j - 1] = age_factor(t);
  }

  for (int32_t y = 2; y <= inputs.years; ++y) {
    const auto p0 = static_cast<size_t>(pcc_month_rows + y - 1 - 1);  // row 12 + y - 1, zero-based
    const auto p1 = p0 + 1;                                          // row 12 + y
    const float mr_slope = (rows.mr[p1] - rows.mr[p0]) / 12.0f;
    const float e_slope = (rows.e[p1] - rows.e[p0]) / 12.0f;
    const auto first = static_cast<size_t>(12 * (y - 1));  // zero-based first month of year y
    float mr = rows.mr[p0] + 0.5f * mr_slope;
    float e = rows.e[p0] + 0.5f * e_slope;
    float t = (static_cast<float>(first + 1) + a) * days_per_month;
    for (size_t i = first; i < first + 12; ++i) {
      if (i > first) {
        mr += mr_slope;
        e += e_slope;
        t += days_per_month;
      }
      pattern.mr[i] = mr;
      pattern.e[i] = e;
      pattern.age_factor[i] = age_factor(t);
    }
  }
}

// 1.0 for the months before the slab/base bond is lost, 0.0 afterwards.
void fill_bond_indicator(int32_t bond_months, SeasonPattern& pattern) {
  const bool bonded_throughout = bond_months > bonded_throughout_months && bond_months >= pattern.months;
  for (int32_t j = 1; j <= pattern.months; ++j) {
    pattern.bond[static_cast<size_t>(j - 1)] = (bonded_throughout || j <= bond_months) ? 1.0f : 0.0f;
  }
}

}  // namespace

bool read_season_pattern(std::string_view season_path, std::string_view pcc_path, const SeasonInputs& inputs,
                         const ReportError& report_error, SeasonPattern& pattern) {
  // The tables hold at most 125 years; the General input reader rejects any
  // other design life, so this only guards a caller that skipped it.
  if (inputs.years < 1 || inputs.years > max_design_life_years) {
    report_error(general_input_design_life_message);
    return false;
  }

  TypicalYear calendar_order;
  {
    text::FreeFormReader reader;
    reader.open(std::string(season_path));  // a missing file reads as an empty one
    if (report_season_failure(read_typical_year_values(reader, calendar_order), season_typical_year_message,
                              report_error, reader, season_path)) {
      return false;
    }
    if (!typical_year_valid(calendar_order, season_file_label, report_error,
                            platform::input_file_detail(season_path))) {
      return false;
    }
  }

  PccRows rows;
  const int32_t row_count = inputs.years + pcc_month_rows;
  if (!read_pcc_file(pcc_path, row_count, report_error, rows)) return false;

  SeasonPattern result;
  result.year = in_analysis_order(calendar_order, inputs.start_month);
  result.years = inputs.years;
  result.months = 12 * inputs.years;
  const auto months = static_cast<size_t>(result.months);
  result.mr.assign(months, 0.0f);
  result.e.assign(months, 0.0f);
  result.bond.assign(months, 0.0f);
  result.field8.assign(months, inputs.field8);
  result.month_number.resize(months);
  result.age_factor.assign(months, 0.0f);
  for (size_t j = 0; j < months; ++j) result.month_number[j] = static_cast<int32_t>(j + 1);

  const auto last = static_cast<size_t>(row_count - 1);
  result.final_properties = {static_cast<float>(rows.age[last]), rows.mr[last], rows.e[last]};

  // One period per year of the design life.
  for (int32_t y = 1; y <= inputs.years; ++y) {
    result.period_start.push_back(12 * (y - 1));
    result.period_length.push_back(1.0f);
  }

  interpolate_concrete_properties(rows, inputs, result);
  fill_bond_indicator(inputs.interface_switch, result);
  result.e_month12 = result.e[11];

  pattern = std::move(result);
  return true;
}

}  // namespace jpcp::inputs
