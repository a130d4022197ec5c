// Named climates and the synthetic hourly weather that drives the slab
// temperature model.
//
// The weather is built from daily values (mean air temperature, daily
// temperature range, cloud cover, wind speed) that vary about their seasonal
// normals by seeded first-order autoregressive noise, and hourly shapes: a
// daily air-temperature cosine peaking at 15:00, solar radiation from the
// sun's elevation for the latitude and day of the year reduced by clouds, a
// sky temperature for the long-wave exchange, and a wind that is strongest in
// the afternoon. Temperatures are in deg C inside this model.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "climate/slab_temperature_model.h"

namespace jpcp::example {

using climate::LayerMaterial;
using climate::PavementThermal;
using climate::ProfileRecord;
using climate::profile_points;
using climate::SlabTemperatureModel;
using HourlyWeather = climate::SurfaceWeather;

struct Climate {
  std::string_view name;
  std::string_view description;
  double latitude_deg = 40.0;
  double annual_mean_air_c = 10.0;   // mean of the daily mean air temperatures
  double annual_amplitude_c = 12.0;  // half the difference of the warmest and coldest normal daily means
  double daily_range_c = 12.0;       // normal daily maximum minus minimum air temperature
  double cloud_mean = 0.4;           // mean fraction of the sky covered
  double cloud_sd = 0.25;            // day-to-day standard deviation of the cloud cover
  double wind_mean_ms = 4.0;         // mean wind speed near the surface, m/s
  double anomaly_sd_c = 3.0;         // day-to-day standard deviation of the daily mean air temperature
  std::array<double, 12> relative_humidity_pct{};  // monthly means, January first
  double wet_days_per_year = 100.0;  // days with measurable precipitation
  double slab_bottom_rh_pct = 90.0;  // relative humidity under the slab
};

// The named climates: hot-dry, hot-wet, cold-dry, wet-freeze.
std::span<const Climate> named_climates();
// nullptr when no climate has that name.
const Climate* find_climate(std::string_view name);

// Normal (long-term mean) daily mean air temperature on a day of the year.
double normal_daily_mean_c(const Climate& climate, double day_of_year);
// Normal mean air temperature of a calendar month (1..12).
double normal_monthly_mean_c(const Climate& climate, int32_t month);

struct DailyWeather {
  double mean_air_c = 0.0;
  double range_c = 0.0;  // daily maximum minus minimum air temperature
  double cloud = 0.0;    // 0 clear .. 1 overcast
  double wind_ms = 0.0;
  int32_t day_of_year = 1;
};

// Daily weather of the days 0 .. days - 1 counted from the calendar epoch.
// The same climate, seed and day give the same weather whatever the length.
std::vector<DailyWeather> generate_daily_weather(const Climate& climate, uint32_t seed, int32_t days);

// Weather at a time given in hours since the calendar epoch (0:00 of day 0);
// the daily values are interpolated between the middles of the days.
HourlyWeather weather_at(const Climate& climate, const std::vector<DailyWeather>& days, double hours);

// Day of the year of the warmest normal day (about 19 July).
inline constexpr double warmest_day_of_year = 200.0;

// Hourly profiles (deg F) of the days first_day .. first_day + day_count - 1
// (days counted from the calendar epoch) under the synthetic weather of a
// climate and seed. The model starts 30 days earlier from the annual
// temperature wave, so that the first record does not depend on the
// starting state.
std::vector<ProfileRecord> slab_temperature_series(const Climate& climate, const PavementThermal& pavement,
                                                   uint32_t seed, int32_t first_day, int32_t day_count);

}  // namespace jpcp::example
