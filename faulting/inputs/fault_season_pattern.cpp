#include "faulting/inputs/fault_season_pattern.h"

#include <algorithm>
#include <array>
#include <string>

#include "common/platform/run_reporting.h"
#include "common/text/free_form_reader.h"

namespace jpcp::faulting {

namespace {

using inputs::season_file_label;

constexpr int32_t months_of_twenty_years = 240;
// Ages (months) of records 2..19: the month ends of the first year, then
// 2, 3, 4, 5, 10 and 20 years.
constexpr std::array<int32_t, 18> fixed_ages = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 24, 36, 48, 60, 120, 240};

bool report_failure(text::ReadStatus status, std::string_view data_message, const inputs::ReportError& report_error,
                    const text::FreeFormReader& reader, std::string_view path) {
  if (status == text::ReadStatus::ok) return false;
  report_error(status == text::ReadStatus::end_of_file ? inputs::season_eof_message : data_message,
               platform::input_file_detail(path) + "; " + reader.failure_detail());
  return true;
}

// The monthly properties are a cubic spline through (age, value): two
// records of the same age (the free first or last one repeating a fixed
// age) leave it undefined.
bool ages_distinct(std::vector<int32_t> ages) {
  std::sort(ages.begin(), ages.end());
  return std::adjacent_find(ages.begin(), ages.end()) == ages.end();
}

}  // namespace

int32_t pcc_table_points(int32_t n_months) { return n_months <= months_of_twenty_years ? 19 : 20; }

bool pcc_ages_valid(const std::vector<int32_t>& ages) {
  for (size_t r = 0; r < fixed_ages.size() && r + 1 < ages.size(); ++r) {
    if (ages[r + 1] != fixed_ages[r]) return false;
  }
  return ages_distinct(ages);
}

bool read_fault_season_pattern(std::string_view path, int32_t n_months, const inputs::ReportError& report_error,
                               FaultSeasonPattern& pattern) {
  text::FreeFormReader reader;
  reader.open(std::string(path));  // a missing file reads as an empty one: end of file

  FaultSeasonPattern result;
  if (report_failure(inputs::read_typical_year_values(reader, result.calendar), inputs::season_typical_year_message,
                     report_error, reader, path)) {
    return false;
  }
  const std::string detail = platform::input_file_detail(path);
  if (!inputs::typical_year_valid(result.calendar, season_file_label, report_error, detail)) return false;
  // The fourth line stands where the PCC modulus file has its leading integer.
  if (report_failure(reader.skip_line(), inputs::season_typical_year_message, report_error, reader, path)) {
    return false;
  }

  const auto count = static_cast<size_t>(pcc_table_points(n_months));
  PccPropertyTable& table = result.pcc;
  table.age.assign(count, 0);
  table.mr.assign(count, 0.0f);
  table.e.assign(count, 0.0f);
  std::vector<text::ReadTarget> targets;
  targets.reserve(3 * count);
  for (size_t r = 0; r < count; ++r) {
    targets.emplace_back(&table.age[r]);
    targets.emplace_back(&table.mr[r]);
    targets.emplace_back(&table.e[r]);
  }
  if (report_failure(reader.read(targets), inputs::season_pcc_message, report_error, reader, path)) return false;
  if (!pcc_ages_valid(table.age)) {
    report_error(inputs::season_pcc_message, detail +
                                                 "; the ages of records 2 to 19 must be 1 to 12, 24, 36, 48, "
                                                 "60, 120 and 240 months");
    return false;
  }
  if (!inputs::pcc_rows_valid(table.mr, table.e, season_file_label, report_error, detail)) return false;
  pattern = std::move(result);
  return true;
}

bool season_fits_results(const FaultSeasonPattern& pattern, int32_t start_month, int32_t n_months,
                         std::string_view path, const inputs::ReportError& report_error) {
  std::array<bool, 12> written{};
  for (int32_t i = 1; i <= std::min(n_months, 12); ++i) {
    written[static_cast<size_t>(inputs::calendar_month(start_month, i) - 1)] = true;
  }
  return inputs::typical_year_fits_results(pattern.calendar, written, {1000.0, "the k-value column of JPCP_faulting.csv"},
                                           {1.0e8, "the Ebase column of JPCP_faulting.csv"}, season_file_label,
                                           report_error, platform::input_file_detail(path));
}

}  // namespace jpcp::faulting
