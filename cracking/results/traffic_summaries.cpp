#include "cracking/results/traffic_summaries.h"

#include <cmath>
#include <cstdint>

#include "common/inputs/value_checks.h"
#include "common/platform/output_file.h"
#include "common/platform/paths.h"
#include "common/text/fixed_format.h"

namespace jpcp::cracking {

namespace {

using inputs::AxleTraffic;
using inputs::ReportError;
using inputs::load_equivalency_factor;
using inputs::single_axle;
using inputs::tandem_axle;
using inputs::tridem_axle;

constexpr std::string_view esals_file_name = "ESALs.txt";
constexpr std::string_view esals_text_before = "Design traffic =";
constexpr std::string_view esals_text_after = " million ESALs";
constexpr std::string_view traffic_totals_file_name = "Traff.csv";
constexpr std::string_view traffic_totals_header = "Single,Tandem,Tridem";
constexpr std::string_view csv_separator = ",";

// Axles per day summed over the months of the design life become ESALs of
// an average month, reported in millions.
constexpr float esal_days_per_month = 30.4167f;
constexpr float esals_per_million = 1000000.0f;

// Rows of Traff.csv: the classes of the single and tandem files.
constexpr int32_t traffic_totals_rows = 39;
// Load classes of a tridem file.
constexpr int32_t tridem_file_classes = 31;

}  // namespace

float design_traffic_millions(const AxleTraffic& traffic) {
  return traffic.esal_sum * esal_days_per_month / esals_per_million;
}

bool traffic_summaries_fit(const AxleTraffic& traffic, const ReportError& report_error) {
  const float design_traffic = design_traffic_millions(traffic);
  // F6.2: up to 999.99 million ESALs.
  if (std::isfinite(design_traffic) && design_traffic < 999.995f) return true;
  report_error(
      "Data error: axle load spectra files -- design traffic does not fit ESALs.txt (at most 999.99 "
      "million ESALs): " +
          inputs::shown_value(design_traffic),
      {});
  return false;
}

void write_traffic_summaries(const AxleTraffic& traffic, std::string_view results_folder) {
  platform::OutputFile esals;
  if (platform::create_output(esals, platform::join(results_folder, esals_file_name))) {
    const float design_traffic = design_traffic_millions(traffic);
    esals << esals_text_before << text::format_F(design_traffic, 6, 2) << esals_text_after << '\n';
  }

  platform::OutputFile totals;
  if (!platform::create_output(totals, platform::join(results_folder, traffic_totals_file_name))) return;
  totals << text::FreeFormLine().text(traffic_totals_header).str() << '\n';
  for (int32_t k = 1; k <= traffic_totals_rows; ++k) {
    const auto c = static_cast<size_t>(k - 1);
    // The tridem files have 31 classes; the rows beyond show 0.
    const float tridem_total = k <= tridem_file_classes ? traffic.class_totals[tridem_axle][c] : 0.0f;
    text::FreeFormLine line;
    line.real(traffic.class_totals[single_axle][c]).text(csv_separator);
    line.real(traffic.class_totals[tandem_axle][c]).text(csv_separator);
    line.real(tridem_total).text(csv_separator);
    line.real(load_equivalency_factor(single_axle, k)).text(csv_separator);
    line.real(load_equivalency_factor(tandem_axle, k)).text(csv_separator);
    line.real(load_equivalency_factor(tridem_axle, k));
    totals << line.str() << '\n';
  }
}

}  // namespace jpcp::cracking
