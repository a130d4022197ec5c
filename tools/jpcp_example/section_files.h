// The input files of the example sections, as the two programs read them.
//
// Cracking folder (source folder of jpcp_cracking):
//   FileList.txt          the section name and its nine input files
//   GeneralInput.txt      the 43 design and material inputs, one per line
//   SeasonPattern.txt     monthly k-value, base modulus, relative humidity
//   PCCModulus.txt        MR and E at the ages 0..12 months and each year end
//   SingleAxleOutput.csv, TandemAxleOutput.csv, TridemAxleOutput.csv,
//   QuadAxleOutput.csv    average axles per day by load class, one line per month
//   _HourlyTrafficPerc.txt  percentage of the daily trucks in each hour
//   ThermalPCC.dat        288 header lines, then hourly slab temperatures
//   Response.txt          the response-file switch
// Faulting folder (source and results folder of jpcp_faulting):
//   FaultFileList.txt, faultgeneralinput.txt (41 values on 38 lines),
//   seasonpattern.txt (monthly values and the PCC property table), the four
//   axle files, _HourlyTrafficPerc.txt, thermalPCC.dat (hourly records
//   without header) and Response.txt.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "climate/calendar.h"
#include "climate/site_weather.h"
#include "climate/temperature_files.h"
#include "tools/jpcp_example/climate.h"
#include "tools/jpcp_example/options.h"
#include "tools/jpcp_example/traffic_model.h"

namespace jpcp::example {

using climate::cracking_header_year;
using climate::first_record_year;
using climate::write_cracking_temperature_file;
using climate::write_temperature_record;

inline constexpr int32_t lane_width_ft = 12;

// The section's values, derived once from the options.
struct SectionDesign {
  SectionOptions options;
  const Climate* climate = nullptr;
  PavementThermal pavement;
  TypicalYearValues year;
  TrafficInputs traffic;
  int32_t age_offset_months = 1;  // paving to opening of traffic
  // Site values of the faulting inputs: from the climate, or from the
  // weather file when one is attached.
  std::array<double, 12> mean_daily_max_air_c{};  // monthly mean of the daily maximum air temperature
  double wet_days_per_year = 0.0;
  double slab_bottom_rh_pct = 0.0;
  // The weather of a real site (--weather), when given.
  std::shared_ptr<const climate::WeatherSeries> weather;
  std::shared_ptr<const climate::SiteWeather> site;
  explicit SectionDesign(const SectionOptions& section_options);
};

// Reads the weather file of the options and takes the section's
// temperatures, monthly humidities and frozen months, wet days and set
// temperature from it. False with a message naming the file, row and
// field when the file cannot be used.
bool attach_weather(SectionDesign& design, std::string& error);

// The General input fields 1..43 (index 0 unused).
std::array<double, 44> general_input_fields(const SectionDesign& design);

// The 38 lines of the faulting section input; each line one or two values.
struct FaultingInputLine {
  std::vector<double> values;
  bool integer = false;  // written without a decimal point
};
std::vector<FaultingInputLine> faulting_input_lines(const SectionDesign& design);

// One row of the concrete property tables: age (months), MR and E (psi).
struct PccRow {
  int32_t age_months = 0;
  double mr_psi = 0.0;
  double e_psi = 0.0;
};
// Cracking PCC modulus file: ages 0..12 months, then each year end (Y + 12 rows).
std::vector<PccRow> cracking_pcc_rows(const SectionDesign& design);
// Faulting PCC property table: ages 0..12, 24, 36, 48, 60, 120, 240 months,
// and for more than 240 analysis months one more row at the end of the last
// year the analysis reaches.
std::vector<PccRow> faulting_pcc_rows(const SectionDesign& design);

// Hourly profiles of the cracking file: whole climate years from
// 1 January of the first record year.
std::vector<ProfileRecord> cracking_temperature_records(const SectionDesign& design);
// Hourly profiles of the faulting file: whole calendar months from the
// paving month (age offset months before opening) through the last month of
// the analysis, n_months + age_offset months in all.
std::vector<ProfileRecord> faulting_temperature_records(const SectionDesign& design);

// Writers of single files (exposed for the tests).
void write_general_input(std::ostream& out, const SectionDesign& design);
void write_axle_file(std::ostream& out, const SectionDesign& design, Axle axle, int32_t months);

struct WrittenSection {
  std::vector<std::string> files;  // names written in the folder
  size_t temperature_records = 0;
};

// Write a complete folder (created when missing). False with a message when
// a file cannot be written.
bool write_cracking_section(const SectionDesign& design, const std::string& folder, WrittenSection& written,
                            std::string& error);
bool write_faulting_section(const SectionDesign& design, const std::string& folder, WrittenSection& written,
                            std::string& error);

}  // namespace jpcp::example
