#include "tools/jpcp_example/climate.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "climate/calendar.h"
#include "tools/jpcp_example/random.h"

namespace jpcp::example {

using climate::Date;
using climate::date_of;

namespace {

constexpr double two_pi = 2.0 * std::numbers::pi;
constexpr double degree = std::numbers::pi / 180.0;
constexpr double kelvin_offset = 273.15;

// Hour of the daily maximum air temperature.
constexpr double warmest_hour = 15.0;
// Hour of the strongest wind, and the share by which it varies over the day.
constexpr double windiest_hour = 14.0;
constexpr double wind_daily_variation = 0.3;

// Day-to-day persistence of the weather anomalies (lag-one correlation).
constexpr double temperature_persistence = 0.7;
constexpr double cloud_persistence = 0.6;
// Clouds narrow the daily range: a sky overcast instead of clear takes this
// share of the normal range away (and a clear one adds it).
constexpr double cloud_range_effect = 0.6;
constexpr double range_noise_sd = 0.1;
constexpr double minimum_range_share = 0.25;
// Log-normal spread of the daily mean wind speed.
constexpr double wind_log_sd = 0.35;
constexpr double minimum_wind_ms = 0.3;

// Solar radiation: solar constant (W/m2), clear-sky beam transmittance per
// air mass and the share the diffuse sky adds to the beam on a clear day.
constexpr double solar_constant = 1361.0;
constexpr double clear_sky_transmittance = 0.7;
constexpr double air_mass_exponent = 0.678;
constexpr double clear_sky_diffuse_factor = 1.1;
constexpr double maximum_air_mass = 38.0;
// Clouds cut the global radiation by 0.75 c^3.4 (cloud cover c).
constexpr double cloud_solar_loss = 0.75;
constexpr double cloud_solar_exponent = 3.4;
// Clear-sky temperature 0.0552 Ta^1.5 (kelvin); clouds radiate at nearly
// the air temperature and cover the clear sky in proportion 0.84 c.
constexpr double clear_sky_coefficient = 0.0552;
constexpr double cloud_longwave_share = 0.84;

// Illustrative climates of the four usual design zones. The relative
// humidities are monthly means, January first.
constexpr std::array<Climate, 4> climate_table = {{
    {"hot-dry", "hot desert, clear skies, large daily range, no frost", 33.5, 23.5, 10.5, 15.5, 0.18, 0.18, 3.0,
     2.0, {45, 40, 33, 23, 17, 15, 25, 30, 30, 32, 38, 46}, 35.0, 80.0},
    {"hot-wet", "humid subtropical coast, frequent clouds, mild winters", 29.8, 20.8, 7.8, 9.5, 0.52, 0.25, 3.5,
     2.5, {75, 72, 72, 74, 75, 76, 77, 77, 77, 74, 75, 75}, 105.0, 95.0},
    {"cold-dry", "high plains, dry air, cold winters with frost", 39.8, 10.5, 12.0, 15.0, 0.38, 0.28, 4.0, 3.5,
     {55, 55, 52, 47, 50, 47, 44, 45, 45, 46, 55, 56}, 90.0, 85.0},
    {"wet-freeze", "humid continental, cloudy, freezing winters", 42.0, 9.0, 12.5, 10.0, 0.58, 0.25, 4.5, 3.5,
     {72, 71, 70, 68, 70, 71, 72, 74, 75, 73, 74, 75}, 150.0, 95.0},
}};

// Middle day of the year of each month (common year).
constexpr std::array<double, 12> mid_month_day = {16.0,  45.5,  75.0,  105.5, 136.0, 166.5,
                                                  197.0, 228.0, 258.5, 289.0, 319.5, 350.0};

double lerp(double a, double b, double w) { return a + (b - a) * w; }

// Clear-sky global radiation on the horizontal for a cosine of the zenith
// angle and a day of the year.
double clear_sky_solar(double cos_zenith, double day_of_year) {
  if (cos_zenith <= 0.0) return 0.0;
  const double extraterrestrial = solar_constant * (1.0 + 0.033 * std::cos(two_pi * day_of_year / 365.0));
  const double air_mass = std::min(1.0 / cos_zenith, maximum_air_mass);
  const double beam = extraterrestrial * std::pow(clear_sky_transmittance, std::pow(air_mass, air_mass_exponent));
  return clear_sky_diffuse_factor * beam * cos_zenith;
}

double cos_zenith(double latitude_deg, double day_of_year, double solar_hour) {
  const double declination = 23.45 * degree * std::sin(two_pi * (284.0 + day_of_year) / 365.0);
  const double hour_angle = 15.0 * degree * (solar_hour - 12.0);
  const double latitude = latitude_deg * degree;
  return std::sin(latitude) * std::sin(declination) +
         std::cos(latitude) * std::cos(declination) * std::cos(hour_angle);
}

}  // namespace

std::span<const Climate> named_climates() { return climate_table; }

const Climate* find_climate(std::string_view name) {
  for (const Climate& climate : climate_table) {
    if (climate.name == name) return &climate;
  }
  return nullptr;
}

double normal_daily_mean_c(const Climate& climate, double day_of_year) {
  return climate.annual_mean_air_c +
         climate.annual_amplitude_c * std::cos(two_pi * (day_of_year - warmest_day_of_year) / 365.25);
}

double normal_monthly_mean_c(const Climate& climate, int32_t month) {
  return normal_daily_mean_c(climate, mid_month_day[static_cast<size_t>(month - 1)]);
}

std::vector<DailyWeather> generate_daily_weather(const Climate& climate, uint32_t seed, int32_t days) {
  SeededRandom random(seed);
  std::vector<DailyWeather> weather(static_cast<size_t>(std::max(days, 0)));
  double temperature_anomaly = 0.0;
  double cloud_anomaly = 0.0;
  const double temperature_innovation = std::sqrt(1.0 - temperature_persistence * temperature_persistence);
  const double cloud_innovation = std::sqrt(1.0 - cloud_persistence * cloud_persistence);
  for (int32_t d = 0; d < days; ++d) {
    // Four draws per day, always in this order, so that a day's weather does
    // not depend on how many days are generated.
    const double z_temperature = random.normal();
    const double z_cloud = random.normal();
    const double z_range = random.normal();
    const double z_wind = random.normal();
    temperature_anomaly = temperature_persistence * temperature_anomaly +
                          climate.anomaly_sd_c * temperature_innovation * z_temperature;
    cloud_anomaly = cloud_persistence * cloud_anomaly + climate.cloud_sd * cloud_innovation * z_cloud;

    DailyWeather& day = weather[static_cast<size_t>(d)];
    const Date date = date_of(d);
    day.day_of_year = date.day_of_year;
    day.mean_air_c = normal_daily_mean_c(climate, date.day_of_year) + temperature_anomaly;
    day.cloud = std::clamp(climate.cloud_mean + cloud_anomaly, 0.0, 1.0);
    const double range_share = 1.0 + cloud_range_effect * (climate.cloud_mean - day.cloud) + range_noise_sd * z_range;
    day.range_c = climate.daily_range_c * std::max(range_share, minimum_range_share);
    // Mean-preserving log-normal: exp(s z - s^2 / 2) has mean 1.
    day.wind_ms = std::max(climate.wind_mean_ms * std::exp(wind_log_sd * z_wind - 0.5 * wind_log_sd * wind_log_sd),
                           minimum_wind_ms);
  }
  return weather;
}

HourlyWeather weather_at(const Climate& climate, const std::vector<DailyWeather>& days, double hours) {
  // Daily values stand for the middle of their day; between two middles
  // they are interpolated, so that nothing jumps at midnight.
  const double day_position = hours / 24.0 - 0.5;
  const auto last = static_cast<double>(days.size() - 1);
  const double clamped = std::clamp(day_position, 0.0, last);
  const auto first_day = static_cast<size_t>(std::floor(clamped));
  const size_t second_day = std::min(first_day + 1, days.size() - 1);
  const double w = clamped - static_cast<double>(first_day);
  const DailyWeather& a = days[first_day];
  const DailyWeather& b = days[second_day];
  const double mean_air = lerp(a.mean_air_c, b.mean_air_c, w);
  const double range = lerp(a.range_c, b.range_c, w);
  const double cloud = lerp(a.cloud, b.cloud, w);
  const double wind = lerp(a.wind_ms, b.wind_ms, w);

  const double hour_of_day = hours - 24.0 * std::floor(hours / 24.0);
  const auto today = std::min(static_cast<size_t>(std::max(std::floor(hours / 24.0), 0.0)), days.size() - 1);
  const double day_of_year = days[today].day_of_year + hour_of_day / 24.0;

  HourlyWeather weather;
  weather.air_c = mean_air + 0.5 * range * std::cos(two_pi * (hour_of_day - warmest_hour) / 24.0);
  const double clear = clear_sky_solar(cos_zenith(climate.latitude_deg, day_of_year, hour_of_day), day_of_year);
  weather.solar_wm2 = clear * (1.0 - cloud_solar_loss * std::pow(cloud, cloud_solar_exponent));
  const double air_k = weather.air_c + kelvin_offset;
  const double clear_sky_k = clear_sky_coefficient * std::pow(air_k, 1.5);
  const double cloud_share = cloud_longwave_share * cloud;
  weather.sky_k = std::pow((1.0 - cloud_share) * std::pow(clear_sky_k, 4) + cloud_share * std::pow(air_k, 4), 0.25);
  weather.wind_ms = wind * (1.0 + wind_daily_variation * std::cos(two_pi * (hour_of_day - windiest_hour) / 24.0));
  return weather;
}

std::vector<ProfileRecord> slab_temperature_series(const Climate& climate, const PavementThermal& pavement,
                                                   uint32_t seed, int32_t first_day, int32_t day_count) {
  const std::vector<DailyWeather> days = generate_daily_weather(climate, seed, first_day + day_count + 1);
  const climate::ModelStart start{climate.annual_amplitude_c, warmest_day_of_year, 30};
  return climate::slab_temperature_series(
      pavement, [&](int32_t hour) { return weather_at(climate, days, static_cast<double>(hour)); }, start,
      first_day, day_count);
}

}  // namespace jpcp::example
