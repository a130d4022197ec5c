#include "cracking/damage/cracking_results.h"

#include "cracking/inputs/general_fields.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <string>
#include <vector>

#include "common/inputs/table.h"
#include "common/platform/paths.h"
#include "common/platform/result_guard.h"
#include "common/splines/spline_values.h"
#include "common/text/fixed_format.h"
#include "cracking/inputs/season_pattern.h"
#include "cracking/results/result_files.h"

namespace jpcp::cracking {

namespace {

// The header is one line written in three pieces; the last piece is a
// free-form item and therefore starts with its blank.
constexpr std::string_view header_first = "Year,Age(mo),Month,MR(psi),Epcc(Mpsi),";
constexpr std::string_view header_second = "Ebase(ksi),k(psi/in),BU_Single,BU_Tandem,BU_Tridem,BU_Quad,";
constexpr std::string_view header_free_form = "Toal_BU,TD_SWB,TD_MWB,TD_LWB,Total_TD,%Crack";
constexpr std::string_view calibration_label_letter = "L";

// A value that is not finite would otherwise reach a result file as a
// plausible-looking field; the run stops instead.
constexpr std::string_view not_finite_prefix = "Value not finite: ";

// Names of the checked quantities in the messages: the component columns,
// the two totals and the cracking.
constexpr std::array<std::string_view, damage_component_count> component_names = {
    "BU_Single", "BU_Tandem", "BU_Tridem", "BU_Quad", "TD_SWB", "TD_MWB", "TD_LWB"};
constexpr std::string_view total_bottom_up_name = "total bottom-up damage";
constexpr std::string_view total_top_down_name = "total top-down damage";
constexpr std::string_view cracking_name = "%Crack";
constexpr std::string_view month_place = "month ";
constexpr std::string_view age_place = "observation age ";

// Existing cracking below this (percent) is no existing cracking.
constexpr float existing_cracking_threshold = 0.1f;
// Damage sums below this count as no damage of that type.
constexpr float no_damage_sum = 1.0e-5f;
// Bounds of %Crack in the result file, percent.
constexpr float lowest_cracking = 0.001f;
constexpr float highest_cracking = 99.99f;

constexpr size_t bottom_up_components = 4;  // BU_Single .. BU_Quad; the rest are top-down

std::string not_finite_message(std::string_view quantity, std::string_view place, int64_t number) {
  return std::string(not_finite_prefix) + std::string(quantity) + " of " + std::string(place) +
         std::to_string(number) + ".";
}

// Reports a value that is not finite; false then.
bool finite_or_report(RunContext& run, float value, std::string_view quantity, std::string_view place,
                      int64_t number) {
  if (std::isfinite(value)) return true;
  run.report_error(not_finite_message(quantity, place, number));
  return false;
}

struct TransferCoefficients {
  float c4 = 0.0f;  // General input field 19
  float c5 = 0.0f;  // field 20
};

// Fraction of slabs cracked at cumulative damage D: 1 / (1 + C4 D^C5),
// evaluated as x / (x + C4) with x = D^-C5 so that zero damage with the
// usual negative C5 gives exactly 0.
float cracking_fraction(float damage, const TransferCoefficients& coefficients) {
  const float x = std::pow(damage, -coefficients.c5);
  // D^C5 vanishes (zero damage with positive C5, or huge damage with
  // negative C5): the fraction is 1 / (1 + 0).
  if (std::isinf(x)) return 1.0f;
  const float denominator = x + coefficients.c4;
  // Only zero damage with C4 = 0: no damage, no cracking.
  if (denominator == 0.0f) return 0.0f;
  return x / denominator;
}

// Probability that a slab has a bottom-up or a top-down crack, percent,
// less the cracking offset.
float combined_cracking(float bottom_up, float top_down, const TransferCoefficients& coefficients, float offset) {
  const float cb = cracking_fraction(bottom_up, coefficients);
  const float ct = cracking_fraction(top_down, coefficients);
  return (cb + ct - cb * ct) * 100.0f - offset;
}

// The year table: column 0 the year number, columns 1..7 the cumulative
// damage of the seven components at the end of each year.
inputs::Table2D<float> yearly_damage(const CrackingSection& section, int32_t years) {
  inputs::Table2D<float> yearly(static_cast<size_t>(years), damage_component_count + 1);
  for (int32_t y = 1; y <= years; ++y) {
    const auto row = static_cast<size_t>(y - 1);
    // The cumulative analysis month at the end of the year, in whole years.
    const int32_t end_month =
        row < section.season.period_start.size() ? section.season.period_start[row] + 12 : 12 * y;
    yearly(row, 0) = static_cast<float>(end_month / 12);
    for (size_t c = 0; c < damage_component_count; ++c) {
      float sum = 0.0f;
      for (size_t m = 0; m < 12; ++m) sum += section.damage.component[c](m, row);
      yearly(row, c + 1) = sum;
    }
  }
  for (size_t row = 1; row < static_cast<size_t>(years); ++row) {
    for (size_t c = 1; c <= damage_component_count; ++c) yearly(row, c) += yearly(row - 1, c);
  }
  return yearly;
}

float bottom_up_sum(const inputs::Table2D<float>& yearly, size_t row) {
  float sum = 0.0f;
  for (size_t c = 0; c < bottom_up_components; ++c) sum += yearly(row, c + 1);
  return sum;
}

float top_down_sum(const inputs::Table2D<float>& yearly, size_t row) {
  float sum = 0.0f;
  for (size_t c = bottom_up_components; c < damage_component_count; ++c) sum += yearly(row, c + 1);
  return sum;
}

struct InitialDamage {
  float bottom_up = 0.0f;  // BU0
  float top_down = 0.0f;   // TD0
};

// Ratio r of bottom-up to top-down damage, each year's damages measured in
// the single damage that gives the same combined cracking. A year without
// damage of one type, or whose cracking saturates the transfer function,
// has no such measure and is left out; with no year left, r = 1.
float damage_ratio(const inputs::Table2D<float>& yearly, int32_t years, const TransferCoefficients& coefficients) {
  float sum_bottom_up = 0.0f;
  float sum_top_down = 0.0f;
  for (size_t row = 0; row < static_cast<size_t>(years); ++row) {
    const float db = bottom_up_sum(yearly, row);
    const float dt = top_down_sum(yearly, row);
    if (!(db > 0.0f) || !(dt > 0.0f)) continue;
    const float cb = cracking_fraction(db, coefficients);
    const float ct = cracking_fraction(dt, coefficients);
    const float equivalent =
        std::pow((1.0f / (cb + ct - cb * ct) - 1.0f) / coefficients.c4, 1.0f / coefficients.c5);
    if (!(equivalent > 0.0f) || !std::isfinite(equivalent)) continue;
    sum_bottom_up += db / equivalent;
    sum_top_down += dt / equivalent;
  }
  const float count = static_cast<float>(years);
  if (!(sum_top_down > 0.0f) || !(sum_bottom_up > 0.0f)) return 1.0f;
  const float ratio = (sum_bottom_up / count) / (sum_top_down / count);
  return std::isfinite(ratio) ? ratio : 1.0f;
}

// Initial damages that reproduce the existing cracking P0 (percent).
InitialDamage equivalent_initial_damage(const inputs::Table2D<float>& yearly, int32_t years, float existing,
                                        const TransferCoefficients& coefficients) {
  // With C5 = 0 the transfer function does not depend on damage, with C4 = 0
  // every damage cracks every slab: no damage expresses P0.
  if (coefficients.c4 == 0.0f || coefficients.c5 == 0.0f) return {};

  float sum_bottom_up = 0.0f;
  float sum_top_down = 0.0f;
  for (size_t row = 0; row < static_cast<size_t>(years); ++row) {
    sum_bottom_up += bottom_up_sum(yearly, row);
    sum_top_down += top_down_sum(yearly, row);
  }
  const bool bottom_up_only = sum_bottom_up > no_damage_sum && sum_top_down < no_damage_sum;
  const bool top_down_only = sum_bottom_up < no_damage_sum && sum_top_down > no_damage_sum;
  const bool neither = sum_bottom_up < no_damage_sum && sum_top_down < no_damage_sum;

  if (bottom_up_only || top_down_only || neither) {
    // The damage at which the transfer function alone gives P0, shared
    // between the two types.
    const float d0 = std::pow((100.0f / existing - 1.0f) / coefficients.c4, 1.0f / coefficients.c5);
    const float top_down_share = bottom_up_only ? 0.01f : (top_down_only ? 0.99f : 0.5f);
    return {(1.0f - top_down_share) * d0, top_down_share * d0};
  }

  // Both types present: keep the analysis's bottom-up to top-down ratio r.
  // With t = TD0^C5 the combined cracking P0 gives a t^2 + b t + c = 0.
  const float r = damage_ratio(yearly, years, coefficients);
  const float p = existing / 100.0f;
  const float u = coefficients.c4 * std::pow(r, coefficients.c5);
  const float a = p * u * coefficients.c4;
  const float b = (u + coefficients.c4) * (p - 1.0f);
  const float c = p - 1.0f;
  float t = 0.0f;
  if (a != 0.0f) {
    t = (-b + std::sqrt(b * b - 4.0f * a * c)) / (2.0f * a);
  } else if (b != 0.0f) {
    t = -c / b;  // u underflowed: the equation is linear
  } else {
    return {};  // no equation left to solve
  }
  const float top_down = std::pow(t, 1.0f / coefficients.c5);
  return {r * top_down, top_down};
}

// Summary lines of the calibration: cumulative damage interpolated over the
// years at each observation age, and the cracking there (not bounded).
bool write_calibration_summary(RunContext& run, const CrackingSection& section, int32_t analysis_index,
                               const inputs::Table2D<float>& yearly, int32_t years, const InitialDamage& initial,
                               const TransferCoefficients& coefficients, float offset) {
  const std::vector<float>& ages = section.general.observation_ages;
  if (ages.empty()) return true;

  // A one-year analysis has a single point to interpolate; the damage of
  // the unloaded pavement at age 0 makes it a line. Repeated observation
  // ages are allowed.
  const size_t first = years == 1 ? 1 : 0;
  std::vector<float> year_numbers(first + static_cast<size_t>(years), 0.0f);
  for (size_t row = 0; row < static_cast<size_t>(years); ++row) year_numbers[first + row] = yearly(row, 0);
  std::array<std::vector<float>, damage_component_count> at_age;
  std::vector<float> cumulative(year_numbers.size(), 0.0f);
  for (size_t c = 0; c < damage_component_count; ++c) {
    for (size_t row = 0; row < static_cast<size_t>(years); ++row) cumulative[first + row] = yearly(row, c + 1);
    at_age[c].assign(ages.size(), 0.0f);
    splines::cubic_spline_values(year_numbers, cumulative, ages, at_age[c]);
  }

  const float calibration_value = section.general.calibration_values[static_cast<size_t>(analysis_index - 1)];
  const std::string label = std::string(platform::trimmed(section.input_set.section_name)) +
                            std::string(calibration_label_letter) +
                            std::to_string(static_cast<int32_t>(calibration_value + 0.5f));
  for (size_t i = 0; i < ages.size(); ++i) {
    float db = 0.0f;
    float dt = 0.0f;
    for (size_t c = 0; c < bottom_up_components; ++c) db += at_age[c][i];
    for (size_t c = bottom_up_components; c < damage_component_count; ++c) dt += at_age[c][i];
    db += initial.bottom_up;
    dt += initial.top_down;
    const float cracking = combined_cracking(db, dt, coefficients, offset);
    const auto number = static_cast<int64_t>(i + 1);
    if (!finite_or_report(run, db, total_bottom_up_name, age_place, number) ||
        !finite_or_report(run, dt, total_top_down_name, age_place, number) ||
        !finite_or_report(run, cracking, cracking_name, age_place, number)) {
      return false;
    }
    run.summary_file << text::format_A(label, static_cast<int>(label.size())) << ',' << text::format_F(ages[i], 5, 1)
                     << ',' << text::format_E(db, 15, 7) << ',' << text::format_E(dt, 15, 7) << ','
                     << text::format_F(cracking, 11, 7) << '\n';
  }
  run.summary_file.flush();
  return true;
}

// The 12 rows of every year: running cumulative damage, totals with the
// initial damages, and the bounded cracking.
bool write_cracking_rows(RunContext& run, platform::OutputFile& out, const CrackingSection& section, int32_t years,
                         const InitialDamage& initial, const TransferCoefficients& coefficients, float offset) {
  std::array<float, damage_component_count> running{};
  int32_t age = 1;
  for (int32_t year = 1; year <= years; ++year) {
    const auto year_column = static_cast<size_t>(year - 1);
    for (int32_t position = 1; position <= 12; ++position) {
      const auto m = static_cast<size_t>(position - 1);
      const auto j = static_cast<size_t>(age - 1);
      for (size_t c = 0; c < damage_component_count; ++c) running[c] += section.damage.component[c](m, year_column);
      float db = 0.0f;
      float dt = 0.0f;
      for (size_t c = 0; c < bottom_up_components; ++c) db += running[c];
      for (size_t c = bottom_up_components; c < damage_component_count; ++c) dt += running[c];
      db += initial.bottom_up;
      dt += initial.top_down;
      const float cracking = combined_cracking(db, dt, coefficients, offset);

      for (size_t c = 0; c < damage_component_count; ++c) {
        if (!finite_or_report(run, running[c], component_names[c], month_place, age)) return false;
      }
      if (!finite_or_report(run, db, total_bottom_up_name, month_place, age) ||
          !finite_or_report(run, dt, total_top_down_name, month_place, age) ||
          !finite_or_report(run, cracking, cracking_name, month_place, age)) {
        return false;
      }
      const float bounded = std::clamp(cracking, lowest_cracking, highest_cracking);

      const int32_t calendar = inputs::calendar_month(section.general.start_month, position);
      std::string row = text::format_I(year, 5) + ',' + text::format_I(age, 5) + ',' +
                        text::format_A(month_names[static_cast<size_t>(calendar - 1)], 10) + ',' +
                        text::format_F(section.season.mr[j], 5, 0) + ',' +
                        text::format_F(section.season.e[j] / 1.0e6f, 7, 2) + ',' +
                        text::format_F(section.season.year.base_modulus[m] / 1000.0f, 7, 2) + ',' +
                        text::format_F(section.season.year.k_value[m], 5, 0) + ',';
      for (size_t c = 0; c < bottom_up_components; ++c) row += text::format_E(running[c], 15, 7) + ',';
      row += text::format_E(db, 15, 7) + ',';
      for (size_t c = bottom_up_components; c < damage_component_count; ++c) {
        row += text::format_E(running[c], 15, 7) + ',';
      }
      row += text::format_E(dt, 15, 7) + ',';
      row += text::format_F(bounded, 5, 2);
      out << row << '\n';
      ++age;
    }
  }
  return true;
}

}  // namespace

bool write_cracking_results(RunContext& run, CrackingSection& section, int32_t analysis_index) {
  // The damage tables hold 100 years; a longer design life is cut there.
  const int32_t years = std::min(section.years, static_cast<int32_t>(max_damage_years));
  const TransferCoefficients coefficients{section.general.field[inputs::general::crack_c4], section.general.field[inputs::general::crack_c5]};
  const float existing = section.general.field[inputs::general::initial_cracking];  // P0, percent

  const inputs::Table2D<float> yearly = yearly_damage(section, years);
  InitialDamage initial;
  if (existing >= existing_cracking_threshold) {
    initial = equivalent_initial_damage(yearly, years, existing, coefficients);
  } else {
    // Without existing cracking there is no cracking offset either, for
    // this and the section's later analyses.
    section.general.field[inputs::general::cracking_offset] = 0.0f;
  }
  const float offset = section.general.field[inputs::general::cracking_offset];  // Pc, percent

  if (run.calibration_mode) {
    if (!write_calibration_summary(run, section, analysis_index, yearly, years, initial, coefficients, offset)) {
      return false;
    }
    if (!run.detail_switch) return true;
  }

  const std::string name =
      std::string(platform::trimmed(section.input_set.section_name)) + std::string(cracking_file_suffix);
  platform::OutputFile out;
  if (!platform::create_output(out, platform::join(run.results_folder, name))) {
    // Reported and skipped; the run goes on.
    run.report_error(std::string(refusing_to_share) + name);
    return true;
  }
  // One heading line; rows by analysis month (Age(mo)) and month name.
  platform::note_result_layout(platform::join(run.results_folder, name),
                               platform::ResultLayout{.when_field = 2, .when_label = "month", .name_field = 3});
  out << header_first << header_second << text::FreeFormLine().text(header_free_form).str() << '\n';
  return write_cracking_rows(run, out, section, years, initial, coefficients, offset);
}

}  // namespace jpcp::cracking
