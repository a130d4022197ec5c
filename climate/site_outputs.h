// Slab temperatures under a site's weather, and the site's summary files.
#pragma once

#include <array>
#include <ostream>
#include <vector>

#include "climate/site_weather.h"
#include "climate/temperature_files.h"

namespace jpcp::climate {

// Hourly profiles (deg F) of a span of record days under the site's weather;
// the fixed ground temperature at the deep depth is the site's mean annual
// air temperature.
std::vector<ProfileRecord> site_temperature_series(const SiteWeather& site, PavementThermal pavement,
                                                   const RecordSpan& span);

// Top-minus-bottom slab temperature differences (deg F) of a calendar month.
struct MonthlyDifference {
  int32_t hours = 0;
  double mean = 0.0;            // over every hour
  double mean_daily_max = 0.0;  // mean of the daily largest (daytime) differences
  double mean_daily_min = 0.0;  // mean of the daily smallest (night-time) differences
  double max = 0.0;
  double min = 0.0;
};
// Records must be whole days of 24 hours.
std::array<MonthlyDifference, 12> monthly_differences(const std::vector<ProfileRecord>& records);

// humidity.csv: "month,relative_humidity_pct", 12 rows.
void write_humidity_file(std::ostream& out, const SiteWeather& site);
// climate_summary.csv: "quantity,value" rows for the site, a blank line,
// then one row per calendar month.
void write_climate_summary(std::ostream& out, const SiteWeather& site, const PavementThermal& pavement,
                           const std::array<MonthlyDifference, 12>& differences);

}  // namespace jpcp::climate
