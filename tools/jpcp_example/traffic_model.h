// Truck traffic of the example sections: axle load spectra of the usual
// shape, monthly axle counts from the truck volume, its growth and the truck
// mix, and the hourly distribution of the truck traffic.
//
// Load classes of the axle files (the label of a class is its upper bound;
// class 1 also holds every lighter axle and the last class every heavier one):
//   single axles  39 classes of 1 kip:  up to 3, 3-4, 4-5, ..., 40-41 kips
//   tandem axles  39 classes of 2 kips: up to 6, 6-8, ..., 80-82 kips
//   tridem axles  31 classes of 3 kips: up to 12, 12-15, ..., 99-102 kips
//   quad axles    31 classes of 3 kips: as tridem axles
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace jpcp::example {

enum class Axle : std::size_t { single, tandem, tridem, quad };
inline constexpr std::size_t axle_kinds = 4;

struct LoadClasses {
  int32_t count = 0;
  double first_upper_kips = 0.0;  // upper bound of class 1
  double width_kips = 0.0;        // width of classes 2 .. count
  double upper_bound(int32_t load_class) const {  // 1-based
    return first_upper_kips + width_kips * (load_class - 1);
  }
};

const LoadClasses& load_classes(Axle axle);

// Share of the axles of a kind in each load class (sums to 1).
std::vector<double> load_spectrum(Axle axle);

struct TrafficInputs {
  double aadtt = 2000.0;            // average annual daily truck traffic, both directions, at opening
  double growth_percent = 4.0;      // compound growth of the truck volume per year
  double directional_share = 0.5;   // trucks in the design direction
  double design_lane_share = 0.9;   // trucks of that direction in the design lane
};

// Axles of each kind per truck of the mix.
std::array<double, axle_kinds> axles_per_truck();
// Tandem axles per truck among the truck classes that have tandem axles.
double tandem_axles_per_tandem_truck();

// Trucks per day in the design lane in analysis month j (1-based) whose
// calendar month is `calendar_month`.
double design_lane_trucks_per_day(const TrafficInputs& traffic, int32_t analysis_month, int32_t calendar_month);

// Average axles per day of each load class in one analysis month.
std::vector<double> monthly_axles_per_day(Axle axle, const TrafficInputs& traffic, int32_t analysis_month,
                                          int32_t calendar_month);

// Percentages of the daily truck traffic in the hours 0-1, 1-2, ... 23-24
// (24 values summing to 100).
const std::array<double, 24>& hourly_truck_percentages();

}  // namespace jpcp::example
