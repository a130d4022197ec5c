// Hourly temperature profiles through the concrete slab from a
// one-dimensional transient heat-conduction model of slab, base and
// subgrade.
//
// The layers conduct heat by dT/dt = D d2T/dz2. At the surface the heat
// flowing into the slab is the absorbed solar radiation, the long-wave
// exchange with the sky and convection to the air:
//   q = a Rs + e sigma (Tsky^4 - Ts^4) + hc (Ta - Ts),  hc = A + B U,
// temperatures in kelvin in the radiation term, U the wind speed in m/s;
// sigma Tsky^4 is the downward long-wave (infrared) radiation of the sky.
// At a depth of a few metres the ground keeps a fixed temperature. The
// equations are discretised by finite volumes on a grid that is fine in the
// slab and coarsens with depth, and advanced by the Crank-Nicolson scheme
// (the surface flux linearised about the last surface temperature) with a
// tridiagonal solve, in ten-minute steps: unconditionally stable and second
// order in time.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

namespace jpcp::climate {

struct LayerMaterial {
  double conductivity_wmk = 1.5;      // W/(m K)
  double density_kgm3 = 2350.0;       // kg/m3
  double specific_heat_jkgk = 920.0;  // J/(kg K)
  double diffusivity() const { return conductivity_wmk / (density_kgm3 * specific_heat_jkgk); }
};

// Base layers by type (the section builder's base types): crushed-stone
// granular base, asphalt-treated and cement-treated bases, mid-range values
// of handbook tables of compacted layers.
inline constexpr LayerMaterial granular_base_material{1.3, 2050.0, 900.0};
inline constexpr LayerMaterial asphalt_base_material{1.2, 2300.0, 920.0};
inline constexpr LayerMaterial cement_base_material{1.5, 2200.0, 900.0};

// The pavement and its surface. Defaults: normal-weight concrete (1.5 W/m K,
// 2350 kg/m3, 920 J/kg K), a granular base and a moist silty subgrade, a
// weathered grey concrete surface (absorptivity 0.6, emissivity 0.9) and
// hc = 5.7 + 3.8 U, the classic wind-speed fit of flat-plate measurements.
struct PavementThermal {
  double slab_thickness_in = 10.0;
  double base_thickness_in = 6.0;
  LayerMaterial slab{1.5, 2350.0, 920.0};
  LayerMaterial base = granular_base_material;
  LayerMaterial subgrade{1.1, 1850.0, 1100.0};
  double solar_absorptivity = 0.6;   // weathered grey concrete
  double emissivity = 0.9;
  double convection_still_air = 5.7;  // A of hc = A + B U, W/(m2 K)
  double convection_per_wind = 3.8;   // B, W s/(m3 K)
  double deep_depth_m = 3.0;         // depth of the fixed ground temperature
  double deep_temperature_c = 12.0;  // about the mean surface temperature of the year
};

// The weather at the surface at one instant.
struct SurfaceWeather {
  double air_c = 0.0;
  double solar_wm2 = 0.0;  // global solar radiation on the horizontal surface
  double sky_k = 0.0;      // effective sky temperature of the long-wave exchange, kelvin
  double wind_ms = 0.0;
};

// Number of slab temperatures per record: surface to bottom, evenly spaced.
inline constexpr size_t profile_points = 11;

// Heat that crossed the boundaries since the model was built (J/m2, into
// the ground positive).
struct EnergyTotals {
  double surface_j = 0.0;
  double deep_j = 0.0;  // leaving through the fixed-temperature depth
};

class SlabTemperatureModel {
 public:
  // `step_seconds`: the time step of advance().
  SlabTemperatureModel(const PavementThermal& pavement, double step_seconds);

  // Starting state: the annual temperature wave of a uniform ground about
  // the deep temperature, of amplitude `amplitude_c` at the surface with its
  // maximum on `warmest_day_of_year`, on a day of the year.
  void start_from_annual_wave(double amplitude_c, double warmest_day_of_year, double day_of_year);

  // Advances the state by one time step, the weather going linearly from
  // `begin` to `end` over the step.
  void advance(const SurfaceWeather& begin, const SurfaceWeather& end);

  // Temperatures (deg C) at the 11 evenly spaced depths of the slab.
  std::array<double, profile_points> slab_profile_c() const;

  size_t node_count() const { return depth_.size(); }
  const std::vector<double>& node_depths_m() const { return depth_; }
  const std::vector<double>& node_temperatures_c() const { return temperature_; }
  // Heat held above the fixed depth, J/m2, relative to 0 deg C.
  double stored_heat_j() const;
  const EnergyTotals& energy() const { return energy_; }

 private:
  double surface_flux(double surface_c, const SurfaceWeather& weather) const;
  double surface_flux_slope(double surface_c, const SurfaceWeather& weather) const;

  PavementThermal pavement_;
  double step_seconds_ = 0.0;
  std::vector<double> depth_;        // node depths, m; the last node has the fixed temperature
  std::vector<double> capacity_;     // heat capacity of each node's control volume, J/(m2 K)
  std::vector<double> conductance_;  // between node i and i + 1, W/(m2 K)
  std::vector<double> temperature_;  // deg C
  size_t slab_intervals_ = 0;        // the slab's nodes are 0 .. slab_intervals_
  // The tridiagonal system of one step. Only the surface row changes from
  // step to step (the linearised radiation), so the rows below it are
  // eliminated from the bottom up once, in the constructor.
  double storage_factor_ = 0.0;  // 1 / step seconds
  std::vector<double> lower_, diagonal_, upper_;
  std::vector<double> reduced_diagonal_inverse_;  // 1 / diagonal after elimination, rows 1 .. last - 1
  std::vector<double> elimination_factor_;        // upper(i) / reduced diagonal(i + 1)
  std::vector<double> right_;
  EnergyTotals energy_;
};

struct ProfileRecord {
  int32_t year = 0;
  int32_t month = 0;
  int32_t day = 0;
  int32_t hour = 0;  // 0..23, the profile at the full hour
  std::array<float, profile_points> temperature_f{};
};

// The weather at a full hour, counted from 0:00 of the calendar epoch.
using HourlyForcing = std::function<SurfaceWeather(int32_t hour)>;

// How the model state is made before the first record: the annual wave of
// start_from_annual_wave, then `spin_up_days` of weather (fewer when the
// calendar epoch comes first).
struct ModelStart {
  double annual_amplitude_c = 0.0;
  double warmest_day_of_year = 200.0;
  int32_t spin_up_days = 30;
};

// Hourly profiles (deg F) of the days first_day .. first_day + day_count - 1
// (days counted from the calendar epoch), the weather interpolated linearly
// between the full hours.
std::vector<ProfileRecord> slab_temperature_series(const PavementThermal& pavement, const HourlyForcing& weather,
                                                   const ModelStart& start, int32_t first_day, int32_t day_count);

}  // namespace jpcp::climate
