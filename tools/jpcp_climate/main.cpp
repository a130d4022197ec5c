// jpcp_climate: hourly slab temperatures for both programs from a weather
// file of a real site.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <string>
#include <vector>

#include "climate/site_outputs.h"
#include "climate/site_weather.h"
#include "climate/temperature_files.h"
#include "climate/weather_series.h"
#include "common/cli/command_line.h"
#include "common/platform/output_file.h"
#include "common/platform/paths.h"
#include "tools/jpcp_climate/options.h"

namespace {

using namespace jpcp;

constexpr std::string_view program = "jpcp_climate";
constexpr std::string_view cracking_file = "ThermalPCC.dat";
// The faulting program finds its file through FaultFileList.txt; the name
// differs from the cracking one by more than case, so that both can stand
// in one folder on a file system that ignores case.
constexpr std::string_view faulting_file = "FaultThermalPCC.dat";
constexpr std::string_view humidity_file = "humidity.csv";
constexpr std::string_view summary_file = "climate_summary.csv";

int fail(const std::string& message) {
  std::cerr << program << ": " << message << "\n";
  return platform::exit_error_reported;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string usage = climate_tool::help_text() + "\n" + std::string(cli::sole_flag_options);
  if (cli::answer_sole_flag(argc, argv, program, usage, std::cout)) return platform::exit_ok;
  const std::vector<std::string_view> arguments(argv + 1, argv + argc);
  climate_tool::ClimateOptions options;
  std::string error;
  if (!climate_tool::parse_command_line(arguments, options, error)) {
    std::cerr << program << ": " << error << "\n" << cli::help_hint(program) << "\n";
    return platform::exit_command_line;
  }
  const auto start = std::chrono::steady_clock::now();
  climate::WeatherSeries series;
  if (!climate::read_weather_file(options.weather_path, options.format, series, error)) return fail(error);
  climate::SiteWeather site;
  if (!climate::build_site_weather(series, site, error)) return fail(error);
  const climate::PavementThermal pavement = options.pavement();

  const int32_t climate_years = std::min(options.design_life_years, climate::max_climate_years);
  const int32_t analysis_months = 12 * options.design_life_years;
  const climate::RecordSpan cracking_span = climate::cracking_record_span(climate_years);
  const climate::RecordSpan faulting_span =
      climate::faulting_record_span(analysis_months, options.start_month, options.age_offset_months);
  // Progress on the terminal: the model runs hour by hour through both spans.
  std::fprintf(stderr,
               "%s: %s, %d weather year%s: hourly slab temperatures of %d years for jpcp_cracking and %d months "
               "for jpcp_faulting...\n",
               std::string(program).c_str(), series.site.c_str(), site.years_used, site.years_used == 1 ? "" : "s",
               climate_years, analysis_months + options.age_offset_months);
  const auto cracking_records = climate::site_temperature_series(site, pavement, cracking_span);
  const auto faulting_records = climate::site_temperature_series(site, pavement, faulting_span);

  std::error_code code;
  std::filesystem::create_directories(options.folder, code);
  if (code || !std::filesystem::is_directory(options.folder)) return fail("cannot create the folder " + options.folder);
  const auto differences = climate::monthly_differences(cracking_records);
  const auto write = [&](std::string_view name, const std::function<void(std::ostream&)>& writer) {
    return platform::write_output(options.folder, name, writer, error);
  };
  const bool ok =
      write(cracking_file, [&](std::ostream& out) { climate::write_cracking_temperature_file(out, cracking_records); }) &&
      write(faulting_file, [&](std::ostream& out) { climate::write_faulting_temperature_file(out, faulting_records); }) &&
      (!site.has_humidity || write(humidity_file, [&](std::ostream& out) { climate::write_humidity_file(out, site); })) &&
      write(summary_file, [&](std::ostream& out) { climate::write_climate_summary(out, site, pavement, differences); });
  if (!ok) return fail(error);
  if (!site.has_humidity)
    std::cerr << program << ": " << options.weather_path
              << " has neither dew point nor relative humidity: no humidity.csv\n";

  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("%s: %s (%s)\n", std::string(program).c_str(), series.site.c_str(),
              std::string(climate::weather_format_name(series.format)).c_str());
  std::printf("  %d weather year%s%s, mean air %.1f C, %d hours interpolated\n", site.years_used,
              site.years_used == 1 ? "" : "s", site.typical_year ? " (typical year, cycled)" : "",
              site.mean_annual_air_c, series.interpolated_hours);
  std::printf("  %s: %zu hourly records (%d years); %s: %zu records (%d months from month %d)\n",
              std::string(cracking_file).c_str(), cracking_records.size(), climate_years,
              std::string(faulting_file).c_str(), faulting_records.size(), analysis_months + options.age_offset_months,
              options.start_month);
  std::printf("  written to %s (%.2f s)\n", options.folder.c_str(), seconds);
  return platform::exit_ok;
}
