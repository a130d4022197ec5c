// Slab temperatures from a weather file: the hourly profiles of a 20-year
// analysis (the faulting file's 241 months), and of a whole jpcp_climate run
// (the cracking file's 16 years as well), on one core. The weather is a
// typical year built in memory; set JPCP_WEATHER_FILE to time a real file
// (reading included in the run benchmark).
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <numbers>
#include <sstream>

#include "climate/site_outputs.h"
#include "climate/site_weather.h"
#include "climate/weather_series.h"

namespace {

using namespace jpcp::climate;

std::string typical_year_csv() {
  static const int month_length[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  std::ostringstream out;
  out << "time,air_temperature_c,ghi_w_m2,wind_m_s,dew_point_c,sky_cover_tenths\n";
  int day_of_year = 0;
  for (int month = 1; month <= 12; ++month) {
    for (int day = 1; day <= month_length[month - 1]; ++day, ++day_of_year) {
      for (int hour = 1; hour <= 24; ++hour) {
        const double air = 12.0 + 11.0 * std::cos(2.0 * std::numbers::pi * (day_of_year - 200) / 365.0) +
                           6.0 * std::cos(2.0 * std::numbers::pi * (hour - 15) / 24.0);
        const double ghi = std::max(0.0, 750.0 * std::sin(std::numbers::pi * (hour - 6.5) / 12.0));
        // Hour 24 ends at 00:00 of the next day; the last one wraps into the year after.
        int y = 2010, m = month, d = day, h = hour;
        if (h == 24) {
          h = 0;
          if (++d > month_length[m - 1]) {
            d = 1;
            if (++m > 12) {
              m = 1;
              ++y;
            }
          }
        }
        char line[128];
        std::snprintf(line, sizeof line, "%04d-%02d-%02dT%02d:00,%.1f,%.0f,3.0,%.1f,4\n", y, m, d, h, air, ghi,
                      air - 6.0);
        out << line;
      }
    }
  }
  return out.str();
}

bool load(WeatherSeries& series, SiteWeather& site) {
  std::string error;
  const char* file = std::getenv("JPCP_WEATHER_FILE");
  const bool read = file ? read_weather_file(file, WeatherFormat::detect, series, error)
                         : read_weather_text(typical_year_csv(), "typical.csv", WeatherFormat::csv, series, error);
  return read && build_site_weather(series, site, error);
}

void BM_TwentyYearAnalysis(benchmark::State& state) {
  WeatherSeries series;
  SiteWeather site;
  if (!load(series, site)) {
    state.SkipWithError("weather not read");
    return;
  }
  const RecordSpan span = faulting_record_span(240, 6, 1);
  for (auto _ : state) {
    auto records = site_temperature_series(site, PavementThermal{}, span);
    benchmark::DoNotOptimize(records.data());
  }
  state.counters["hours"] = static_cast<double>(span.day_count) * 24.0;
}
BENCHMARK(BM_TwentyYearAnalysis)->Unit(benchmark::kMillisecond);

void BM_WholeClimateRun(benchmark::State& state) {
  for (auto _ : state) {
    WeatherSeries series;
    SiteWeather site;
    if (!load(series, site)) {
      state.SkipWithError("weather not read");
      return;
    }
    auto cracking = site_temperature_series(site, PavementThermal{}, cracking_record_span(16));
    auto faulting = site_temperature_series(site, PavementThermal{}, faulting_record_span(240, 6, 1));
    std::ostringstream out;
    write_cracking_temperature_file(out, cracking);
    write_faulting_temperature_file(out, faulting);
    benchmark::DoNotOptimize(out.str().size());
  }
}
BENCHMARK(BM_WholeClimateRun)->Unit(benchmark::kMillisecond);

}  // namespace
