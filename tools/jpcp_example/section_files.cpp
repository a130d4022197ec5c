#include "tools/jpcp_example/section_files.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>

#include "climate/site_outputs.h"
#include "common/platform/paths.h"
#include "common/text/fixed_format.h"

namespace jpcp::example {

using climate::add_months;
using climate::day_index;
using climate::month_name;
using climate::YearMonth;

namespace {

// Concrete and slab constants shared by both programs' inputs.
constexpr double poisson_ratio = 0.15;
constexpr double pcc_unit_weight_pcf = 150.0;
constexpr double thermal_expansion_per_f = 5.5e-6;   // limestone/siliceous aggregate concrete
constexpr double shrinkage_zone_depth_in = 2.0;      // drying shrinkage acts in the top 2 in
constexpr double ultimate_shrinkage_microstrain = 650.0;
constexpr int32_t shrinkage_half_time_days = 35;     // age at half the ultimate shrinkage
constexpr double built_in_gradient_f = -10.0;        // permanent curl/warp, top colder than bottom
// Longitudinal joint load transfer (percent): an asphalt shoulder gives
// none (the programs' lower bound 10), a tied concrete shoulder about 50.
constexpr double asphalt_shoulder_lte = 10.0;
constexpr double tied_shoulder_lte = 50.0;

// Truck and wheel geometry.
constexpr double axle_track_ft = 6.0;                // centre to centre of the dual sets of one axle
constexpr double mean_wheel_offset_in = 18.0;        // outer wheel to the slab edge
constexpr double wheel_offset_sd_in = 10.0;          // lateral wander
constexpr double tire_pressure_psi = 120.0;
constexpr double tandem_clear_spacing_in = 48.0;     // the adjacent-axle model takes this plus 3.5 in
constexpr double dual_tire_spacing_in = 12.0;        // centre to centre of the two tires of a dual set
constexpr double tire_contact_width_in = 7.0;
// Wheelbase classes: steering to drive axle spacing (ft) and share of trucks (percent).
constexpr std::array<double, 3> wheelbase_spacing_ft = {12.0, 15.0, 18.0};
constexpr std::array<double, 3> wheelbase_share_percent = {17.0, 22.0, 61.0};

// Typical model coefficients.
constexpr double cracking_c1 = 2.0;   // fatigue: log N = C1 (MR / stress)^C2 + 0.4371
constexpr double cracking_c2 = 1.22;
constexpr double cracking_c4 = 1.0;   // transfer: cracked = 1 / (1 + C4 D^C5)
constexpr double cracking_c5 = -1.98;
constexpr double faulting_c1 = 1.0184;
constexpr double faulting_c2 = 0.91656;
constexpr double faulting_c3 = 0.002848;
constexpr double faulting_c4 = 0.000883739;
constexpr double faulting_c5 = 250.0;
constexpr double faulting_c6 = 0.4;
constexpr double faulting_c7 = 1.83312;
constexpr double faulting_c8 = 400.0;

// Faulting inputs of the foundation and joints.
constexpr double dowel_shear_factor = 1.0;
constexpr double subgrade_fines_percent = 40.0;  // passing the 0.075 mm sieve
constexpr double base_lte_input_percent = 30.0;  // used only by base code 7
constexpr double wheel_path_correction_in = 0.0;
constexpr double slab_bottom_rh_floor_pct = 80.0;
// The concrete sets warmer than the air: heat of hydration on a warm day.
constexpr double hydration_heat_f = 10.0;

// Tables of the faulting property file: ages (months) checked by its reader.
constexpr std::array<int32_t, 19> faulting_pcc_ages = {0,  1,  2,  3,  4,  5,  6,  7,   8,  9,
                                                       10, 11, 12, 24, 36, 48, 60, 120, 240};

constexpr std::array<std::string_view, 9> cracking_file_names = {
    "GeneralInput.txt",     "SeasonPattern.txt",  "PCCModulus.txt",         "SingleAxleOutput.csv",
    "TandemAxleOutput.csv", "TridemAxleOutput.csv", "QuadAxleOutput.csv", "_HourlyTrafficPerc.txt",
    "ThermalPCC.dat"};
constexpr std::array<std::string_view, 8> faulting_file_names = {
    "faultgeneralinput.txt", "seasonpattern.txt",    "SingleAxleOutput.csv",   "TandemAxleOutput.csv",
    "TridemAxleOutput.csv",  "QuadAxleOutput.csv", "_HourlyTrafficPerc.txt", "thermalPCC.dat"};
constexpr std::array<Axle, 4> axle_order = {Axle::single, Axle::tandem, Axle::tridem, Axle::quad};

double to_fahrenheit(double celsius) { return celsius * 1.8 + 32.0; }

// A number as the free-form readers take it: up to 7 significant digits,
// no exponent for ordinary magnitudes, no trailing zeros.
std::string number(double value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.7g", value);
  std::string text = buffer;
  for (char& c : text) {
    if (c == 'e') c = 'E';
  }
  return text;
}

// Fixed point with the given decimals, without leading blanks.
std::string fixed(double value, int decimals) {
  const std::string text = text::format_F(value, 20, decimals);
  return text.substr(text.find_first_not_of(' '));
}

std::string integer(double value) { return std::to_string(static_cast<int64_t>(std::lround(value))); }

bool is_widened(const SectionOptions& options) { return options.slab_width_ft > lane_width_ft; }

double shoulder_lte(const SectionOptions& options) {
  return options.tied_shoulder ? tied_shoulder_lte : asphalt_shoulder_lte;
}

int32_t analysis_months(const SectionDesign& design) { return 12 * design.options.design_life_years; }

// Calendar month of analysis month j (1-based).
int32_t calendar_month_of(const SectionDesign& design, int32_t j) {
  return (design.options.start_month - 1 + j - 1) % 12 + 1;
}

void write_monthly_line(std::ostream& out, const std::array<double, 12>& values) {
  for (size_t m = 0; m < values.size(); ++m) out << (m ? " " : "") << number(values[m]);
  out << '\n';
}

using FileWriter = std::function<void(std::ostream&)>;

bool write_file(const std::string& folder, std::string_view name, const FileWriter& writer,
                WrittenSection& written, std::string& error) {
  if (!platform::write_output(folder, name, writer, error)) return false;
  written.files.emplace_back(name);
  return true;
}

bool make_folder(const std::string& folder, std::string& error) {
  std::error_code code;
  std::filesystem::create_directories(folder, code);
  if (code || !std::filesystem::is_directory(folder)) {
    error = "cannot create the folder " + folder;
    return false;
  }
  return true;
}

// Monthly mean of the daily maximum air temperature (deg C).
double mean_daily_maximum_c(const Climate& climate, int32_t month) {
  return normal_monthly_mean_c(climate, month) + 0.5 * climate.daily_range_c;
}

PccRow pcc_row(const SectionDesign& design, int32_t age_months) {
  const double days = age_months * days_per_month;
  return PccRow{age_months, modulus_of_rupture_psi(design.options.mr28_psi, days),
                elastic_modulus_psi(design.options.mr28_psi, days)};
}

// Row of a property table: age, MR to 0.1 psi, E to 1 psi.
void write_pcc_row(std::ostream& out, const PccRow& row) {
  out << row.age_months << ' ' << fixed(row.mr_psi, 1) << ' ' << fixed(row.e_psi, 0) << '\n';
}

void write_hourly_traffic(std::ostream& out) {
  for (double percentage : hourly_truck_percentages()) out << number(percentage) << '\n';
}

void write_response(std::ostream& out, const SectionDesign& design) { out << design.options.response << '\n'; }

}  // namespace

SectionDesign::SectionDesign(const SectionOptions& section_options)
    : options(section_options), climate(find_climate(section_options.climate)) {
  if (climate == nullptr) climate = &named_climates().back();
  const BaseProperties& base = base_properties(options.base);
  pavement.slab_thickness_in = options.slab_thickness_in;
  pavement.base_thickness_in = options.base_thickness_in;
  pavement.base = base.thermal;
  // The ground a few metres down keeps about the mean surface temperature,
  // which sunshine lifts a little above the mean air temperature.
  pavement.deep_temperature_c = climate->annual_mean_air_c + 2.0;
  options.thermal.apply(pavement);
  year = typical_year(*climate, options.base, options.k_value);
  for (int32_t m = 1; m <= 12; ++m) mean_daily_max_air_c[static_cast<size_t>(m - 1)] = mean_daily_maximum_c(*climate, m);
  wet_days_per_year = climate->wet_days_per_year;
  slab_bottom_rh_pct = climate->slab_bottom_rh_pct;
  traffic.aadtt = options.aadtt;
  traffic.growth_percent = options.growth_percent;
}

std::array<double, 44> general_input_fields(const SectionDesign& design) {
  const SectionOptions& o = design.options;
  const BaseProperties& base = base_properties(o.base);
  std::array<double, 44> f{};
  f[1] = o.design_life_years;                 // design life, years
  f[2] = o.start_month;                       // calendar month of analysis month 1 (opening to traffic)
  f[3] = design.age_offset_months;            // concrete age at opening, months
  f[4] = o.effective_bond_months();           // months the slab stays bonded to the base (12 or more: two cases)
  f[5] = o.slab_thickness_in;                 // slab thickness, in
  f[6] = o.joint_spacing_ft;                  // transverse joint spacing, ft
  f[7] = 0.0;                                 // not used by the program
  f[8] = shoulder_lte(o);                     // load transfer of the longitudinal joint/shoulder, percent
  f[9] = is_widened(o) ? 1.0 : 0.0;           // 1: widened slab, the wheel path moves away from the edge
  f[10] = poisson_ratio;                      // Poisson's ratio of the concrete
  f[11] = pcc_unit_weight_pcf;                // concrete unit weight, pcf
  f[12] = thermal_expansion_per_f;            // coefficient of thermal expansion, 1/F
  f[13] = shrinkage_zone_depth_in;            // depth of the drying-shrinkage zone, in
  f[14] = ultimate_shrinkage_microstrain;     // ultimate drying shrinkage, microstrain
  f[15] = shrinkage_half_time_days;           // days to half the ultimate shrinkage
  f[16] = 0.0;                                // read and discarded
  f[17] = o.base_thickness_in;                // base thickness, in (the program keeps at most 8)
  f[18] = base.unit_weight_pcf;               // base unit weight, pcf
  f[19] = cracking_c4;                        // cracking transfer function C4
  f[20] = cracking_c5;                        // cracking transfer function C5
  f[21] = cracking_c1;                        // fatigue C1
  f[22] = cracking_c2;                        // fatigue C2
  f[23] = 0.0;                                // not used by the program
  f[24] = built_in_gradient_f;                // built-in curl/warp equivalent gradient, F
  f[25] = 0.0;                                // not used by the program
  f[26] = axle_track_ft;                      // axle track: dual set to dual set, ft
  f[27] = lane_width_ft;                      // lane width, ft
  f[28] = mean_wheel_offset_in;               // mean distance of the outer wheel from the slab edge, in
  f[29] = wheel_offset_sd_in;                 // standard deviation of that distance (wander), in
  f[30] = o.slab_width_ft;                    // slab width, ft (wider than the lane: widened slab)
  f[31] = tire_pressure_psi;                  // tire pressure, psi
  f[32] = tandem_clear_spacing_in;            // axle spacing input of the adjacent-axle model, in
  f[33] = dual_tire_spacing_in;               // dual tire spacing, in
  f[34] = tire_contact_width_in;              // tire contact width, in
  f[35] = wheelbase_spacing_ft[0];            // short wheelbase class, axle spacing ft
  f[36] = wheelbase_spacing_ft[1];            // medium wheelbase class
  f[37] = wheelbase_spacing_ft[2];            // long wheelbase class
  f[38] = wheelbase_share_percent[0];         // percent of trucks with a short wheelbase
  f[39] = wheelbase_share_percent[1];         // medium
  f[40] = wheelbase_share_percent[2];         // long
  f[41] = tandem_axles_per_tandem_truck();    // tandem axles per truck: turns tandem counts into trucks
  f[42] = 0.0;                                // cracking at opening, percent of slabs
  f[43] = 0.0;                                // cracking offset, percent
  return f;
}

std::vector<FaultingInputLine> faulting_input_lines(const SectionDesign& design) {
  const SectionOptions& o = design.options;
  const BaseProperties& base = base_properties(o.base);
  const int32_t paving_month = (o.start_month - 1 - design.age_offset_months % 12 + 12) % 12 + 1;
  const double set_temperature_f =
      to_fahrenheit(design.mean_daily_max_air_c[static_cast<size_t>(paving_month - 1)]) + hydration_heat_f;
  auto real = [](std::initializer_list<double> v) { return FaultingInputLine{std::vector<double>(v), false}; };
  auto whole = [](double v) { return FaultingInputLine{{v}, true}; };
  return {
      whole(analysis_months(design)),           // 1 n_months: analysis months
      whole(o.start_month),                     // 2 start_month: calendar month of analysis month 1
      whole(design.age_offset_months),          // 3 age_offset: concrete age at opening, months
      real({o.slab_thickness_in}),              // 4 h_pcc, in
      real({o.joint_spacing_ft}),               // 5 spaceJT, ft
      real({o.dowel_diameter_in}),              // 6 dowel_dia, in (0: undoweled)
      real({dowel_shear_factor}),               // 7 dowel_factor
      real({shoulder_lte(o)}),                  // 8 edge_support: shoulder load transfer, percent
      whole(is_widened(o) ? 1 : 0),             // 9 widened-slab flag
      real({0.0}),                              // 10 not used
      real({poisson_ratio}),                    // 11 mu_pcc
      real({pcc_unit_weight_pcf}),              // 12 gamma_pcc, pcf
      real({thermal_expansion_per_f}),          // 13 alpha_pcc, 1/F
      real({shrinkage_zone_depth_in}),          // 14 hs, in
      real({ultimate_shrinkage_microstrain, ultimate_shrinkage_microstrain}),  // 15 ultshrin, shrin_scale
      whole(shrinkage_half_time_days),          // 16 t50, days
      whole(base.faulting_code),                // 17 base_type code
      real({o.base_thickness_in}),              // 18 h_base, in
      real({base.unit_weight_pcf}),             // 19 gamma_base, pcf
      real({base.friction_factor}),             // 20 base_frict
      real({base.erodibility}),                 // 21 erod
      real({subgrade_fines_percent}),           // 22 soil_a: subgrade fines, percent
      real({design.wet_days_per_year}),         // 23 soil_b: wet days per year
      real({design.slab_bottom_rh_pct}),        // 24 rhbot, percent
      real({base_lte_input_percent}),           // 25 lte_base_in, percent
      real({built_in_gradient_f}),              // 26 built-in gradient, F
      real({0.0}),                              // 27 not used
      real({static_cast<double>(lane_width_ft)}),  // 28 lane width, ft
      real({mean_wheel_offset_in}),             // 29 wheel-path distance from the slab edge, in
      real({wheel_path_correction_in}),         // 30 wheel-path correction, in
      real({o.slab_width_ft}),                  // 31 slab width, ft
      real({std::round(set_temperature_f * 10.0) / 10.0}),  // 32 temp_set: set temperature, F
      real({faulting_c3, faulting_c4}),         // 33 C3, C4
      real({faulting_c5}),                      // 34 C5
      real({faulting_c8}),                      // 35 C8
      real({faulting_c6}),                      // 36 C6
      real({faulting_c1, faulting_c2}),         // 37 C1, C2
      real({faulting_c7}),                      // 38 C7
  };
}

std::vector<PccRow> cracking_pcc_rows(const SectionDesign& design) {
  // Y + 12 rows: ages 0 .. 12 months are rows 1 .. 13, and row 12 + y is
  // the end of year y (row 13 is both the age of 12 months and year 1).
  std::vector<PccRow> rows;
  for (int32_t age = 0; age <= 12; ++age) rows.push_back(pcc_row(design, age));
  for (int32_t y = 2; y <= design.options.design_life_years; ++y) rows.push_back(pcc_row(design, 12 * y));
  return rows;
}

std::vector<PccRow> faulting_pcc_rows(const SectionDesign& design) {
  std::vector<PccRow> rows;
  for (int32_t age : faulting_pcc_ages) rows.push_back(pcc_row(design, age));
  const int32_t months = analysis_months(design);
  if (months > 240) {
    // The spline reaches the age n_months + age_offset: the last row lies at
    // or beyond it, at a year end.
    const int32_t last_age = 12 * ((months + design.age_offset_months + 11) / 12);
    rows.push_back(pcc_row(design, last_age));
  }
  return rows;
}

bool attach_weather(SectionDesign& design, std::string& error) {
  auto series = std::make_shared<climate::WeatherSeries>();
  if (!climate::read_weather_file(design.options.weather_path, design.options.weather_format, *series, error))
    return false;
  auto site = std::make_shared<climate::SiteWeather>();
  if (!climate::build_site_weather(*series, *site, error)) return false;
  design.weather = series;
  design.site = site;
  const std::array<double, 12> humidity =
      site->has_humidity ? site->monthly_relative_humidity_pct : design.climate->relative_humidity_pct;
  design.year = typical_year(site->monthly_air_c, humidity, design.options.base, design.options.k_value);
  design.mean_daily_max_air_c = site->monthly_daily_max_air_c;
  if (site->has_precipitation) design.wet_days_per_year = std::round(site->wet_days);
  // Under the slab the air stays moist: the mean humidity of the wettest
  // month, and never below the 80 % of a desert site.
  if (site->has_humidity) {
    design.slab_bottom_rh_pct =
        std::max(slab_bottom_rh_floor_pct, std::round(*std::max_element(humidity.begin(), humidity.end())));
  }
  return true;
}

std::vector<ProfileRecord> cracking_temperature_records(const SectionDesign& design) {
  const climate::RecordSpan span = climate::cracking_record_span(design.options.effective_climate_years());
  if (design.site) return climate::site_temperature_series(*design.site, design.pavement, span);
  return slab_temperature_series(*design.climate, design.pavement, design.options.seed, span.first_day,
                                 span.day_count);
}

std::vector<ProfileRecord> faulting_temperature_records(const SectionDesign& design) {
  const climate::RecordSpan span = climate::faulting_record_span(
      analysis_months(design), design.options.start_month, design.age_offset_months);
  if (design.site) return climate::site_temperature_series(*design.site, design.pavement, span);
  return slab_temperature_series(*design.climate, design.pavement, design.options.seed, span.first_day,
                                 span.day_count);
}

void write_general_input(std::ostream& out, const SectionDesign& design) {
  const std::array<double, 44> fields = general_input_fields(design);
  // Fields 2, 3, 4, 9, 15 and 23 are integers for the reader.
  constexpr std::array<int, 6> integer_fields = {2, 3, 4, 9, 15, 23};
  for (int k = 1; k <= 43; ++k) {
    const bool whole = std::find(integer_fields.begin(), integer_fields.end(), k) != integer_fields.end();
    out << (whole ? integer(fields[static_cast<size_t>(k)]) : number(fields[static_cast<size_t>(k)])) << '\n';
  }
}

void write_axle_file(std::ostream& out, const SectionDesign& design, Axle axle, int32_t months) {
  for (int32_t j = 1; j <= months; ++j) {
    const int32_t month = calendar_month_of(design, j);
    out << j << ',' << month_name(month);
    for (double count : monthly_axles_per_day(axle, design.traffic, j, month)) out << ',' << fixed(count, 4);
    out << '\n';
  }
}

bool write_cracking_section(const SectionDesign& design, const std::string& folder, WrittenSection& written,
                            std::string& error) {
  written = WrittenSection{};
  if (!make_folder(folder, error)) return false;
  const int32_t months = analysis_months(design);
  const auto records = cracking_temperature_records(design);
  written.temperature_records = records.size();

  std::vector<std::pair<std::string_view, FileWriter>> files = {
      {"FileList.txt",
       [&](std::ostream& out) {
         out << design.options.section_name << '\n';
         for (std::string_view name : cracking_file_names) out << name << '\n';
       }},
      {cracking_file_names[0], [&](std::ostream& out) { write_general_input(out, design); }},
      {cracking_file_names[1],
       [&](std::ostream& out) {
         write_monthly_line(out, design.year.k_value);
         write_monthly_line(out, design.year.base_modulus);
         write_monthly_line(out, design.year.relative_humidity);
       }},
      {cracking_file_names[2],
       [&](std::ostream& out) {
         const auto rows = cracking_pcc_rows(design);
         out << rows.size() << '\n';
         for (const PccRow& row : rows) write_pcc_row(out, row);
       }},
  };
  for (size_t a = 0; a < axle_order.size(); ++a) {
    files.emplace_back(cracking_file_names[3 + a],
                       [&, a](std::ostream& out) { write_axle_file(out, design, axle_order[a], months); });
  }
  files.emplace_back(cracking_file_names[7], [](std::ostream& out) { write_hourly_traffic(out); });
  files.emplace_back(cracking_file_names[8], [&](std::ostream& out) { write_cracking_temperature_file(out, records); });
  files.emplace_back("Response.txt", [&](std::ostream& out) { write_response(out, design); });

  for (const auto& [name, writer] : files) {
    if (!write_file(folder, name, writer, written, error)) return false;
  }
  return true;
}

bool write_faulting_section(const SectionDesign& design, const std::string& folder, WrittenSection& written,
                            std::string& error) {
  written = WrittenSection{};
  if (!make_folder(folder, error)) return false;
  const int32_t months = analysis_months(design);
  const auto records = faulting_temperature_records(design);
  written.temperature_records = records.size();

  std::vector<std::pair<std::string_view, FileWriter>> files = {
      {"FaultFileList.txt",
       [&](std::ostream& out) {
         out << design.options.section_name << '\n';
         for (std::string_view name : faulting_file_names) out << name << '\n';
       }},
      {faulting_file_names[0],
       [&](std::ostream& out) {
         for (const FaultingInputLine& line : faulting_input_lines(design)) {
           for (size_t v = 0; v < line.values.size(); ++v) {
             out << (v ? " " : "") << (line.integer ? integer(line.values[v]) : number(line.values[v]));
           }
           out << '\n';
         }
       }},
      {faulting_file_names[1],
       [&](std::ostream& out) {
         write_monthly_line(out, design.year.k_value);
         write_monthly_line(out, design.year.base_modulus);
         write_monthly_line(out, design.year.relative_humidity);
         out << "PCC properties: age (months), MR (psi), E (psi)\n";
         for (const PccRow& row : faulting_pcc_rows(design)) write_pcc_row(out, row);
       }},
  };
  for (size_t a = 0; a < axle_order.size(); ++a) {
    files.emplace_back(faulting_file_names[2 + a],
                       [&, a](std::ostream& out) { write_axle_file(out, design, axle_order[a], months); });
  }
  files.emplace_back(faulting_file_names[6], [](std::ostream& out) { write_hourly_traffic(out); });
  files.emplace_back(faulting_file_names[7],
                     [&](std::ostream& out) { climate::write_faulting_temperature_file(out, records); });
  files.emplace_back("Response.txt", [&](std::ostream& out) { write_response(out, design); });

  for (const auto& [name, writer] : files) {
    if (!write_file(folder, name, writer, written, error)) return false;
  }
  return true;
}

}  // namespace jpcp::example
