#include "tools/jpcp_example/traffic_model.h"

#include <cmath>
#include <numbers>

namespace jpcp::example {

namespace {

constexpr std::array<LoadClasses, axle_kinds> class_table = {{
    {39, 3.0, 1.0},   // single
    {39, 6.0, 2.0},   // tandem
    {31, 12.0, 3.0},  // tridem
    {31, 12.0, 3.0},  // quad
}};

// Axle load spectra as mixtures of normal distributions (kips): steering
// and lightly loaded single axles with a tail of heavy ones; tandem, tridem
// and quad groups with an empty and a loaded mode.
struct Mode {
  double weight;
  double mean_kips;
  double sd_kips;
};
constexpr std::array<std::array<Mode, 2>, axle_kinds> spectrum_modes = {{
    {{{0.88, 10.5, 2.0}, {0.12, 15.0, 4.0}}},
    {{{0.45, 14.0, 2.5}, {0.55, 31.0, 3.5}}},
    {{{0.40, 20.0, 4.0}, {0.60, 42.0, 6.0}}},
    {{{0.40, 26.0, 5.0}, {0.60, 52.0, 7.0}}},
}};

// Truck mix of an interstate route: the shares (percent) of the truck
// classes 4 (buses) to 13 (multi-trailer), and their axles per truck
// (single, tandem, tridem, quad).
struct TruckClass {
  double share_percent;
  std::array<double, axle_kinds> axles;
};
constexpr std::array<TruckClass, 10> truck_mix = {{
    {1.3, {1.62, 0.39, 0.00, 0.00}},   // 4 buses
    {8.5, {2.00, 0.00, 0.00, 0.00}},   // 5 two-axle single-unit
    {2.8, {1.02, 0.99, 0.00, 0.00}},   // 6 three-axle single-unit
    {0.3, {1.00, 0.26, 0.83, 0.00}},   // 7 four or more axles single-unit
    {7.6, {2.38, 0.67, 0.00, 0.00}},   // 8 four or fewer axles single-trailer
    {74.0, {1.13, 1.93, 0.00, 0.00}},  // 9 five-axle single-trailer
    {1.2, {1.19, 1.09, 0.89, 0.00}},   // 10 six or more axles single-trailer
    {3.4, {4.29, 0.26, 0.06, 0.00}},   // 11 five or fewer axles multi-trailer
    {0.6, {3.52, 1.14, 0.06, 0.00}},   // 12 six-axle multi-trailer
    {0.3, {2.15, 2.13, 0.35, 0.30}},   // 13 seven or more axles multi-trailer
}};

// Monthly adjustment of the truck volume, January first (mean 1): fewer
// trucks in winter, more in summer and autumn.
constexpr std::array<double, 12> monthly_adjustment = {0.90, 0.92, 0.98, 1.01, 1.04, 1.05,
                                                       1.04, 1.06, 1.04, 1.03, 0.98, 0.95};

// Trucks by hour of the day: a quiet night, a broad daytime peak.
constexpr std::array<double, 24> hourly_percentages = {2.3, 2.3, 2.3, 2.3, 2.3, 2.3, 5.0, 5.0, 5.0, 5.0, 5.9, 5.9,
                                                       5.9, 5.9, 5.9, 5.9, 4.6, 4.6, 4.6, 4.6, 3.1, 3.1, 3.1, 3.1};

double normal_cdf(double x, double mean, double sd) {
  return 0.5 * std::erfc(-(x - mean) / (sd * std::numbers::sqrt2));
}

double mixture_cdf(Axle axle, double kips) {
  double p = 0.0;
  for (const Mode& mode : spectrum_modes[static_cast<size_t>(axle)]) p += mode.weight * normal_cdf(kips, mode.mean_kips, mode.sd_kips);
  return p;
}

}  // namespace

const LoadClasses& load_classes(Axle axle) { return class_table[static_cast<size_t>(axle)]; }

std::vector<double> load_spectrum(Axle axle) {
  const LoadClasses& classes = load_classes(axle);
  std::vector<double> shares(static_cast<size_t>(classes.count));
  // Loads are positive: the mass of the mixture below zero is left out.
  const double below_zero = mixture_cdf(axle, 0.0);
  double lower = below_zero;
  for (int32_t c = 1; c <= classes.count; ++c) {
    const double upper = c == classes.count ? 1.0 : mixture_cdf(axle, classes.upper_bound(c));
    shares[static_cast<size_t>(c - 1)] = (upper - lower) / (1.0 - below_zero);
    lower = upper;
  }
  return shares;
}

std::array<double, axle_kinds> axles_per_truck() {
  std::array<double, axle_kinds> axles{};
  for (const TruckClass& truck : truck_mix) {
    for (size_t k = 0; k < axle_kinds; ++k) axles[k] += truck.share_percent / 100.0 * truck.axles[k];
  }
  return axles;
}

double tandem_axles_per_tandem_truck() {
  double tandems = 0.0;
  double trucks = 0.0;
  for (const TruckClass& truck : truck_mix) {
    const double tandem = truck.axles[static_cast<size_t>(Axle::tandem)];
    if (tandem <= 0.0) continue;
    tandems += truck.share_percent * tandem;
    trucks += truck.share_percent;
  }
  return tandems / trucks;
}

double design_lane_trucks_per_day(const TrafficInputs& traffic, int32_t analysis_month, int32_t calendar_month) {
  const double years_open = (analysis_month - 1) / 12.0;
  const double growth = std::pow(1.0 + traffic.growth_percent / 100.0, years_open);
  return traffic.aadtt * traffic.directional_share * traffic.design_lane_share * growth *
         monthly_adjustment[static_cast<size_t>(calendar_month - 1)];
}

std::vector<double> monthly_axles_per_day(Axle axle, const TrafficInputs& traffic, int32_t analysis_month,
                                          int32_t calendar_month) {
  const double axles = design_lane_trucks_per_day(traffic, analysis_month, calendar_month) *
                       axles_per_truck()[static_cast<size_t>(axle)];
  std::vector<double> counts = load_spectrum(axle);
  for (double& count : counts) count *= axles;
  return counts;
}

const std::array<double, 24>& hourly_truck_percentages() { return hourly_percentages; }

}  // namespace jpcp::example
