#include "cracking/results/stress_results.h"

#include <fstream>
#include <string>

#include "common/platform/paths.h"
#include "common/text/fixed_format.h"
#include "cracking/results/result_files.h"

namespace jpcp::cracking {

namespace {

constexpr std::string_view unbonded_file_name = "StressResults.csv";
constexpr std::string_view bonded_file_name = "StressResultsBond.csv";

constexpr std::string_view position_label = "P/Mo/Pos:,";
constexpr std::string_view load_header = "Temp.\\Load";
constexpr std::array<std::string_view, bottom_up_chain_count> axle_texts = {"Single Axle,", "Tandem Axle,",
                                                                            "Tridem Axle,"};
constexpr std::string_view daytime_text = "Daytime: ";
constexpr int daytime_label_width = 21;
constexpr std::string_view nighttime_text = "Nighttime*: ";
constexpr std::array<std::string_view, wheelbase_class_count> class_names = {"Short", "Medium", "Long"};
constexpr std::string_view spacing_text = " axle spacing";
constexpr std::string_view nonlinear_text = "*Nighttime stressess include nonlinear stress of ";
constexpr std::string_view psi_text = " psi";

// First node of the four-point Gauss-Legendre rule on 0..1: the first
// lateral position is this share of the inner wander band, 8 in wide for
// bottom-up and 24 in wide for top-down stresses.
constexpr float first_gauss_node = 0.0694318f;
constexpr float daytime_band = 8.0f;    // in
constexpr float nighttime_band = 24.0f; // in

std::string load_line(const std::array<float, nn_loads>& loads) {
  std::string line(load_header);
  for (float load : loads) line += ',' + text::format_F(load / 1000.0f, 5, 1);  // kips
  return line;
}

// One gradient row: the node, then the stresses (psi) at the five loads.
template <typename StressAt>
std::string stress_line(float gradient, StressAt stress_at) {
  std::string line = text::format_F(gradient, 6, 2);
  for (size_t c = 0; c < nn_loads; ++c) line += ',' + text::format_F(stress_at(c), 6, 1);
  return line;
}

}  // namespace

void write_stress_results(RunContext& run, InterfaceCase interface_case, const CaseStresses& stresses,
                          int32_t period, int32_t month) {
  const std::string_view name = interface_case == InterfaceCase::bonded ? bonded_file_name : unbonded_file_name;
  platform::OutputFile out;
  if (!platform::append_output(out, platform::join(run.results_folder, name))) {
    // The same message names the unbonded file for either case.
    run.report_error(std::string(refusing_to_share) + std::string(unbonded_file_name));
    return;
  }
  const auto j = static_cast<size_t>(12 * (period - 1) + month - 1);
  const float daytime_position = daytime_band * first_gauss_node;
  const float nighttime_position = nighttime_band * first_gauss_node;

  const std::array<std::array<float, nn_loads>, bottom_up_chain_count> daytime_loads = {
      single_nn_loads, tandem_nn_loads, tridem_nn_loads};
  for (size_t chain = 0; chain < bottom_up_chain_count; ++chain) {
    const std::string label = text::format_A(std::string(axle_texts[chain]) + std::string(daytime_text),
                                             daytime_label_width);
    out << text::FreeFormLine()
               .text(position_label)
               .integer(period)
               .text(",")
               .integer(month)
               .text(",")
               .real(daytime_position)
               .text(",")
               .text(label)
               .str()
        << '\n';
    out << load_line(daytime_loads[chain]) << '\n';
    const StressGrid& grid = stresses.bottom[chain];  // (p, a, c, j)
    for (size_t a = 0; a < gradient_nodes; ++a) {
      out << stress_line(stresses.daytime_nodes[a], [&](size_t c) { return grid(0, a, c, j); }) << '\n';
    }
  }

  for (size_t wheelbase = 0; wheelbase < wheelbase_class_count; ++wheelbase) {
    out << position_label << text::format_I(period, 2) << ',' << text::format_I(month, 2) << ','
        << text::format_F(nighttime_position, 9, 7) << ','
        << text::FreeFormLine().text(nighttime_text).text(class_names[wheelbase]).text(spacing_text).str() << '\n';
    out << load_line(tandem_nn_loads) << '\n';
    const StressGrid& grid = stresses.top[wheelbase];  // (p, c, b, j)
    for (size_t b = 0; b < gradient_nodes; ++b) {
      out << stress_line(stresses.nighttime_nodes[b], [&](size_t c) { return grid(0, c, b, j); }) << '\n';
    }
  }

  out << nonlinear_text << text::format_F(stresses.nonlinear_stress, 5, 1) << psi_text << '\n';
}

}  // namespace jpcp::cracking
