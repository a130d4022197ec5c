// The weather of a site laid onto the calendar of the temperature records,
// and what the heat model and the season pattern need from it.
//
// The file's hours are cut into whole days and the days into years (a new
// year where the dates go back, December to January). A file of one year
// (a typical year) is cycled over the analysis; a record of several years is
// used year after year in its order, then from its start again. Incomplete
// years at the ends of a record are left out when a complete one exists;
// record year 2001 takes the first year used. A record year with 29
// February repeats 28 February where the weather year has none; a weather
// year's 29 February is left out where the record year has none.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "climate/slab_temperature_model.h"
#include "climate/weather_series.h"

namespace jpcp::climate {

// Downward long-wave radiation of the sky (W/m2) from air temperature and
// dew point (deg C) and the opaque sky cover (tenths):
//   eps = (0.787 + 0.764 ln(Tdp / 273)) (1 + 0.0224 N - 0.0035 N^2 + 0.00028 N^3),
//   IR = eps sigma Ta^4 (kelvin).
double sky_longwave_wm2(double air_c, double dew_point_c, double sky_cover_tenths);
// Dew point (deg C) from air temperature and relative humidity (Magnus form).
double dew_point_c(double air_c, double relative_humidity_pct);
double relative_humidity_pct(double air_c, double dew_point_c);

// How the sky's long-wave radiation is obtained for a file.
enum class LongwaveSource { file, dew_point_and_cover, humidity_and_cover, air_temperature_only };

struct SiteWeather {
  const WeatherSeries* series = nullptr;
  LongwaveSource longwave = LongwaveSource::file;
  int32_t years_used = 0;          // weather years the records cycle through
  bool typical_year = false;       // a file of one year
  std::vector<int32_t> year_labels;  // year field of each weather year's first day

  // Surface weather at each of the file's hours: air temperature, wind and
  // sky long-wave radiation at the stamp; the solar radiation of the hours
  // before and after the stamp averaged, so that the hour means stand for
  // their middle.
  std::vector<SurfaceWeather> surface;
  // First hour (index into `surface`) of each day of year (0..365 in a
  // 366-day year, 29 February = 59) of each weather year; -1 where absent.
  std::vector<std::array<int32_t, 366>> day_start;

  // Over the years used:
  double mean_annual_air_c = 0.0;
  double annual_air_amplitude_c = 0.0;   // half the range of the monthly means
  double warmest_day_of_year = 200.0;    // middle of the warmest month
  std::array<double, 12> monthly_air_c{};
  std::array<double, 12> monthly_daily_max_air_c{};  // mean of the daily maxima
  std::array<double, 12> monthly_relative_humidity_pct{};
  bool has_humidity = false;
  double freezing_index_f_days = 0.0;    // per year
  double freeze_thaw_cycles = 0.0;       // per year
  bool has_precipitation = false;
  double annual_precipitation_mm = 0.0;
  double wet_days = 0.0;                 // per year

  // Weather at a full hour counted from 0:00 of the calendar epoch.
  SurfaceWeather at(int32_t hour) const;
  // Start of the heat model: the annual wave of the air temperature, then
  // a year of weather.
  ModelStart model_start() const;
};

// Lays the weather onto the record calendar. False with a message when the
// file does not hold a whole year of days.
bool build_site_weather(const WeatherSeries& series, SiteWeather& site, std::string& error);

}  // namespace jpcp::climate
