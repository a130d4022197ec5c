// Weather files of the three layouts read into one table, their faults
// reported by file, row and field, and jpcp_climate's files read back
// through both programs' temperature readers.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/wait.h>
#endif

#include <cmath>
#include <complex>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <numbers>
#include <sstream>
#include <string>

#include "climate/calendar.h"
#include "climate/site_outputs.h"
#include "climate/site_weather.h"
#include "climate/weather_series.h"
#include "common/inputs/temperature_data.h"
#include "faulting/inputs/shared_inputs.h"
#include "tests/support/section_folder.h"
#include "tools/jpcp_example/section_files.h"

namespace jpcp::climate {
namespace {

using jpcp::testing::read_file;
using jpcp::testing::TempFolder;

constexpr int month_length[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

struct Hour {
  int year, month, day, hour;  // hour 1..24, end of the hour
  double air, ghi, wind, dew, rh, cover;
};

// A year of hours (365 days, or 366 with 29 February) of a mid-latitude
// site: annual and daily air-temperature waves, sun from 6:00 to 18:00.
void for_each_hour(int year, bool leap, const std::function<void(const Hour&)>& visit) {
  int day_of_year = 0;
  for (int month = 1; month <= 12; ++month) {
    const int days = month_length[month - 1] + (leap && month == 2 ? 1 : 0);
    for (int day = 1; day <= days; ++day, ++day_of_year) {
      for (int hour = 1; hour <= 24; ++hour) {
        const double air = 10.0 + 12.0 * std::cos(2.0 * std::numbers::pi * (day_of_year - 200) / 365.0) +
                           5.0 * std::cos(2.0 * std::numbers::pi * (hour - 15) / 24.0);
        const double ghi = std::max(0.0, 700.0 * std::sin(std::numbers::pi * (hour - 6.5) / 12.0));
        const double dew = air - 6.0;
        visit(Hour{year, month, day, hour, air, std::round(ghi), 3.0, dew, relative_humidity_pct(air, dew), 4.0});
      }
    }
  }
}

std::string epw_text(int minute, const std::function<void(int row, std::string& line)>& edit = nullptr) {
  std::ostringstream out;
  out << "LOCATION,Springfield,XX,Nowhere,TMY,999999,40.250,-95.500,-6.0,300.0\n"
         "DESIGN CONDITIONS,0\nTYPICAL/EXTREME PERIODS,0\nGROUND TEMPERATURES,0\n"
         "HOLIDAYS/DAYLIGHT SAVINGS,No,0,0,0\nCOMMENTS 1,made up\nCOMMENTS 2,\nDATA PERIODS,1,1,Data,Sunday, 1/ 1,12/31\n";
  int row = 9;
  for_each_hour(2010, false, [&](const Hour& h) {
    char buffer[512];
    // Infrared missing (9999) throughout: the sky comes from dew point and cover.
    std::snprintf(buffer, sizeof buffer,
                  "%d,%d,%d,%d,%d,?9?9?9?9E0?9?9?9?9?9?9?9?9?9?9?9?9?9?9?9*9*9?9?9?9,%.1f,%.1f,%.0f,99000,9999,9999,9999,"
                  "%.0f,0,0,999999,999999,999999,9999,180,%.1f,%.0f,%.0f,9999,99999,9,999999999,999,0.999,999,99,999,"
                  "0.5,1",
                  h.year, h.month, h.day, h.hour, minute, h.air, h.dew, h.rh, h.ghi, h.wind, h.cover, h.cover);
    std::string line = buffer;
    if (edit) edit(row, line);
    out << line << "\n";
    ++row;
  });
  return out.str();
}

// Replaces field `index` (0-based) of a CSV line.
void set_field(std::string& line, size_t index, const std::string& value) {
  size_t start = 0;
  for (size_t i = 0; i < index; ++i) start = line.find(',', start) + 1;
  const size_t end = line.find(',', start);
  line.replace(start, (end == std::string::npos ? line.size() : end) - start, value);
}

std::string read_error(const std::string& text, WeatherFormat format = WeatherFormat::detect) {
  WeatherSeries series;
  std::string error;
  EXPECT_FALSE(read_weather_text(text, "site.txt", format, series, error));
  return error;
}

TEST(WeatherFiles, EpwTypicalYearWithShortGapsFilledAndTheSkyFromDewPoint) {
  for (int minute : {0, 60}) {
    WeatherSeries series;
    std::string error;
    // Dry bulb missing (99.9) for 6 hours from row 1009: interpolated.
    const std::string text = epw_text(minute, [](int row, std::string& line) {
      if (row >= 1009 && row < 1015) set_field(line, 6, "99.9");
    });
    ASSERT_TRUE(read_weather_text(text, "site.epw", WeatherFormat::detect, series, error)) << error;
    EXPECT_EQ(series.format, WeatherFormat::epw);
    EXPECT_EQ(series.site, "Springfield, XX, Nowhere");
    EXPECT_DOUBLE_EQ(series.longitude_deg, -95.5);
    EXPECT_EQ(series.hours.size(), 8760u);
    EXPECT_EQ(series.interpolated_hours, 6);
    EXPECT_FALSE(series.has(WeatherField::infrared));
    const auto& a = series.hours[1008 - 9];
    const auto& b = series.hours[1015 - 9];
    EXPECT_NEAR(series.hours[1011 - 9][WeatherField::air_temperature],
                a[WeatherField::air_temperature] + 3.0 / 7.0 * (b[WeatherField::air_temperature] - a[WeatherField::air_temperature]), 1e-12);
    SiteWeather site;
    ASSERT_TRUE(build_site_weather(series, site, error)) << error;
    EXPECT_EQ(site.longwave, LongwaveSource::dew_point_and_cover);
    EXPECT_TRUE(site.typical_year);
    EXPECT_NEAR(site.mean_annual_air_c, 10.0, 0.1);
    EXPECT_NEAR(site.annual_precipitation_mm, 0.5 * 8760, 1e-6);
    EXPECT_NEAR(site.wet_days, 365.0, 1e-9);
  }
}

TEST(WeatherFiles, FaultsNameTheFileTheRowAndTheField) {
  auto edited = [](int target, std::function<void(std::string&)> change) {
    return epw_text(0, [=](int row, std::string& line) {
      if (row == target) change(line);
    });
  };
  // A 7-hour gap of one field.
  EXPECT_EQ(read_error(epw_text(0, [](int row, std::string& line) {
              if (row >= 2000 && row < 2007) set_field(line, 21, "999");
            })),
            "site.txt: row 2000, field wind_m_s: 7 hours missing in a row (at most 6 are interpolated)");
  EXPECT_EQ(read_error(edited(300, [](std::string& line) { set_field(line, 6, "71.5"); })),
            "site.txt: row 300, field air_temperature_c: 71.5 lies outside -70 to 60");
  EXPECT_EQ(read_error(edited(301, [](std::string& line) { line += ",7"; })),
            "site.txt: row 301: 36 fields where an EPW row has 35");
  EXPECT_EQ(read_error(edited(302, [](std::string& line) { set_field(line, 4, "30"); })),
            "site.txt: row 302, field minute: minute 30: the rows are not hourly");
  EXPECT_EQ(read_error(edited(303, [](std::string& line) { set_field(line, 13, "sunny"); })),
            "site.txt: row 303, field global horizontal radiation: 'sunny' is not a number");
  // A row stamped out of sequence.
  EXPECT_NE(read_error(edited(304, [](std::string& line) { set_field(line, 3, "5"); })).find("site.txt: row 304: "),
            std::string::npos);
}

TEST(WeatherFiles, Tmy3ColumnsByNameAndHour24) {
  std::ostringstream out;
  out << "123456,\"LAKE TOWN, INTL\",ZZ,-7.0,35.500,-106.250,1600\n"
         "Date (MM/DD/YYYY),Time (HH:MM),GHI (W/m^2),GHI source,TotCld (tenths),Dry-bulb (C),Dew-point (C),"
         "RHum (%),Wspd (m/s),Lprecip depth (mm)\n";
  for_each_hour(1991, false, [&](const Hour& h) {
    char buffer[256];
    std::snprintf(buffer, sizeof buffer, "%02d/%02d/%d,%02d:00,%.0f,1,%.0f,%.1f,%.1f,%.0f,%.1f,0\n", h.month, h.day,
                  h.month < 6 ? 1991 : 2003, h.hour, h.ghi, h.cover, h.air, h.dew, h.rh, h.wind);
    out << buffer;
  });
  WeatherSeries series;
  std::string error;
  ASSERT_TRUE(read_weather_text(out.str(), "tmy.csv", WeatherFormat::detect, series, error)) << error;
  EXPECT_EQ(series.format, WeatherFormat::tmy3);
  EXPECT_EQ(series.site, "LAKE TOWN, INTL, ZZ (123456)");
  EXPECT_EQ(series.hours.back().hour, 24);
  EXPECT_TRUE(series.has(WeatherField::sky_cover));
  SiteWeather site;
  ASSERT_TRUE(build_site_weather(series, site, error)) << error;
  EXPECT_EQ(site.years_used, 1);
  EXPECT_FALSE(site.has_precipitation && site.wet_days > 0.0);
}

std::string plain_csv(int first_year, int years, const std::string& header_order = "time") {
  std::ostringstream out;
  out << (header_order == "time" ? "time,wind_m_s,air_temperature_c,ghi_w_m2,relative_humidity\n"
                                 : "air_temperature_c,ghi_w_m2,wind_m_s,relative_humidity,time\n");
  for (int y = first_year; y < first_year + years; ++y) {
    const bool leap = y % 4 == 0;
    for_each_hour(y, leap, [&](const Hour& h) {
      // The end of the day's last hour is 00:00 of the next day.
      int year = h.year, month = h.month, day = h.day, hour = h.hour;
      if (hour == 24) {
        hour = 0;
        const int days = month_length[month - 1] + (leap && month == 2 ? 1 : 0);
        if (++day > days) {
          day = 1;
          if (++month > 12) {
            month = 1;
            ++year;
          }
        }
      }
      char stamp[32], buffer[160];
      std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02dT%02d:00", year, month, day, hour);
      if (header_order == "time")
        std::snprintf(buffer, sizeof buffer, "%s,%.1f,%.2f,%.0f,%.0f\n", stamp, h.wind, h.air, h.ghi, h.rh);
      else
        std::snprintf(buffer, sizeof buffer, "%.2f,%.0f,%.1f,%.0f,%s\n", h.air, h.ghi, h.wind, h.rh, stamp);
      out << buffer;
    });
  }
  return out.str();
}

TEST(WeatherFiles, PlainCsvMultiYearRecordWithALeapDayInAnyColumnOrder) {
  for (const std::string order : {"time", "last"}) {
    WeatherSeries series;
    std::string error;
    ASSERT_TRUE(read_weather_text(plain_csv(2019, 3, order), "site.csv", WeatherFormat::detect, series, error)) << error;
    EXPECT_EQ(series.hours.size(), (365u + 366u + 365u) * 24u);
    SiteWeather site;
    ASSERT_TRUE(build_site_weather(series, site, error)) << error;
    EXPECT_EQ(site.years_used, 3);
    EXPECT_FALSE(site.typical_year);
    EXPECT_EQ(site.longwave, LongwaveSource::humidity_and_cover);
    // Record year 2001 (366 days) takes weather year 2019, which has no
    // 29 February: 28 February again; record year 2002 takes 2020's.
    const int32_t feb28_2001 = (day_index(2001, 2, 28)) * 24 + 12;
    EXPECT_EQ(site.at(feb28_2001 + 24).air_c, site.at(feb28_2001).air_c);
    EXPECT_EQ(site.at(day_index(2004, 1, 1) * 24 + 5).air_c, site.at(day_index(2001, 1, 1) * 24 + 5).air_c);
  }
  EXPECT_EQ(read_error("time,wind_m_s,air_temperature_c,ghi_w_m2,relative_humidity\n2019-01-01T01:00,3\n",
                       WeatherFormat::csv),
            "site.txt: row 2: 2 fields where the column names give 5");
  // Rows left out: up to 6 hours filled in, 7 refused.
  std::string text = plain_csv(2019, 1);
  auto without_rows = [&](size_t first_row, size_t count) {
    size_t begin = 0;
    for (size_t row = 1; row < first_row; ++row) begin = text.find('\n', begin) + 1;
    size_t end = begin;
    for (size_t k = 0; k < count; ++k) end = text.find('\n', end) + 1;
    return text.substr(0, begin) + text.substr(end);
  };
  WeatherSeries series;
  std::string error;
  ASSERT_TRUE(read_weather_text(without_rows(500, 6), "site.csv", WeatherFormat::csv, series, error)) << error;
  EXPECT_EQ(series.hours.size(), 8760u);
  EXPECT_EQ(series.interpolated_hours, 6);
  EXPECT_EQ(read_error(without_rows(500, 7)), "site.txt: row 500: 7 hours missing before 1/22 hour 2 (at most 6 are interpolated)");
  EXPECT_EQ(read_error("time,air_temperature_c,wind_m_s\n"), "site.txt: row 1, field ghi_w_m2: no such column in the column names");
  EXPECT_EQ(read_error("time,air_temperature_c,ghi_w_m2,wind_m_s\n2019-01-01T01:30,1,0,2\n"),
            "site.txt: row 2, field time: minute 30: the rows are not hourly");
}

TEST(WeatherFiles, HalfSpaceThroughTheFileKeepsTheSkyInPhaseWithTheAir) {
  // Calm air (the sky carries half the exchange), no sun, the file's
  // infrared sigma Ta^4 at each stamp, one material throughout.
  constexpr double mean_c = 15.0, amplitude_c = 8.0, sigma = 5.670374e-8;
  const double omega = 2.0 * std::numbers::pi / 86400.0;
  std::ostringstream out;
  out << "time,air_temperature_c,ghi_w_m2,wind_m_s,infrared_w_m2\n";
  for (int i = 1; i <= 8760; ++i) {
    const double air = mean_c + amplitude_c * std::sin(omega * 3600.0 * i);
    const int day = (i - 1) / 24, hour = i % 24, date_day = hour == 0 ? day + 1 : day;
    int month = 1, day_of_month = date_day;
    while (month <= 12 && day_of_month >= month_length[month - 1]) day_of_month -= month_length[month++ - 1];
    char line[128];
    std::snprintf(line, sizeof line, "%04d-%02d-%02dT%02d:00,%.4f,0,0,%.4f\n", month > 12 ? 2020 : 2019,
                  month > 12 ? 1 : month, day_of_month + 1, hour, air, sigma * std::pow(air + 273.15, 4));
    out << line;
  }
  WeatherSeries series;
  SiteWeather site;
  std::string error;
  ASSERT_TRUE(read_weather_text(out.str(), "wave.csv", WeatherFormat::csv, series, error)) << error;
  ASSERT_TRUE(build_site_weather(series, site, error)) << error;
  PavementThermal pavement;
  pavement.base = pavement.subgrade = pavement.slab;
  const auto records = site_temperature_series(site, pavement, cracking_record_span(1));
  const double h = pavement.convection_still_air;
  const double total = h + 4.0 * pavement.emissivity * sigma * std::pow(mean_c + 273.15, 3);
  const double k = pavement.slab.conductivity_wmk;
  const double delta = std::sqrt(2.0 * pavement.slab.diffusivity() / omega);
  const std::complex<double> one_plus_i(1.0, 1.0);
  for (size_t j = 0; j < profile_points; ++j) {
    std::complex<double> found;
    for (size_t hour = 0; hour < 24; ++hour) {
      const double t = omega * 3600.0 * static_cast<double>(hour);
      const double c = (records[200 * 24 + hour].temperature_f[j] - 32.0) / 1.8 - mean_c;
      found += c * std::complex<double>(std::sin(t), std::cos(t)) * (2.0 / 24.0 / amplitude_c);
    }
    const double z = pavement.slab_thickness_in * 0.0254 * static_cast<double>(j) / 10.0;
    const std::complex<double> expected = total / (total + k * one_plus_i / delta) * std::exp(-one_plus_i * z / delta);
    // The chain adds only the hourly steps of the air temperature (about
    // 0.6 % off the amplitude): a sky half an hour off the air would shift
    // the phase by 0.2 h.
    EXPECT_NEAR(std::abs(found) / std::abs(expected), 1.0, 0.02) << j;
    EXPECT_LT(std::abs(std::remainder(std::arg(found) - std::arg(expected), 2.0 * std::numbers::pi)) / omega, 0.05 * 3600.0) << j;
  }
}

// ---------------------------------------------------------------------------
// jpcp_climate end to end.

// Runs jpcp_climate with standard output and error in out.txt and err.txt
// of the folder; the exit status.
int run_climate(const std::vector<std::string>& arguments, const TempFolder& folder) {
#ifdef _WIN32
  std::string command = std::string("\"\"") + JPCP_CLIMATE_EXE + "\"";
  for (const std::string& argument : arguments) command += " \"" + argument + "\"";
  command += " >\"" + folder.str() + "/out.txt\" 2>\"" + folder.str() + "/err.txt\"\"";
  return std::system(command.c_str());
#else
  std::string command = std::string("'") + JPCP_CLIMATE_EXE + "'";
  for (const std::string& argument : arguments) command += " '" + argument + "'";
  command += " >'" + folder.str() + "/out.txt' 2>'" + folder.str() + "/err.txt'";
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
}

TEST(ClimateProgram, WritesFilesBothProgramsReadAndRefusesABadFile) {
  TempFolder folder("climate_program");
  jpcp::testing::write_file(folder.path() / "site.csv", plain_csv(2019, 2));
  const std::string out = folder.str() + "/out";
  ASSERT_EQ(run_climate({folder.str() + "/site.csv", out, "--design-life", "2", "--start-month", "9", "--age-offset", "2"},
                        folder), 0)
      << read_file(folder.path() / "err.txt");

  std::vector<std::string> messages;
  auto report = [&](std::string_view message) { messages.emplace_back(message); };
  std::vector<inputs::HourlyRecord> records;
  inputs::TemperatureReadPolicy policy;
  policy.start_month = 9;
  ASSERT_TRUE(inputs::read_temperature_data(out + "/ThermalPCC.dat", policy, report, records));
  EXPECT_EQ(records.size(), (366u + 365u) * 24u);
  EXPECT_TRUE(inputs::temperature_records_valid(records, policy.capacity, "ThermalPCC.dat", report));
  records.clear();
  ASSERT_TRUE(faulting::read_fault_temperatures(out + "/FaultThermalPCC.dat", faulting::temperature_capacity(24, 2), 2,
                                                report, records));
  // The two months before opening are passed over: September 2001 to August 2003.
  EXPECT_EQ(records.front().month, 9);
  EXPECT_EQ(records.size(), static_cast<size_t>(day_index(2003, 9, 1) - day_index(2001, 9, 1)) * 24u);
  EXPECT_TRUE(messages.empty()) << messages.front();
  EXPECT_NE(read_file(out + "/humidity.csv").find("month,relative_humidity_pct\n1,"), std::string::npos);
  const std::string summary = read_file(out + "/climate_summary.csv");
  EXPECT_NE(summary.find("years_used,2\n"), std::string::npos) << summary;

  jpcp::testing::write_file(folder.path() / "bad.csv", "time,air_temperature_c,ghi_w_m2,wind_m_s\n2019-01-01T01:00,1,0,-2\n");
  EXPECT_EQ(run_climate({folder.str() + "/bad.csv", out}, folder), 1);
  EXPECT_EQ(read_file(folder.path() / "err.txt"),
            "jpcp_climate: " + folder.str() + "/bad.csv: row 2, field wind_m_s: -2 lies outside 0 to 40\n");
}

TEST(ClimateProgram, SectionBuilderTakesTemperaturesHumiditiesAndFrozenMonthsFromTheWeather) {
  TempFolder folder("climate_section");
  // A cold site: January to February below freezing.
  std::string text = plain_csv(2019, 1);
  jpcp::testing::write_file(folder.path() / "cold.csv", text);
  example::SectionOptions options;
  options.design_life_years = 2;
  options.weather_path = folder.str() + "/cold.csv";
  example::SectionDesign design(options);
  std::string error;
  ASSERT_TRUE(example::attach_weather(design, error)) << error;
  for (size_t m = 0; m < 12; ++m) {
    EXPECT_DOUBLE_EQ(design.year.relative_humidity[m], design.site->monthly_relative_humidity_pct[m]);
    // Frozen months (mean below 0 deg C) triple the k-value.
    EXPECT_EQ(design.year.k_value[m] == 3.0 * options.k_value, design.site->monthly_air_c[m] < 0.0) << m;
  }
  const auto records = example::cracking_temperature_records(design);
  PavementThermal pavement = design.pavement;
  EXPECT_EQ(records.size(), (366u + 365u) * 24u);
  const auto direct = site_temperature_series(*design.site, pavement, cracking_record_span(2));
  EXPECT_EQ(records.back().temperature_f, direct.back().temperature_f);

  options.weather_path = folder.str() + "/missing.csv";
  example::SectionDesign missing(options);
  EXPECT_FALSE(example::attach_weather(missing, error));
  EXPECT_EQ(error, "cannot open " + options.weather_path);
}

}  // namespace
}  // namespace jpcp::climate
