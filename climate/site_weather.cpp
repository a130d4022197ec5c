#include "climate/site_weather.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "climate/calendar.h"

namespace jpcp::climate {

namespace {

constexpr double kelvin_offset = 273.15;
constexpr double stefan_boltzmann = 5.670374e-8;  // W/(m2 K4)
// Clear-sky emissivity from the dew point and the cloud factor, as the EPW
// data dictionary gives them for files without measured infrared.
constexpr double clear_sky_constant = 0.787;
constexpr double clear_sky_dew_point_slope = 0.764;
constexpr double cloud_factor_1 = 0.0224;
constexpr double cloud_factor_2 = -0.0035;
constexpr double cloud_factor_3 = 0.00028;
// Without dew point or humidity: the clear-sky emissivity 9.365e-6 Ta^2
// (kelvin) of Swinbank's air-temperature-only fit.
constexpr double swinbank_coefficient = 9.365e-6;
// Magnus form of the saturation vapour pressure over water (WMO).
constexpr double magnus_b = 17.62;
constexpr double magnus_c = 243.12;
// A wet day has at least 0.01 in (0.254 mm) of precipitation.
constexpr double wet_day_mm = 0.254;

constexpr int32_t month_days[12] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
constexpr int32_t february_29 = 59;  // day of the 366-day year

int32_t slot_of(int32_t month, int32_t day) {
  int32_t slot = 0;
  for (int32_t m = 1; m < month; ++m) slot += month_days[m - 1];
  return slot + day - 1;
}

int32_t floor_mod(int32_t value, int32_t divisor) {
  const int32_t r = value % divisor;
  return r < 0 ? r + divisor : r;
}

double cloud_factor(double cover_tenths) {
  const double n = cover_tenths;
  return 1.0 + cloud_factor_1 * n + cloud_factor_2 * n * n + cloud_factor_3 * n * n * n;
}

}  // namespace

double sky_longwave_wm2(double air_c, double dew_point_c, double sky_cover_tenths) {
  const double dew_k = std::min(dew_point_c, air_c) + kelvin_offset;
  const double air_k = air_c + kelvin_offset;
  const double emissivity =
      (clear_sky_constant + clear_sky_dew_point_slope * std::log(dew_k / 273.0)) * cloud_factor(sky_cover_tenths);
  return emissivity * stefan_boltzmann * air_k * air_k * air_k * air_k;
}

double dew_point_c(double air_c, double relative_humidity_pct) {
  const double gamma = std::log(std::max(relative_humidity_pct, 1.0) / 100.0) + magnus_b * air_c / (magnus_c + air_c);
  return magnus_c * gamma / (magnus_b - gamma);
}

double relative_humidity_pct(double air_c, double dew_point_c) {
  const double ratio = std::exp(magnus_b * dew_point_c / (magnus_c + dew_point_c) - magnus_b * air_c / (magnus_c + air_c));
  return std::min(100.0 * ratio, 100.0);
}

SurfaceWeather SiteWeather::at(int32_t hour) const {
  int32_t day = hour / 24;
  int32_t stamp = hour % 24;
  if (stamp == 0) {  // 0:00 ends hour 24 of the day before
    --day;
    stamp = 24;
  }
  const Date date = date_of(std::max(day, 0));
  const auto& year = day_start[static_cast<size_t>(floor_mod(date.year - first_record_year, years_used))];
  int32_t slot = slot_of(date.month, date.day);
  if (year[static_cast<size_t>(slot)] < 0) slot = february_29 - 1;  // 29 February: 28 February again
  return surface[static_cast<size_t>(year[static_cast<size_t>(slot)] + stamp - 1)];
}

ModelStart SiteWeather::model_start() const { return ModelStart{annual_air_amplitude_c, warmest_day_of_year, 365}; }

bool build_site_weather(const WeatherSeries& series, SiteWeather& site, std::string& error) {
  site = SiteWeather{};
  site.series = &series;
  const auto& hours = series.hours;
  const size_t n = hours.size();

  // Whole days: 24 hours 1..24 of one date.
  struct Day {
    size_t first;
    int32_t slot;
    int32_t year;
  };
  std::vector<Day> days;
  for (size_t i = 0; i + 24 <= n;) {
    const WeatherHour& h = hours[i];
    bool whole = h.hour == 1;
    for (size_t k = 1; whole && k < 24; ++k) {
      whole = hours[i + k].hour == static_cast<int32_t>(k + 1) && hours[i + k].month == h.month &&
              hours[i + k].day == h.day;
    }
    if (!whole) {
      ++i;
      continue;
    }
    days.push_back(Day{i, slot_of(h.month, h.day), h.year});
    i += 24;
  }
  // Years: a new one where the dates go back.
  std::vector<std::vector<Day>> years;
  for (size_t d = 0; d < days.size(); ++d) {
    if (d == 0 || days[d].slot <= days[d - 1].slot) years.emplace_back();
    years.back().push_back(days[d]);
  }
  auto complete = [](const std::vector<Day>& year) {
    int32_t common_days = 0;
    for (const Day& day : year) common_days += day.slot != february_29 ? 1 : 0;
    return common_days == 365;
  };
  std::vector<std::vector<Day>> used;
  for (const auto& year : years) {
    if (complete(year)) used.push_back(year);
  }
  if (used.empty()) {
    // A year of weather that straddles the turn of a year.
    std::vector<Day> merged;
    std::array<bool, 366> seen{};
    for (const auto& year : years) {
      for (const Day& day : year) {
        if (!seen[static_cast<size_t>(day.slot)]) merged.push_back(day);
        seen[static_cast<size_t>(day.slot)] = true;
      }
    }
    if (!complete(merged)) {
      error = series.path + ": the file holds " + std::to_string(days.size()) +
              " whole days, not every day of a year (each day needs its hours 1 to 24)";
      return false;
    }
    used.push_back(merged);
  }
  site.years_used = static_cast<int32_t>(used.size());
  site.typical_year = years.size() == 1;

  // Long-wave radiation of the sky.
  if (series.has(WeatherField::infrared)) site.longwave = LongwaveSource::file;
  else if (series.has(WeatherField::dew_point)) site.longwave = LongwaveSource::dew_point_and_cover;
  else if (series.has(WeatherField::relative_humidity)) site.longwave = LongwaveSource::humidity_and_cover;
  else site.longwave = LongwaveSource::air_temperature_only;
  const bool has_cover = series.has(WeatherField::sky_cover);
  std::vector<double> infrared(n, 0.0);
  std::vector<double> humidity(n, 0.0);
  site.has_humidity = series.has(WeatherField::relative_humidity) || series.has(WeatherField::dew_point);
  for (size_t i = 0; i < n; ++i) {
    const WeatherHour& h = hours[i];
    const double air = h[WeatherField::air_temperature];
    const double cover = has_cover ? h[WeatherField::sky_cover] : 0.0;
    double dew = 0.0;
    if (series.has(WeatherField::dew_point)) dew = h[WeatherField::dew_point];
    else if (series.has(WeatherField::relative_humidity)) dew = dew_point_c(air, h[WeatherField::relative_humidity]);
    switch (site.longwave) {
      case LongwaveSource::file: infrared[i] = h[WeatherField::infrared]; break;
      case LongwaveSource::dew_point_and_cover:
      case LongwaveSource::humidity_and_cover: infrared[i] = sky_longwave_wm2(air, dew, cover); break;
      case LongwaveSource::air_temperature_only: {
        const double air_k = air + kelvin_offset;
        infrared[i] = swinbank_coefficient * air_k * air_k * cloud_factor(cover) * stefan_boltzmann * air_k * air_k *
                      air_k * air_k;
        break;
      }
    }
    if (series.has(WeatherField::relative_humidity)) humidity[i] = h[WeatherField::relative_humidity];
    else if (series.has(WeatherField::dew_point)) humidity[i] = relative_humidity_pct(air, dew);
  }
  // Surface weather at each stamp. The sun's hour means are centred on the
  // stamp (the mean of the hours before and after it). The sky's long-wave
  // radiation follows the air temperature and is taken at the stamp like
  // it: so a sky that radiates as a black body at the air temperature stays
  // in phase with the air.
  site.surface.resize(n);
  for (size_t i = 0; i < n; ++i) {
    const size_t next = i + 1 < n ? i + 1 : i;
    const WeatherHour& h = hours[i];
    SurfaceWeather& s = site.surface[i];
    s.air_c = h[WeatherField::air_temperature];
    s.wind_ms = h[WeatherField::wind_speed];
    s.solar_wm2 = 0.5 * (h[WeatherField::global_horizontal] + hours[next][WeatherField::global_horizontal]);
    s.sky_k = std::pow(infrared[i] / stefan_boltzmann, 0.25);
  }
  for (const auto& year : used) {
    std::array<int32_t, 366> starts;
    starts.fill(-1);
    for (const Day& day : year) starts[static_cast<size_t>(day.slot)] = static_cast<int32_t>(day.first);
    site.day_start.push_back(starts);
    site.year_labels.push_back(year.front().year);
  }

  // Statistics over the years used.
  std::array<double, 12> air_sum{}, max_sum{}, rh_sum{};
  std::array<int32_t, 12> hour_count{}, day_count{};
  double all_air = 0.0;
  double all_hours = 0.0;
  double freezing = 0.0, freeze_thaw = 0.0, precipitation = 0.0, wet = 0.0;
  site.has_precipitation = series.has(WeatherField::precipitation);
  for (const auto& year : used) {
    for (const Day& day : year) {
      const size_t m = static_cast<size_t>(hours[day.first].month - 1);
      double day_air = 0.0, day_max = -1e9, day_min = 1e9, day_rain = 0.0;
      for (size_t k = 0; k < 24; ++k) {
        const WeatherHour& h = hours[day.first + k];
        const double air = h[WeatherField::air_temperature];
        day_air += air;
        day_max = std::max(day_max, air);
        day_min = std::min(day_min, air);
        rh_sum[m] += humidity[day.first + k];
        if (site.has_precipitation) day_rain += h[WeatherField::precipitation];
      }
      air_sum[m] += day_air;
      hour_count[m] += 24;
      max_sum[m] += day_max;
      ++day_count[m];
      all_air += day_air;
      all_hours += 24.0;
      const double mean_f = day_air / 24.0 * 1.8 + 32.0;
      if (mean_f < 32.0) freezing += 32.0 - mean_f;
      if (day_min < 0.0 && day_max > 0.0) freeze_thaw += 1.0;
      precipitation += day_rain;
      if (day_rain >= wet_day_mm) wet += 1.0;
    }
  }
  const double year_count = static_cast<double>(site.years_used);
  site.mean_annual_air_c = all_air / all_hours;
  site.freezing_index_f_days = freezing / year_count;
  site.freeze_thaw_cycles = freeze_thaw / year_count;
  site.annual_precipitation_mm = precipitation / year_count;
  site.wet_days = wet / year_count;
  double warmest = -1e9, coldest = 1e9;
  size_t warmest_month = 0;
  int32_t month_start = 0;
  for (size_t m = 0; m < 12; ++m) {
    site.monthly_air_c[m] = air_sum[m] / hour_count[m];
    site.monthly_daily_max_air_c[m] = max_sum[m] / day_count[m];
    site.monthly_relative_humidity_pct[m] = rh_sum[m] / hour_count[m];
    if (site.monthly_air_c[m] > warmest) {
      warmest = site.monthly_air_c[m];
      warmest_month = m;
    }
    coldest = std::min(coldest, site.monthly_air_c[m]);
  }
  for (size_t m = 0; m < warmest_month; ++m) month_start += m == 1 ? 28 : month_days[m];
  site.annual_air_amplitude_c = 0.5 * (warmest - coldest);
  site.warmest_day_of_year = month_start + 0.5 * (warmest_month == 1 ? 28 : month_days[warmest_month]);
  return true;
}

}  // namespace jpcp::climate
