#include "climate/slab_temperature_model.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "climate/calendar.h"

namespace jpcp::climate {

namespace {

constexpr double metres_per_inch = 0.0254;
constexpr double kelvin_offset = 273.15;
constexpr double stefan_boltzmann = 5.670374e-8;  // W/(m2 K4)

// Grid: 20 intervals in the slab (every second node is an output depth),
// about 15 mm in the base, and below it intervals that start at 20 mm and
// grow by a quarter each down to the fixed-temperature depth.
constexpr size_t slab_grid_intervals = 20;
constexpr double base_interval_m = 0.015;
constexpr double subgrade_first_interval_m = 0.02;
constexpr double subgrade_growth = 1.25;

// Crank-Nicolson weight of the new time level.
constexpr double theta = 0.5;
constexpr int32_t steps_per_hour = 6;

constexpr double seconds_per_year = 365.25 * 86400.0;

double to_fahrenheit(double celsius) { return celsius * 1.8 + 32.0; }

}  // namespace

SlabTemperatureModel::SlabTemperatureModel(const PavementThermal& pavement, double step_seconds)
    : pavement_(pavement), step_seconds_(step_seconds), storage_factor_(1.0 / step_seconds) {
  struct Interval {
    double length;
    const LayerMaterial* material;
  };
  std::vector<Interval> intervals;
  const double slab_m = pavement.slab_thickness_in * metres_per_inch;
  for (size_t i = 0; i < slab_grid_intervals; ++i) intervals.push_back({slab_m / slab_grid_intervals, &pavement.slab});
  slab_intervals_ = slab_grid_intervals;
  const double base_m = pavement.base_thickness_in * metres_per_inch;
  if (base_m > 0.0) {
    const auto n = static_cast<size_t>(std::max(2.0, std::ceil(base_m / base_interval_m)));
    for (size_t i = 0; i < n; ++i) intervals.push_back({base_m / static_cast<double>(n), &pavement.base});
  }
  double z = slab_m + base_m;
  double step = subgrade_first_interval_m;
  while (z < pavement.deep_depth_m) {
    double length = std::min(step, pavement.deep_depth_m - z);
    // A sliver left at the bottom joins the interval above it.
    if (pavement.deep_depth_m - (z + length) < 0.5 * step) length = pavement.deep_depth_m - z;
    intervals.push_back({length, &pavement.subgrade});
    z += length;
    step *= subgrade_growth;
  }

  const size_t nodes = intervals.size() + 1;
  depth_.assign(nodes, 0.0);
  capacity_.assign(nodes, 0.0);
  conductance_.assign(intervals.size(), 0.0);
  for (size_t i = 0; i < intervals.size(); ++i) {
    const Interval& interval = intervals[i];
    depth_[i + 1] = depth_[i] + interval.length;
    const double half_capacity =
        0.5 * interval.length * interval.material->density_kgm3 * interval.material->specific_heat_jkgk;
    capacity_[i] += half_capacity;
    capacity_[i + 1] += half_capacity;
    conductance_[i] = interval.material->conductivity_wmk / interval.length;
  }
  temperature_.assign(nodes, pavement.deep_temperature_c);

  // Rows 0 .. last - 1 of the implicit part; the last node is fixed.
  const size_t last = nodes - 1;
  lower_.assign(nodes, 0.0);
  diagonal_.assign(nodes, 0.0);
  upper_.assign(nodes, 0.0);
  right_.assign(nodes, 0.0);
  for (size_t i = 0; i < last; ++i) {
    const double g_above = i > 0 ? conductance_[i - 1] : 0.0;
    const double g_below = conductance_[i];
    lower_[i] = -theta * g_above;
    upper_[i] = i + 1 < last ? -theta * g_below : 0.0;
    diagonal_[i] = capacity_[i] * storage_factor_ + theta * (g_above + g_below);
  }
  reduced_diagonal_inverse_.assign(nodes, 0.0);
  elimination_factor_.assign(nodes, 0.0);
  double reduced = diagonal_[last - 1];
  reduced_diagonal_inverse_[last - 1] = 1.0 / reduced;
  for (size_t i = last - 1; i-- > 0;) {
    elimination_factor_[i] = upper_[i] / reduced;
    reduced = diagonal_[i] - elimination_factor_[i] * lower_[i + 1];
    if (i > 0) reduced_diagonal_inverse_[i] = 1.0 / reduced;
  }
}

void SlabTemperatureModel::start_from_annual_wave(double amplitude_c, double warmest_day_of_year,
                                                  double day_of_year) {
  // T(z) = Tdeep + A exp(-z/d) cos(w t - z/d), d = sqrt(2 D / w): the
  // periodic solution for a half-space, tapered to the fixed value at the
  // bottom of the grid.
  const double omega = 2.0 * std::numbers::pi / seconds_per_year;
  const double damping_depth = std::sqrt(2.0 * pavement_.subgrade.diffusivity() / omega);
  const double phase = 2.0 * std::numbers::pi * (day_of_year - warmest_day_of_year) / 365.25;
  for (size_t i = 0; i < depth_.size(); ++i) {
    const double z = depth_[i];
    const double taper = 1.0 - z / pavement_.deep_depth_m;
    temperature_[i] = pavement_.deep_temperature_c +
                      amplitude_c * std::exp(-z / damping_depth) * std::cos(phase - z / damping_depth) * taper;
  }
}

double SlabTemperatureModel::surface_flux(double surface_c, const SurfaceWeather& weather) const {
  const double convection = pavement_.convection_still_air + pavement_.convection_per_wind * weather.wind_ms;
  const double surface_k = surface_c + kelvin_offset;
  const double surface_k2 = surface_k * surface_k;
  const double sky_k2 = weather.sky_k * weather.sky_k;
  return pavement_.solar_absorptivity * weather.solar_wm2 - convection * (surface_c - weather.air_c) -
         pavement_.emissivity * stefan_boltzmann * (surface_k2 * surface_k2 - sky_k2 * sky_k2);
}

double SlabTemperatureModel::surface_flux_slope(double surface_c, const SurfaceWeather& weather) const {
  const double convection = pavement_.convection_still_air + pavement_.convection_per_wind * weather.wind_ms;
  const double surface_k = surface_c + kelvin_offset;
  return -convection - 4.0 * pavement_.emissivity * stefan_boltzmann * surface_k * surface_k * surface_k;
}

void SlabTemperatureModel::advance(const SurfaceWeather& begin, const SurfaceWeather& end) {
  const size_t last = depth_.size() - 1;  // fixed-temperature node
  std::vector<double>& t = temperature_;
  const double old_surface_c = t[0];
  const double old_above_deep_c = t[last - 1];
  for (size_t i = 0; i < last; ++i) {
    double explicit_part = conductance_[i] * (t[i + 1] - t[i]);
    if (i > 0) explicit_part += conductance_[i - 1] * (t[i - 1] - t[i]);
    right_[i] = capacity_[i] * storage_factor_ * t[i] + (1.0 - theta) * explicit_part;
  }
  // The row above the fixed node: its neighbour's new value is known.
  right_[last - 1] += theta * conductance_[last - 1] * t[last];
  // Surface flux: old time level exactly, new level linearised about the
  // old surface temperature.
  const double slope = surface_flux_slope(t[0], end);
  const double surface_diagonal = diagonal_[0] - theta * slope;
  right_[0] += theta * (surface_flux(t[0], end) - slope * t[0]) + (1.0 - theta) * surface_flux(t[0], begin);

  // Bottom-up elimination of the right-hand side, then the surface row,
  // then substitution downwards.
  for (size_t i = last - 1; i-- > 0;) right_[i] -= elimination_factor_[i] * right_[i + 1];
  t[0] = right_[0] / (surface_diagonal - elimination_factor_[0] * lower_[1]);
  for (size_t i = 1; i < last; ++i) t[i] = (right_[i] - lower_[i] * t[i - 1]) * reduced_diagonal_inverse_[i];

  // Heat through the boundaries over the step: the surface exchange at both
  // ends of the step as it is (not linearised), and the conduction into the
  // fixed node weighted as the scheme weights it.
  energy_.surface_j += 0.5 * (surface_flux(old_surface_c, begin) + surface_flux(t[0], end)) * step_seconds_;
  energy_.deep_j += conductance_[last - 1] *
                    (theta * (t[last - 1] - t[last]) + (1.0 - theta) * (old_above_deep_c - t[last])) * step_seconds_;
}

double SlabTemperatureModel::stored_heat_j() const {
  double heat = 0.0;
  for (size_t i = 0; i + 1 < depth_.size(); ++i) heat += capacity_[i] * temperature_[i];
  return heat;
}

std::array<double, profile_points> SlabTemperatureModel::slab_profile_c() const {
  std::array<double, profile_points> profile{};
  const size_t stride = slab_intervals_ / (profile_points - 1);
  for (size_t j = 0; j < profile_points; ++j) profile[j] = temperature_[j * stride];
  return profile;
}

std::vector<ProfileRecord> slab_temperature_series(const PavementThermal& pavement, const HourlyForcing& weather,
                                                   const ModelStart& start, int32_t first_day, int32_t day_count) {
  const int32_t start_day = std::max(first_day - start.spin_up_days, 0);
  const double step_seconds = 3600.0 / steps_per_hour;
  SlabTemperatureModel model(pavement, step_seconds);
  model.start_from_annual_wave(start.annual_amplitude_c, start.warmest_day_of_year, date_of(start_day).day_of_year);

  std::vector<ProfileRecord> records;
  records.reserve(static_cast<size_t>(day_count) * 24);
  SurfaceWeather previous = weather(24 * start_day);
  const int32_t end_hour = 24 * (first_day + day_count);
  Date date = date_of(start_day);
  for (int32_t hour = 24 * start_day; hour < end_hour; ++hour) {
    if (hour % 24 == 0) date = date_of(hour / 24);
    if (hour >= 24 * first_day) {
      ProfileRecord record{date.year, date.month, date.day, hour % 24, {}};
      const auto profile = model.slab_profile_c();
      for (size_t j = 0; j < profile_points; ++j) record.temperature_f[j] = static_cast<float>(to_fahrenheit(profile[j]));
      records.push_back(record);
    }
    const SurfaceWeather next = weather(hour + 1);
    for (int32_t s = 0; s < steps_per_hour; ++s) {
      const double w0 = static_cast<double>(s) / steps_per_hour;
      const double w1 = static_cast<double>(s + 1) / steps_per_hour;
      auto blend = [&](double w) {
        SurfaceWeather x;
        x.air_c = previous.air_c + (next.air_c - previous.air_c) * w;
        x.solar_wm2 = previous.solar_wm2 + (next.solar_wm2 - previous.solar_wm2) * w;
        x.sky_k = previous.sky_k + (next.sky_k - previous.sky_k) * w;
        x.wind_ms = previous.wind_ms + (next.wind_ms - previous.wind_ms) * w;
        return x;
      };
      model.advance(blend(w0), blend(w1));
    }
    previous = next;
  }
  return records;
}

}  // namespace jpcp::climate
