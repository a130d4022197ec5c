// The once-per-section set-up of the faulting computation: load levels,
// initial load transfer, moisture warping, night-time temperatures, the
// slab of each calendar month, the freezing-adjusted calibration, the
// maximum faulting and the monthly concrete properties.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "common/inputs/reporting.h"
#include "common/inputs/temperature_data.h"
#include "faulting/deflection/calc_def.h"
#include "faulting/model/section_data.h"

namespace jpcp::faulting {

// Joint spacing range (ft) of the deflection models.
inline constexpr float shortest_joint_spacing = 12.0f;
inline constexpr float longest_joint_spacing = 33.0f;
// Traffic weight of every calendar month: half the traffic runs at night.
inline constexpr float night_traffic_weight = 0.5f;

// Axle loads (lb) of the 40 single-axle load levels: 1500, then 3500 up in
// steps of 1000; tandem and tridem levels carry two and three times these.
std::array<float, load_levels> single_axle_loads();
// Loads over the weight W = gamma * 25920 * h of a 12 ft by 15 ft slab.
NormalisedLoads normalised_loads(float gamma, float h);

// Load transfer (percent) of the base by base type code.
float base_load_transfer(int32_t base_type, float lte_base_in);
// Dowel load transfer (percent) of new dowels of diameter d in a slab h
// thick; 0 for d up to 0.1 in (no dowels).
float initial_dowel_lte(float d, float h);

struct MoistureWarping {
  std::array<float, 12> etd{};  // equivalent temperature difference of moisture warping, deg F, per calendar month
  float cfmax = 0.0f;           // largest humidity factor, at least 0
};
MoistureWarping moisture_warping(const SectionInputs& in, const std::array<float, 12>& relative_humidity);

// Night-time temperature statistics per calendar month (index m - 1):
// temp[m][0] mean top-minus-bottom difference, temp[m][1] mean of the fifth
// of the eleven temperatures (mid-depth), temp[m][2] = 0; and the freezing
// fraction FR, the share of hours whose bottom temperature is 32 F or lower.
struct NightTemperatures {
  std::array<std::array<float, 3>, 12> temp{};
  float FR = 0.0f;
};
NightTemperatures night_temperature_statistics(const std::vector<inputs::HourlyRecord>& records);

// Concrete properties at the ages 0, 1, ..., count - 1 months from the
// cubic spline through the PCC property table.
struct AgeProperties {
  std::vector<float> E;   // psi
  std::vector<float> MR;  // psi
};
AgeProperties properties_by_age(const PccPropertyTable& table, int32_t count);
// The value of age month k (1-based): the mean of the spline at ages k - 2
// and k - 1; at k = 1 there is no age -1 and age 0 stands in for it.
float month_property(const std::vector<float>& by_age, int32_t k);

struct SectionSetup {
  float L = 0.0f;  // joint spacing clamped to the models' range, ft
  NormalisedLoads loads;
  float lte_base = 0.0f;  // percent
  float lte_d = 0.0f;     // initial dowel load transfer, percent
  MoistureWarping moisture;
  NightTemperatures night;
  std::array<float, 12> wm{};  // traffic weight per calendar month
  // Slab of each calendar month with the reference modulus (age 10 months).
  std::array<float, 12> h_eff{}, gamma_eff{}, ell{}, dT{}, phi{}, beta{};
  float C12 = 0.0f;
  float C34 = 0.0f;
  float erosion_term = 0.0f;  // [log10(1 + C5 5^EROD)]^C6
  float faultmax = 0.0f;      // in
  AgeProperties by_age;
};

// False (reported) when a value the month loop starts from is not a finite
// number, or faultmax needs the logarithm of a non-positive value.
bool section_setup(const FaultingSection& section, const inputs::ReportError& report_error, SectionSetup& setup);

}  // namespace jpcp::faulting
