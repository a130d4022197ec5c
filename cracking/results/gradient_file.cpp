#include "cracking/results/gradient_file.h"

#include <fstream>
#include <string>

#include "common/platform/paths.h"
#include "common/text/fixed_format.h"
#include "cracking/inputs/season_pattern.h"
#include "cracking/results/result_files.h"

namespace jpcp::cracking {

namespace {

constexpr std::string_view unbonded_stem = "LTemp_";
constexpr std::string_view bonded_stem = "LTemp_B_";
constexpr std::string_view csv_extension = ".csv";
constexpr std::string_view daytime_title = "Daytime gradients";
constexpr std::string_view nighttime_title = "Nighttime gradients";
constexpr std::string_view header_title = "Temperature";

std::string month_header(int32_t start_month) {
  std::string line(header_title);
  for (int32_t column = 1; column <= 12; ++column) {
    line += ',';
    line += text::format_I(inputs::calendar_month(start_month, column), 2);
  }
  return line;
}

void write_rows(platform::OutputFile& out, const inputs::Table2D<float>& table, std::span<const float> levels) {
  for (size_t bin = 0; bin < levels.size(); ++bin) {
    std::string line = text::format_F(levels[bin], 6, 2);
    for (size_t m = 0; m < 12; ++m) {
      line += ',';
      line += text::format_F(table(bin, m), 11, 7);
    }
    out << line << '\n';
  }
}

}  // namespace

void write_gradient_file(RunContext& run, const CrackingSection& section, bool bonded) {
  const std::string name = std::string(bonded ? bonded_stem : unbonded_stem) +
                           std::string(platform::trimmed(section.input_set.section_name)) + std::string(csv_extension);
  platform::OutputFile out;
  if (!platform::create_output(out, platform::join(run.results_folder, name))) {
    run.report_error(std::string(refusing_to_share) + name);
    return;
  }
  const GradientDistributions& tables = bonded ? section.bonded : section.unbonded;
  const std::string header = month_header(section.general.start_month);
  out << text::FreeFormLine().text(daytime_title).str() << '\n' << header << '\n';
  write_rows(out, tables.daytime, std::span<const float>(tables.daytime_levels).first(daytime_bins));
  out << text::FreeFormLine().text(nighttime_title).str() << '\n' << header << '\n';
  write_rows(out, tables.nighttime,
             std::span<const float>(tables.nighttime_levels).first(static_cast<size_t>(section.nighttime_bin_count)));
}

}  // namespace jpcp::cracking
