// The example section generator: its folders read back through the
// programs' readers, the temperature records have the layout and the
// magnitudes of real climate output, the spectra have their usual shape, and
// a seed gives the same files every time.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <numeric>
#include <sstream>
#include <string>
#include <vector>

#include "common/inputs/input_set.h"
#include "common/inputs/temperature_data.h"
#include "common/inputs/traffic.h"
#include "common/text/free_form_reader.h"
#include "cracking/inputs/general_input.h"
#include "cracking/inputs/input_files.h"
#include "cracking/inputs/season_pattern.h"
#include "faulting/inputs/fault_season_pattern.h"
#include "faulting/inputs/section_input.h"
#include "faulting/inputs/shared_inputs.h"
#include "tests/support/section_folder.h"
#include "climate/calendar.h"
#include "tools/jpcp_example/climate.h"
#include "tools/jpcp_example/materials.h"
#include "tools/jpcp_example/options.h"
#include "tools/jpcp_example/random.h"
#include "tools/jpcp_example/section_files.h"
#include "climate/slab_temperature_model.h"
#include "tools/jpcp_example/traffic_model.h"

namespace jpcp::example {
namespace {

namespace fs = std::filesystem;
using climate::day_index;
using jpcp::testing::read_file;
using jpcp::testing::TempFolder;

// Collects the messages a reader reports; a good file reports none.
struct Messages {
  std::vector<std::string> lines;
  inputs::ReportError reporter() {
    return [this](std::string_view message) { lines.emplace_back(message); };
  }
};

std::string path_in(const TempFolder& folder, const std::string& name) { return (folder.path() / name).string(); }

SectionOptions short_section() {
  SectionOptions options;
  options.design_life_years = 3;
  options.climate_years = 2;
  options.start_month = 10;
  return options;
}

// ---------------------------------------------------------------------------
// Cracking folder through the cracking program's readers.

TEST(ExampleCrackingFolder, ReadsBackThroughEveryReader) {
  TempFolder folder("example_cracking");
  SectionOptions options = short_section();
  options.base = BaseType::cement_treated;  // bonded for 60 months: the two-case analysis
  const SectionDesign design(options);
  WrittenSection written;
  std::string error;
  ASSERT_TRUE(write_cracking_section(design, folder.str(), written, error)) << error;

  // File list: the section name and nine files that exist in the folder.
  text::FreeFormReader file_list;
  ASSERT_TRUE(file_list.open(path_in(folder, "FileList.txt")));
  inputs::InputSet set;
  ASSERT_TRUE(inputs::read_input_set(file_list, folder.str() + "/", inputs::cracking_input_set_layout(), set));
  EXPECT_EQ(set.section_name, "Example");
  ASSERT_EQ(set.files.size(), 9u);
  for (const std::string& file : set.files) EXPECT_TRUE(fs::exists(file)) << file;

  Messages messages;
  inputs::GeneralInput general;
  ASSERT_TRUE(inputs::read_general_input(set.files[inputs::general_input_file], false, messages.reporter(), general));
  EXPECT_FLOAT_EQ(general.design_life(), 3.0f);
  EXPECT_EQ(general.start_month, 10);
  EXPECT_EQ(general.interface_switch, 60);
  EXPECT_FLOAT_EQ(general.slab_thickness(), 10.0f);
  EXPECT_FLOAT_EQ(general.joint_spacing_ft(), 15.0f);
  EXPECT_FLOAT_EQ(general.field[12], 5.5e-6f);
  EXPECT_NEAR(general.field[11], 150.0f / 1728.0f, 1e-7);
  EXPECT_FLOAT_EQ(general.fatigue_c1, -2.0f);
  // The three wheelbase shares cover all trucks.
  EXPECT_FLOAT_EQ(general.field[38] + general.field[39] + general.field[40], 100.0f);

  inputs::SeasonInputs season_inputs;
  season_inputs.years = 3;
  season_inputs.start_month = general.start_month;
  season_inputs.age_offset = general.age_offset;
  season_inputs.interface_switch = general.interface_switch;
  season_inputs.field8 = general.field[8];
  season_inputs.age_time_constant = general.age_time_constant;
  inputs::SeasonPattern season;
  ASSERT_TRUE(inputs::read_season_pattern(set.files[inputs::season_pattern_file], set.files[inputs::pcc_modulus_file],
                                          season_inputs, messages.reporter(), season));
  ASSERT_EQ(season.mr.size(), 36u);
  // Concrete gains strength and stiffness month after month.
  for (size_t j = 1; j < season.mr.size(); ++j) {
    EXPECT_GE(season.mr[j], season.mr[j - 1]) << j;
    EXPECT_GE(season.e[j], season.e[j - 1]) << j;
  }
  EXPECT_GT(season.e[0], 3.0e6f);
  EXPECT_LT(season.e.back(), 5.0e6f);

  inputs::AxleReadPolicy policy;
  policy.months = 36;
  policy.table_months = 36;
  policy.start_month = 10;
  inputs::AxleTraffic traffic;
  const std::array<std::string, inputs::axle_type_count> axle_paths = {
      set.files[inputs::single_axle_file], set.files[inputs::tandem_axle_file], set.files[inputs::tridem_axle_file],
      set.files[inputs::quad_axle_file]};
  ASSERT_TRUE(inputs::read_axle_files(axle_paths, policy, messages.reporter(), traffic));
  std::array<float, 24> hourly{};
  ASSERT_TRUE(inputs::read_hourly_percentages(set.files[inputs::hourly_traffic_file], hourly));
  EXPECT_NEAR(std::accumulate(hourly.begin(), hourly.end(), 0.0), 100.0, 1e-4);

  std::vector<inputs::HourlyRecord> records;
  inputs::TemperatureReadPolicy temperature_policy;
  temperature_policy.start_month = 10;
  ASSERT_TRUE(inputs::read_temperature_data(set.files[inputs::temperature_data_file], temperature_policy,
                                            messages.reporter(), records));
  // Two climate years: a 366-day and a 365-day year block.
  EXPECT_EQ(records.size(), static_cast<size_t>((366 + 365) * 24));
  EXPECT_EQ(records.size(), written.temperature_records);
  // 1 January in analysis order of a section opened in October is month 4.
  EXPECT_EQ(records.front().month, 4);
  EXPECT_TRUE(messages.lines.empty()) << messages.lines.front();
}

TEST(ExampleCrackingFolder, WidenedSlabAndTiedShoulderMoveTheWheelPathAwayFromTheEdge) {
  TempFolder folder("example_widened");
  SectionOptions options = short_section();
  options.slab_width_ft = 14.0;
  const SectionDesign widened(options);
  std::ostringstream text;
  write_general_input(text, widened);
  const std::string path = path_in(folder, "GeneralInput.txt");
  jpcp::testing::write_file(path, text.str());
  Messages messages;
  inputs::GeneralInput general;
  ASSERT_TRUE(inputs::read_general_input(path, false, messages.reporter(), general));
  // A 14 ft slab in a 12 ft lane: the critical wheel is the inner one, 54 in
  // from the lane-to-lane joint (12 ft lane less the 6 ft track less 18 in).
  EXPECT_FLOAT_EQ(general.field[28], 54.0f);
  EXPECT_FLOAT_EQ(general.field[8], 50.0f);

  options.slab_width_ft = 12.0;
  options.tied_shoulder = true;
  const auto fields = general_input_fields(SectionDesign(options));
  EXPECT_DOUBLE_EQ(fields[9], 0.0);
  EXPECT_DOUBLE_EQ(fields[28], 18.0);
  EXPECT_GT(fields[8], general_input_fields(SectionDesign(short_section()))[8]);
}

// ---------------------------------------------------------------------------
// Faulting folder through the faulting program's readers.

TEST(ExampleFaultingFolder, ReadsBackThroughEveryReader) {
  TempFolder folder("example_faulting");
  const SectionOptions options = short_section();
  const SectionDesign design(options);
  WrittenSection written;
  std::string error;
  ASSERT_TRUE(write_faulting_section(design, folder.str(), written, error)) << error;

  // FaultFileList.txt: the section name and eight files in the folder.
  std::vector<std::string> list = jpcp::testing::read_lines(folder.path() / "FaultFileList.txt");
  ASSERT_EQ(list.size(), 9u);
  for (size_t i = 1; i < list.size(); ++i) EXPECT_TRUE(fs::exists(folder.path() / list[i])) << list[i];

  Messages messages;
  faulting::SectionInputs inputs;
  ASSERT_TRUE(faulting::read_section_input(path_in(folder, list[1]), messages.reporter(), inputs));
  EXPECT_EQ(inputs.n_months, 36);
  EXPECT_EQ(inputs.start_month, 10);
  EXPECT_EQ(inputs.age_offset, 1);
  EXPECT_FLOAT_EQ(inputs.h_pcc, 10.0f);
  EXPECT_FLOAT_EQ(inputs.dowel_dia, 1.25f);
  EXPECT_FLOAT_EQ(inputs.c(5), 250.0f);
  EXPECT_FLOAT_EQ(inputs.c(7), 1.83312f);
  EXPECT_FLOAT_EQ(inputs.edge_distance, 18.0f);
  // The concrete sets warmer than the air it is placed in (September here).
  EXPECT_GT(inputs.temp_set, 60.0f);
  EXPECT_LT(inputs.temp_set, 110.0f);

  faulting::FaultSeasonPattern season;
  ASSERT_TRUE(faulting::read_fault_season_pattern(path_in(folder, list[2]), inputs.n_months, messages.reporter(),
                                                  season));
  EXPECT_EQ(season.pcc.size(), 19u);

  faulting::AxleTables axles;
  const std::array<std::string, inputs::axle_type_count> axle_paths = {
      path_in(folder, list[3]), path_in(folder, list[4]), path_in(folder, list[5]), path_in(folder, list[6])};
  ASSERT_TRUE(faulting::read_fault_traffic(axle_paths, path_in(folder, list[7]), inputs.n_months,
                                           messages.reporter(), axles));

  std::vector<inputs::HourlyRecord> records;
  ASSERT_TRUE(faulting::read_fault_temperatures(path_in(folder, list[8]),
                                                faulting::temperature_capacity(inputs.n_months, inputs.age_offset),
                                                inputs.age_offset, messages.reporter(), records));
  // The paving month (September 2001) is passed over; the stored hours are
  // the 36 analysis months from October 2001 to September 2004.
  EXPECT_EQ(written.temperature_records, records.size() + 30 * 24);
  EXPECT_EQ(records.front().month, 10);
  EXPECT_EQ(records.back().month, 9);
  const int32_t analysis_days = day_index(2004, 10, 1) - day_index(2001, 10, 1);
  EXPECT_EQ(records.size(), static_cast<size_t>(analysis_days * 24));
  EXPECT_TRUE(messages.lines.empty()) << messages.lines.front();
}

TEST(ExampleFaultingFolder, PropertyTableHasTheCheckedAgesAndATwentiethRowBeyond240Months) {
  SectionOptions options;
  options.design_life_years = 20;
  const auto rows20 = faulting_pcc_rows(SectionDesign(options));
  ASSERT_EQ(rows20.size(), 19u);
  options.design_life_years = 25;
  const auto rows25 = faulting_pcc_rows(SectionDesign(options));
  ASSERT_EQ(rows25.size(), 20u);
  std::vector<int32_t> ages;
  for (const PccRow& row : rows25) ages.push_back(row.age_months);
  EXPECT_TRUE(faulting::pcc_ages_valid(ages));
  // The spline is evaluated up to n_months + age_offset = 301 months.
  EXPECT_GE(ages.back(), 301);
  EXPECT_EQ(faulting::pcc_table_points(300), 20);

  // The cracking table: ages 0..12 months, then one row per year end.
  const auto cracking = cracking_pcc_rows(SectionDesign(options));
  ASSERT_EQ(cracking.size(), 25u + 12u);
  EXPECT_EQ(cracking[12].age_months, 12);
  EXPECT_EQ(cracking[13].age_months, 24);
  EXPECT_EQ(cracking.back().age_months, 300);
}

// ---------------------------------------------------------------------------
// Temperature records: hour sequence, calendar, record count.

TEST(ExampleTemperatureRecords, SixteenClimateYearsFillWholeYearBlocksWithinTheCrackingCapacity) {
  SectionOptions options;
  options.design_life_years = 20;  // more years than the table holds: 16 are written
  const SectionDesign design(options);
  const auto records = cracking_temperature_records(design);
  ASSERT_EQ(records.size(), 140304u);
  EXPECT_LE(records.size(), inputs::cracking_temperature_capacity);
  // Every day has the hours 0..23 and days follow each other.
  for (size_t r = 0; r < records.size(); ++r) {
    ASSERT_EQ(records[r].hour, static_cast<int32_t>(r % 24)) << r;
  }
  // Each year block of the reader (366, 365, 365, ...) is one calendar year,
  // and every record year lies above the header year.
  size_t r = 0;
  for (int32_t block = 0; block < 16; ++block) {
    const int32_t days = block % 3 == 0 ? 366 : 365;
    const int32_t year = first_record_year + block;
    EXPECT_EQ(records[r].year, year);
    EXPECT_EQ(records[r].month, 1);
    EXPECT_EQ(records[r].day, 1);
    r += static_cast<size_t>(days) * 24;
    EXPECT_EQ(records[r - 1].year, year);
    EXPECT_EQ(records[r - 1].month, 12);
    EXPECT_EQ(records[r - 1].day, 31);
    EXPECT_GT(year, cracking_header_year);
  }
  EXPECT_EQ(r, records.size());
}

TEST(ExampleTemperatureRecords, FileLinesHaveTheHeaderBlockAndTheFixedColumns) {
  std::vector<ProfileRecord> records(48);
  for (size_t r = 0; r < records.size(); ++r) {
    records[r] = ProfileRecord{2001, 1, static_cast<int32_t>(1 + r / 24), static_cast<int32_t>(r % 24), {}};
    for (size_t j = 0; j < profile_points; ++j) records[r].temperature_f[j] = 100.5f - 13.25f * static_cast<float>(j);
  }
  std::ostringstream out;
  write_cracking_temperature_file(out, records);
  std::vector<std::string> lines;
  std::istringstream in(out.str());
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  ASSERT_EQ(lines.size(), 288u + 48u);
  EXPECT_EQ(lines[287].substr(0, 4), std::to_string(cracking_header_year));
  EXPECT_EQ(lines[288], "2001 1 1 0100.50 87.25 74.00 60.75 47.50 34.25 21.00  7.75 -5.50-18.75-32.00");
  EXPECT_EQ(lines.back().substr(0, 10), "2001 1 223");
  // The header of January, hour 0, holds the mean profile of those hours.
  EXPECT_EQ(lines[0].substr(10, 6), "100.50");
}

// ---------------------------------------------------------------------------
// Temperature magnitudes.

struct DayExtremes {
  double warmest_difference = -1e9;  // top minus bottom, deg F
  double coldest_difference = 1e9;
};

std::vector<DayExtremes> daily_extremes(const std::vector<ProfileRecord>& records, int32_t month) {
  std::vector<DayExtremes> days;
  for (size_t d = 0; d + 24 <= records.size(); d += 24) {
    if (records[d].month != month) continue;
    DayExtremes day;
    for (size_t h = 0; h < 24; ++h) {
      const double difference = records[d + h].temperature_f[0] - records[d + h].temperature_f[10];
      day.warmest_difference = std::max(day.warmest_difference, difference);
      day.coldest_difference = std::min(day.coldest_difference, difference);
    }
    days.push_back(day);
  }
  return days;
}

double mean_of(const std::vector<DayExtremes>& days, double DayExtremes::*member) {
  double sum = 0.0;
  for (const DayExtremes& day : days) sum += day.*member;
  return sum / static_cast<double>(days.size());
}

TEST(ExampleTemperatureProfiles, TenInchSlabSeesTheUsualSummerDayAndNightDifferences) {
  // Mean July daily extremes of top minus bottom (deg F): a clear desert
  // sky gives the upper end of +20..+30 by day and -13..-18 at night, a
  // high-plains climate with more clouds a little less.
  struct Expected {
    const char* climate;
    double day_low, day_high, night_low, night_high;
  };
  const int32_t first_day = day_index(first_record_year, 1, 1);
  for (const Expected& e : {Expected{"hot-dry", 24.0, 31.0, -19.0, -13.0}, Expected{"cold-dry", 20.0, 30.0, -18.0, -12.0}}) {
    PavementThermal pavement;
    pavement.deep_temperature_c = find_climate(e.climate)->annual_mean_air_c + 2.0;
    const auto records = slab_temperature_series(*find_climate(e.climate), pavement, 7, first_day, 366);
    const auto july = daily_extremes(records, 7);
    ASSERT_EQ(july.size(), 31u);
    const double day = mean_of(july, &DayExtremes::warmest_difference);
    const double night = mean_of(july, &DayExtremes::coldest_difference);
    EXPECT_GT(day, e.day_low) << e.climate;
    EXPECT_LT(day, e.day_high) << e.climate;
    EXPECT_GT(night, e.night_low) << e.climate;
    EXPECT_LT(night, e.night_high) << e.climate;
    for (const ProfileRecord& record : records) {
      const double difference = record.temperature_f[0] - record.temperature_f[10];
      ASSERT_LT(difference, 45.0) << e.climate;
      ASSERT_GT(difference, -30.0) << e.climate;
      ASSERT_LT(record.temperature_f[0], 160.0f) << e.climate;
    }
  }
}

TEST(ExampleTemperatureProfiles, ProfilesAreNonlinearAndCloudyClimatesCurlLess) {
  const int32_t first_day = day_index(first_record_year, 7, 1);
  PavementThermal pavement;
  const Climate& clear = *find_climate("hot-dry");
  const Climate& cloudy = *find_climate("wet-freeze");
  pavement.deep_temperature_c = clear.annual_mean_air_c + 2.0;
  const auto clear_records = slab_temperature_series(clear, pavement, 3, first_day, 31);
  pavement.deep_temperature_c = cloudy.annual_mean_air_c + 2.0;
  const auto cloudy_records = slab_temperature_series(cloudy, pavement, 3, first_day, 31);

  // At 15:00 the heat has not reached the slab's lower half: the mid-depth
  // temperature lies well below the mean of top and bottom.
  double bow = 0.0;
  for (size_t d = 0; d < 31; ++d) {
    const auto& t = clear_records[d * 24 + 15].temperature_f;
    bow += 0.5 * (t[0] + t[10]) - t[5];
  }
  EXPECT_GT(bow / 31.0, 2.0);

  EXPECT_LT(mean_of(daily_extremes(cloudy_records, 7), &DayExtremes::warmest_difference),
            mean_of(daily_extremes(clear_records, 7), &DayExtremes::warmest_difference));
}

TEST(ExampleTemperatureModel, SteadyStateIsLinearInEachLayerAndBalancesTheSurfaceFlux) {
  // Constant air, no sun, sky at the air temperature: the ground settles to
  // a constant downward heat flow, linear in each layer, that equals the
  // surface exchange.
  PavementThermal pavement;
  pavement.deep_temperature_c = 5.0;
  SlabTemperatureModel model(pavement, 600.0);
  model.start_from_annual_wave(0.0, warmest_day_of_year, 1.0);
  HourlyWeather weather;
  weather.air_c = 25.0;
  weather.sky_k = 25.0 + 273.15;
  weather.wind_ms = 2.0;
  for (int step = 0; step < 6 * 24 * 4000; ++step) model.advance(weather, weather);

  const auto t = model.slab_profile_c();
  for (size_t j = 1; j + 1 < t.size(); ++j) EXPECT_NEAR(t[j + 1] - t[j], t[j] - t[j - 1], 1e-6) << j;
  const double slab_m = 10.0 * 0.0254;
  const double base_m = 6.0 * 0.0254;
  const double flux = pavement.slab.conductivity_wmk * (t[0] - t[10]) / slab_m;
  const double resistance = slab_m / pavement.slab.conductivity_wmk + base_m / pavement.base.conductivity_wmk +
                            (pavement.deep_depth_m - slab_m - base_m) / pavement.subgrade.conductivity_wmk;
  EXPECT_NEAR(flux, (t[0] - pavement.deep_temperature_c) / resistance, 1e-6 * std::abs(flux));
  const double surface_k = t[0] + 273.15;
  const double exchange = (5.7 + 3.8 * 2.0) * (weather.air_c - t[0]) +
                          pavement.emissivity * 5.670374e-8 * (std::pow(weather.sky_k, 4) - std::pow(surface_k, 4));
  EXPECT_NEAR(exchange, flux, 1e-4 * std::abs(flux));
  EXPECT_GT(flux, 0.0);
}

// ---------------------------------------------------------------------------
// Traffic.

// Upper bound (kips) of the class with the most axles among the classes
// whose upper bound lies in [low, high].
double peak_class_upper_bound(Axle axle, double low, double high) {
  const auto shares = load_spectrum(axle);
  const LoadClasses& classes = load_classes(axle);
  double best = -1.0;
  double best_upper = 0.0;
  for (int32_t c = 1; c <= classes.count; ++c) {
    const double upper = classes.upper_bound(c);
    if (upper < low || upper > high) continue;
    if (shares[static_cast<size_t>(c - 1)] > best) {
      best = shares[static_cast<size_t>(c - 1)];
      best_upper = upper;
    }
  }
  return best_upper;
}

// Frozen months stiffen the foundation threefold, but never beyond what the
// faulting results can hold (k in F8.4: below 1000 psi/in); a usual k-value
// keeps its threefold frozen months.
TEST(ExampleSeasons, FrozenMonthsOfAStiffFoundationStayWritable) {
  const Climate& cold = *find_climate("wet-freeze");
  const TypicalYearValues stiff = typical_year(cold, BaseType::granular, 500.0);
  EXPECT_EQ(*std::max_element(stiff.k_value.begin(), stiff.k_value.end()), 999.0);
  const TypicalYearValues usual = typical_year(cold, BaseType::granular, 150.0);
  EXPECT_EQ(*std::max_element(usual.k_value.begin(), usual.k_value.end()), 450.0);
  EXPECT_EQ(*std::min_element(usual.k_value.begin(), usual.k_value.end()), 120.0);
}

TEST(ExampleTraffic, SpectraPeakWhereAxlesOfTheirKindAreUsuallyLoaded) {
  for (Axle axle : {Axle::single, Axle::tandem, Axle::tridem, Axle::quad}) {
    const auto shares = load_spectrum(axle);
    EXPECT_EQ(static_cast<int32_t>(shares.size()), load_classes(axle).count);
    EXPECT_NEAR(std::accumulate(shares.begin(), shares.end(), 0.0), 1.0, 1e-12);
    EXPECT_TRUE(std::all_of(shares.begin(), shares.end(), [](double s) { return s >= 0.0; }));
  }
  EXPECT_EQ(load_classes(Axle::single).upper_bound(39), 41.0);
  EXPECT_EQ(load_classes(Axle::tandem).upper_bound(39), 82.0);
  EXPECT_EQ(load_classes(Axle::tridem).upper_bound(31), 102.0);

  // Single axles: one peak between 8 and 12 kips over the whole range.
  const double single_peak = peak_class_upper_bound(Axle::single, 0.0, 100.0);
  EXPECT_GE(single_peak, 8.0);
  EXPECT_LE(single_peak, 12.0);
  // Tandem axles: an empty mode near 12-16 and a loaded one near 28-34 kips,
  // with a trough between them.
  const double empty = peak_class_upper_bound(Axle::tandem, 0.0, 22.0);
  const double loaded = peak_class_upper_bound(Axle::tandem, 22.0, 100.0);
  EXPECT_GE(empty, 12.0);
  EXPECT_LE(empty, 16.0 + 2.0);  // the class 14-16 kips has the upper bound 16
  EXPECT_GE(loaded, 28.0);
  EXPECT_LE(loaded, 34.0);
  const auto tandem = load_spectrum(Axle::tandem);
  const auto share_at = [&](double upper) { return tandem[static_cast<size_t>((upper - 6.0) / 2.0)]; };
  EXPECT_LT(share_at(22.0), 0.5 * share_at(empty));
  EXPECT_LT(share_at(22.0), 0.5 * share_at(loaded));
}

TEST(ExampleTraffic, MonthlyCountsFollowVolumeMixAndGrowth) {
  TrafficInputs traffic;
  traffic.aadtt = 1000.0;
  traffic.growth_percent = 5.0;
  // Same calendar month a year later: the growth of one year.
  const auto june1 = monthly_axles_per_day(Axle::tandem, traffic, 1, 6);
  const auto june2 = monthly_axles_per_day(Axle::tandem, traffic, 13, 6);
  const double total1 = std::accumulate(june1.begin(), june1.end(), 0.0);
  const double total2 = std::accumulate(june2.begin(), june2.end(), 0.0);
  EXPECT_NEAR(total2 / total1, 1.05, 1e-12);
  // Axles per day = design-lane trucks x tandem axles per truck.
  EXPECT_NEAR(total1, design_lane_trucks_per_day(traffic, 1, 6) * axles_per_truck()[1], 1e-9);
  EXPECT_NEAR(design_lane_trucks_per_day(traffic, 1, 6), 1000.0 * 0.5 * 0.9 * 1.05, 1e-9);
  // The mix is dominated by five-axle trucks: more tandem than single axles
  // per truck, and about two tandems per tandem truck.
  EXPECT_GT(axles_per_truck()[1], axles_per_truck()[0]);
  EXPECT_GT(tandem_axles_per_tandem_truck(), 1.5);
  EXPECT_LT(tandem_axles_per_tandem_truck(), 2.0);

  std::ostringstream out;
  SectionOptions options = short_section();
  write_axle_file(out, SectionDesign(options), Axle::tridem, 14);
  std::vector<std::string> lines;
  std::istringstream in(out.str());
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  ASSERT_EQ(lines.size(), 14u);
  EXPECT_EQ(lines[0].substr(0, 10), "1,October,");
  EXPECT_EQ(lines[3].substr(0, 10), "4,January,");
  EXPECT_EQ(std::count(lines[0].begin(), lines[0].end(), ','), 32);
}

// ---------------------------------------------------------------------------
// Determinism and the command line.

TEST(ExampleDeterminism, SameSeedSameFilesOtherSeedOtherWeather) {
  TempFolder a("example_seed_a");
  TempFolder b("example_seed_b");
  TempFolder c("example_seed_c");
  SectionOptions options = short_section();
  options.climate_years = 1;
  WrittenSection written;
  std::string error;
  ASSERT_TRUE(write_cracking_section(SectionDesign(options), a.str(), written, error)) << error;
  ASSERT_TRUE(write_cracking_section(SectionDesign(options), b.str(), written, error)) << error;
  options.seed = 2;
  ASSERT_TRUE(write_cracking_section(SectionDesign(options), c.str(), written, error)) << error;
  for (const std::string& name : written.files) {
    EXPECT_EQ(read_file(a.path() / name), read_file(b.path() / name)) << name;
  }
  EXPECT_NE(read_file(a.path() / "ThermalPCC.dat"), read_file(c.path() / "ThermalPCC.dat"));
  EXPECT_EQ(read_file(a.path() / "GeneralInput.txt"), read_file(c.path() / "GeneralInput.txt"));

  // A day's weather does not depend on how many days are generated, so the
  // cracking and faulting files of one section share their weather.
  const Climate& climate = *find_climate("hot-wet");
  const auto short_run = generate_daily_weather(climate, 5, 400);
  const auto long_run = generate_daily_weather(climate, 5, 900);
  for (size_t d = 0; d < short_run.size(); ++d) {
    ASSERT_EQ(short_run[d].mean_air_c, long_run[d].mean_air_c) << d;
    ASSERT_EQ(short_run[d].cloud, long_run[d].cloud) << d;
  }
}

TEST(ExampleDeterminism, HandWrittenDistributionsHaveTheirMomentsAndRepeatForASeed) {
  SeededRandom random(11);
  SeededRandom again(11);
  constexpr int draws = 200000;
  double sum = 0.0;
  double squares = 0.0;
  int beyond = 0;
  double lag_product = 0.0;
  double previous = 0.0;
  for (int i = 0; i < draws; ++i) {
    const double z = random.normal();
    ASSERT_EQ(z, again.normal()) << i;
    sum += z;
    squares += z * z;
    if (std::abs(z) > 1.959964) ++beyond;
    lag_product += z * previous;
    previous = z;
  }
  EXPECT_NEAR(sum / draws, 0.0, 0.01);
  EXPECT_NEAR(squares / draws, 1.0, 0.02);
  EXPECT_NEAR(static_cast<double>(beyond) / draws, 0.05, 0.003);
  EXPECT_NEAR(lag_product / draws, 0.0, 0.01);  // the two values of a pair are independent

  double low = 1.0;
  double high = 0.0;
  double mean = 0.0;
  for (int i = 0; i < draws; ++i) {
    const double u = random.uniform();
    low = std::min(low, u);
    high = std::max(high, u);
    mean += u / draws;
  }
  EXPECT_GT(low, 0.0);
  EXPECT_LT(high, 1.0);
  EXPECT_NEAR(mean, 0.5, 0.003);
}

CommandLine parsed(std::vector<std::string_view> arguments, bool expect_ok = true) {
  CommandLine command_line;
  std::string error;
  EXPECT_EQ(parse_command_line(arguments, command_line, error), expect_ok) << error;
  return command_line;
}

std::string parse_error(std::vector<std::string_view> arguments) {
  CommandLine command_line;
  std::string error;
  EXPECT_FALSE(parse_command_line(arguments, command_line, error));
  return error;
}

TEST(ExampleCommandLine, OptionsInBothFormsAndClearMessagesForBadOnes) {
  const CommandLine defaults = parsed({"faulting", "out/f"});
  EXPECT_EQ(defaults.program, Program::faulting);
  EXPECT_EQ(defaults.folder, "out/f");
  EXPECT_EQ(defaults.section.design_life_years, 20);
  EXPECT_EQ(defaults.section.effective_climate_years(), 16);
  EXPECT_EQ(defaults.section.effective_bond_months(), 0);

  const CommandLine set = parsed({"cracking", "d", "--thickness", "12", "--base=asphalt", "--climate", "hot-dry",
                                  "--seed=42", "--design-life", "8", "--dowel", "0"});
  EXPECT_DOUBLE_EQ(set.section.slab_thickness_in, 12.0);
  EXPECT_EQ(set.section.base, BaseType::asphalt_treated);
  EXPECT_EQ(set.section.effective_bond_months(), 60);
  EXPECT_EQ(set.section.climate, "hot-dry");
  EXPECT_EQ(set.section.seed, 42u);
  EXPECT_EQ(set.section.effective_climate_years(), 8);
  EXPECT_DOUBLE_EQ(set.section.dowel_diameter_in, 0.0);

  EXPECT_EQ(parse_error({}), "missing the program: cracking, faulting or both");
  EXPECT_EQ(parse_error({"cracking"}), "missing the folder to write");
  EXPECT_EQ(parse_error({"paving", "d"}), "unknown program 'paving': expected cracking, faulting or both");
  EXPECT_EQ(parse_error({"cracking", "d", "--colour", "red"}), "unknown option --colour");
  EXPECT_EQ(parse_error({"cracking", "d", "--help"}), "unknown option --help");  // only alone is it a flag
  EXPECT_EQ(parse_error({"cracking", "d", "--thickness"}), "option --thickness needs a value");
  EXPECT_EQ(parse_error({"cracking", "d", "--thickness", "3"}), "--thickness must be a number from 6 to 16 in");
  EXPECT_EQ(parse_error({"cracking", "d", "--thickness", "10in"}), "--thickness must be a number from 6 to 16 in");
  EXPECT_EQ(parse_error({"cracking", "d", "--design-life", "2.5"}),
            "--design-life must be a whole number from 1 to 50 years");
  EXPECT_EQ(parse_error({"cracking", "d", "--dowel", "0.5"}),
            "--dowel must be 0 (no dowels) or a diameter from 0.75 to 2 in");
  EXPECT_EQ(parse_error({"cracking", "d", "--climate", "arctic"}),
            "--climate must be one of: hot-dry hot-wet cold-dry wet-freeze");
  EXPECT_EQ(parse_error({"cracking", "d", "--name", "NULL1"}),
            "--name must be 1 to 60 letters, digits, '_', '-' or '.', not beginning with NULL");
  EXPECT_EQ(parse_error({"cracking", "d", "extra"}), "unexpected argument 'extra'");
}

}  // namespace
}  // namespace jpcp::example
