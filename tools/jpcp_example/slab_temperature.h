// Hourly temperature profiles through the concrete slab from a
// one-dimensional transient heat-conduction model of slab, base and
// subgrade.
//
// The layers conduct heat by dT/dt = D d2T/dz2. At the surface the heat
// flowing into the slab is the absorbed solar radiation minus convection to
// the air and the long-wave exchange with the sky:
//   q = a Rs - hc (Ts - Ta) - e sigma (Ts^4 - Tsky^4),  hc = 5.7 + 3.8 U,
// temperatures in kelvin in the radiation term, U the wind speed in m/s.
// About 3 m down the ground keeps a fixed mean temperature. The equations
// are discretised by finite volumes on a grid that is fine in the slab and
// coarsens with depth, and advanced by the Crank-Nicolson scheme (the
// surface flux linearised about the last surface temperature) with a
// tridiagonal solve, in ten-minute steps: unconditionally stable and second
// order in time.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "tools/jpcp_example/climate.h"

namespace jpcp::example {

struct LayerMaterial {
  double conductivity_wmk = 1.5;      // W/(m K)
  double density_kgm3 = 2350.0;       // kg/m3
  double specific_heat_jkgk = 920.0;  // J/(kg K)
  double diffusivity() const { return conductivity_wmk / (density_kgm3 * specific_heat_jkgk); }
};

struct PavementThermal {
  double slab_thickness_in = 10.0;
  double base_thickness_in = 6.0;
  LayerMaterial slab{1.5, 2350.0, 920.0};
  LayerMaterial base{1.3, 2050.0, 900.0};
  LayerMaterial subgrade{1.1, 1850.0, 1100.0};
  double solar_absorptivity = 0.6;   // weathered grey concrete
  double emissivity = 0.9;
  double deep_depth_m = 3.0;         // depth of the fixed ground temperature
  double deep_temperature_c = 12.0;  // about the mean surface temperature of the year
};

// Number of slab temperatures per record: surface to bottom, evenly spaced.
inline constexpr size_t profile_points = 11;

class SlabTemperatureModel {
 public:
  // `step_seconds`: the time step of advance().
  SlabTemperatureModel(const PavementThermal& pavement, double step_seconds);

  // Starting state: the annual temperature wave of a uniform ground about
  // the deep temperature, for a climate and a day of the year.
  void start_from_annual_wave(const Climate& climate, double day_of_year);

  // Advances the state by one time step, the weather going linearly from
  // `begin` to `end` over the step.
  void advance(const HourlyWeather& begin, const HourlyWeather& end);

  // Temperatures (deg C) at the 11 evenly spaced depths of the slab.
  std::array<double, profile_points> slab_profile_c() const;

  size_t node_count() const { return depth_.size(); }

 private:
  double surface_flux(double surface_c, const HourlyWeather& weather) const;
  double surface_flux_slope(double surface_c, const HourlyWeather& weather) const;

  PavementThermal pavement_;
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
};

struct ProfileRecord {
  int32_t year = 0;
  int32_t month = 0;
  int32_t day = 0;
  int32_t hour = 0;  // 0..23, the profile at the full hour
  std::array<float, profile_points> temperature_f{};
};

// Hourly profiles (deg F) of the days first_day .. first_day + day_count - 1
// (days counted from the calendar epoch). The model starts 30 days earlier
// from the annual temperature wave, so that the first record does not
// depend on the starting state.
std::vector<ProfileRecord> slab_temperature_series(const Climate& climate, const PavementThermal& pavement,
                                                   uint32_t seed, int32_t first_day, int32_t day_count);

}  // namespace jpcp::example
