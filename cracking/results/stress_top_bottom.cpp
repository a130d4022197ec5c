#include "cracking/results/stress_top_bottom.h"

#include <algorithm>
#include <fstream>
#include <string>

#include "common/platform/paths.h"
#include "common/platform/result_guard.h"
#include "common/text/fixed_format.h"
#include "cracking/results/result_files.h"

namespace jpcp::cracking {

namespace {

constexpr std::string_view bottom_file_name = "_StressBot.csv";
constexpr std::string_view top_file_name = "_StressTop.csv";
// One message for either file.
constexpr std::string_view stresses_message_name = "_Stresses.csv";

constexpr std::string_view us_header_first = "Year,Age(mo),MR(psi),Epcc(Mpsi),";
constexpr std::string_view si_header_first = "Year,Age(mo),MR(Mpa),Epcc(Mpa),";
constexpr std::string_view us_bottom_header = "Axle Type,Therm Grad(deg F),Load(Kips), Stress(psi)";
constexpr std::string_view si_bottom_header = "Axle Type,Therm Grad(deg C),Load(kg), Stress(Mpa)";
constexpr std::string_view us_top_header = "Axle Spacing,Therm Grad(deg F),Load(Kips), Stress(psi)";
constexpr std::string_view si_top_header = "Axle Spacing,Therm Grad(deg C),Load(kg), Stress(Mpa)";

constexpr std::array<std::string_view, bottom_up_chain_count> bottom_labels = {"Single", "Tandem", "Tridem"};
constexpr std::array<std::string_view, wheelbase_class_count> top_labels = {"Short ", "Medium", "Long  "};
constexpr int label_width = 10;

constexpr int32_t si_switch = 1;
constexpr int32_t us_switch = 2;

// SI conversions of the written values.
constexpr float mpa_per_psi = 0.00689f;
constexpr float kg_per_lb = 0.453f;

// Bond indicators from this value up mark a bonded month.
constexpr float bonded_month = 0.5f;

struct Units {
  bool si = false;
};

std::string month_columns(const Units& units, int32_t year, int32_t age, float mr, float e) {
  std::string columns = text::format_I(year, 5) + ',' + text::format_I(age, 5) + ',';
  if (units.si) {
    columns += text::format_F(mr * mpa_per_psi, 6, 2) + ',' + text::format_F(e * mpa_per_psi, 7, 0) + ',';
  } else {
    columns += text::format_F(mr, 5, 0) + ',' + text::format_F(e / 1.0e6f, 7, 2) + ',';
  }
  return columns;
}

// Label, gradient (deg F, or deg C), load (lb in, kips or kg out) and
// stress (psi in, psi or MPa out).
std::string row_columns(const Units& units, std::string_view label, float gradient, float load, float stress) {
  std::string columns = text::format_A(label, label_width) + ',';
  if (units.si) {
    columns += text::format_F(gradient * 5.0f / 9.0f, 6, 1) + ',' + text::format_F(load * kg_per_lb, 7, 0) + ',' +
               text::format_F(stress * mpa_per_psi, 7, 2);
  } else {
    columns += text::format_F(gradient, 6, 1) + ',' + text::format_F(load / 1000.0f, 5, 1) + ',' +
               text::format_F(stress, 6, 1);
  }
  return columns;
}

}  // namespace

void write_stress_top_bottom(RunContext& run, const CrackingSection& section, const CaseStresses& unbonded,
                             const CaseStresses* bonded, int32_t years) {
  platform::OutputFile bottom_out;
  platform::OutputFile top_out;
  const bool bottom_open = platform::create_output(bottom_out, platform::join(run.results_folder, bottom_file_name));
  const bool top_open = platform::create_output(top_out, platform::join(run.results_folder, top_file_name));
  if (!bottom_open || !top_open) {
    run.report_error(std::string(refusing_to_share) + std::string(stresses_message_name));
    return;
  }
  // One heading line; rows by analysis month (Age(mo)).
  for (std::string_view name : {bottom_file_name, top_file_name}) {
    platform::note_result_layout(platform::join(run.results_folder, name),
                                 platform::ResultLayout{.when_field = 2, .when_label = "month"});
  }
  // Other switches only leave the two files empty.
  if (run.response_switch != si_switch && run.response_switch != us_switch) return;
  const Units units{run.response_switch == si_switch};

  bottom_out << (units.si ? si_header_first : us_header_first) << (units.si ? si_bottom_header : us_bottom_header)
             << '\n';
  top_out << (units.si ? si_header_first : us_header_first) << (units.si ? si_top_header : us_top_header) << '\n';

  const std::array<std::array<float, nn_loads>, bottom_up_chain_count> bottom_loads = {
      single_nn_loads, tandem_nn_loads, tridem_nn_loads};
  const int32_t written_years = std::min(years, static_cast<int32_t>(max_damage_years));
  for (int32_t year = 1; year <= written_years; ++year) {
    for (int32_t month = 1; month <= 12; ++month) {
      const int32_t age = 12 * (year - 1) + month;
      const auto j = static_cast<size_t>(age - 1);
      // In the two-case analysis each month shows the case its bond
      // indicator selects.
      const bool show_bonded = bonded != nullptr && section.season.bond[j] >= bonded_month;
      const CaseStresses& shown = show_bonded ? *bonded : unbonded;
      const std::string month_text = month_columns(units, year, age, section.season.mr[j], section.season.e[j]);

      for (size_t chain = 0; chain < bottom_up_chain_count; ++chain) {
        const StressGrid& grid = shown.bottom[chain];  // (p, a, c, j)
        for (size_t a = 0; a < gradient_nodes; ++a) {
          for (size_t c = 0; c < nn_loads; ++c) {
            bottom_out << month_text
                       << row_columns(units, bottom_labels[chain], shown.daytime_nodes[a], bottom_loads[chain][c],
                                      grid(0, a, c, j))
                       << '\n';
          }
        }
      }
      for (size_t wheelbase = 0; wheelbase < wheelbase_class_count; ++wheelbase) {
        const StressGrid& grid = shown.top[wheelbase];  // (p, c, b, j)
        for (size_t b = 0; b < gradient_nodes; ++b) {
          for (size_t c = 0; c < nn_loads; ++c) {
            top_out << month_text
                    << row_columns(units, top_labels[wheelbase], shown.nighttime_nodes[b], tandem_nn_loads[c],
                                   grid(0, c, b, j))
                    << '\n';
          }
        }
      }
    }
  }
}

}  // namespace jpcp::cracking
