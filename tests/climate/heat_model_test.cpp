// The slab heat model against closed forms: the steady state under air at
// rest with the sky, the periodic solution of a half-space under a daily
// air-temperature wave, and the heat balance of a year.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>

#include "climate/site_weather.h"
#include "climate/slab_temperature_model.h"

namespace jpcp::climate {
namespace {

constexpr double sigma = 5.670374e-8;
constexpr double kelvin = 273.15;
constexpr double step_seconds = 600.0;
constexpr int steps_per_day = 86400 / 600;

// The sky radiating as a black body at the air temperature: IR = sigma Ta^4.
SurfaceWeather calm_air(double air_c, double wind_ms) { return SurfaceWeather{air_c, 0.0, air_c + kelvin, wind_ms}; }

TEST(HeatModelSteadyState, EveryDepthSettlesAtTheAirTemperature) {
  for (double air_c : {-8.0, 12.0, 31.0}) {
    PavementThermal pavement;
    pavement.deep_temperature_c = air_c;  // the mean air temperature of a constant climate
    SlabTemperatureModel model(pavement, step_seconds);
    model.start_from_annual_wave(15.0, 200.0, 20.0);  // far from the steady state
    const SurfaceWeather weather = calm_air(air_c, 3.0);
    for (int step = 0; step < 365 * steps_per_day; ++step) model.advance(weather, weather);
    const auto profile = model.slab_profile_c();
    for (size_t j = 0; j < profile.size(); ++j) EXPECT_NEAR(profile[j] * 1.8, air_c * 1.8, 0.05) << air_c << " depth " << j;
  }
}

struct HalfSpaceCase {
  LayerMaterial material;
  double wind_ms;
  double mean_air_c;
  double amplitude_c;
  double emissivity;
  double slab_in;
};

TEST(HeatModelHalfSpace, DailyWaveHasTheAnalyticAmplitudeAndPhaseAtEveryOutputDepth) {
  const double omega = 2.0 * std::numbers::pi / 86400.0;
  for (const HalfSpaceCase& c : {HalfSpaceCase{{1.5, 2350.0, 920.0}, 2.0, 15.0, 8.0, 0.9, 10.0},
                                 HalfSpaceCase{{2.2, 2400.0, 1100.0}, 6.0, 30.0, 12.0, 0.95, 14.0},
                                 HalfSpaceCase{{0.9, 1900.0, 1000.0}, 0.0, -5.0, 5.0, 0.85, 7.0}}) {
    PavementThermal pavement;
    pavement.slab = pavement.base = pavement.subgrade = c.material;
    pavement.slab_thickness_in = c.slab_in;
    pavement.emissivity = c.emissivity;
    pavement.deep_temperature_c = c.mean_air_c;
    SlabTemperatureModel model(pavement, step_seconds);
    model.start_from_annual_wave(0.0, 200.0, 1.0);
    auto air_at = [&](int step) { return c.mean_air_c + c.amplitude_c * std::sin(omega * step * step_seconds); };

    // Ten days to forget the start, then the last day's Fourier coefficient.
    const int days = 10;
    std::array<std::complex<double>, profile_points> coefficient{};
    for (int step = 0; step < days * steps_per_day; ++step) {
      model.advance(calm_air(air_at(step), c.wind_ms), calm_air(air_at(step + 1), c.wind_ms));
      if (step >= (days - 1) * steps_per_day) {
        const double t = (step + 1) * step_seconds;
        const auto profile = model.slab_profile_c();
        for (size_t j = 0; j < profile_points; ++j) {
          // x = R sin(wt + phi): sum of x e^{-iwt} gives R e^{i phi} / (2i) per sample.
          coefficient[j] += (profile[j] - c.mean_air_c) * std::complex<double>(std::sin(omega * t), std::cos(omega * t));
        }
      }
    }
    const double h = pavement.convection_still_air + pavement.convection_per_wind * c.wind_ms;
    const double mean_k = c.mean_air_c + kelvin;
    const double total = h + 4.0 * c.emissivity * sigma * mean_k * mean_k * mean_k;
    const double k = c.material.conductivity_wmk;
    const double delta = std::sqrt(2.0 * c.material.diffusivity() / omega);
    const std::complex<double> one_plus_i(1.0, 1.0);
    const std::complex<double> surface = total / (total + k * one_plus_i / delta);
    for (size_t j = 0; j < profile_points; ++j) {
      const double z = c.slab_in * 0.0254 * static_cast<double>(j) / 10.0;
      const std::complex<double> expected = surface * std::exp(-one_plus_i * z / delta);
      const std::complex<double> found = coefficient[j] * 2.0 / static_cast<double>(steps_per_day) / c.amplitude_c;
      EXPECT_NEAR(std::abs(found) / std::abs(expected), 1.0, 0.03) << "k " << k << " depth " << j;
      const double phase_hours = std::remainder(std::arg(found) - std::arg(expected), 2.0 * std::numbers::pi) / omega / 3600.0;
      EXPECT_LT(std::abs(phase_hours), 0.25) << "k " << k << " depth " << j;
    }
  }
}

TEST(HeatModelEnergy, StoredHeatChangesByTheNetSurfaceFluxLessTheDeepFluxOverAYear) {
  // A year of sun, wind, a cold sky and daily and annual air waves, from
  // a ground at rest 8 deg C colder than the air's mean.
  PavementThermal pavement;
  pavement.deep_temperature_c = 5.0;
  SlabTemperatureModel model(pavement, step_seconds);
  model.start_from_annual_wave(0.0, 200.0, 1.0);
  const double stored_before = model.stored_heat_j();
  auto weather_at = [](int step) {
    const double day = step / static_cast<double>(steps_per_day);
    const double hour = 24.0 * (day - std::floor(day));
    const double air = 13.0 + 12.0 * std::cos(2.0 * std::numbers::pi * (day - 200.0) / 365.0) +
                       5.0 * std::cos(2.0 * std::numbers::pi * (hour - 15.0) / 24.0);
    const double sun = std::max(0.0, 850.0 * std::sin(std::numbers::pi * (hour - 6.0) / 12.0));
    return SurfaceWeather{air, sun, std::pow(sky_longwave_wm2(air, air - 6.0, 3.0) / sigma, 0.25),
                          2.0 + std::cos(day)};
  };
  for (int step = 0; step < 365 * steps_per_day; ++step) model.advance(weather_at(step), weather_at(step + 1));
  const double stored_change = model.stored_heat_j() - stored_before;
  const double net_inflow = model.energy().surface_j - model.energy().deep_j;
  ASSERT_GT(std::abs(stored_change), 1.0e6);  // a balance worth checking: MJ/m2
  EXPECT_NEAR(net_inflow / stored_change, 1.0, 0.01) << stored_change << " J/m2 stored, " << net_inflow << " net in";
}

TEST(SkyLongwave, ClearAndOvercastSkiesOfTheDewPointFormula) {
  // Clear sky at 20 deg C air and 10 deg C dew point: emissivity 0.815.
  EXPECT_NEAR(sky_longwave_wm2(20.0, 10.0, 0.0), 0.815 * sigma * std::pow(293.15, 4), 1.0);
  EXPECT_NEAR(sky_longwave_wm2(20.0, 10.0, 0.0), 341.0, 1.5);
  // Overcast: the cloud factor 1 + 0.224 - 0.35 + 0.28 = 1.154.
  EXPECT_NEAR(sky_longwave_wm2(20.0, 10.0, 10.0) / sky_longwave_wm2(20.0, 10.0, 0.0), 1.154, 1e-9);
  EXPECT_NEAR(dew_point_c(25.0, relative_humidity_pct(25.0, 14.0)), 14.0, 1e-9);
}

}  // namespace
}  // namespace jpcp::climate
