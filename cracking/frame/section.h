// Everything jpcp_cracking holds for the section being analysed. The readers
// fill it; the section-level computations and the analyses read it.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "common/inputs/input_set.h"
#include "common/inputs/nn_info.h"
#include "common/inputs/table.h"
#include "common/inputs/temperature_data.h"
#include "common/inputs/traffic.h"
#include "cracking/damage/damage_tables.h"
#include "cracking/inputs/general_input.h"
#include "cracking/inputs/season_pattern.h"

namespace jpcp::cracking {

// Bins of the daytime and night-time gradient distributions.
inline constexpr size_t daytime_bins = 25;
inline constexpr size_t nighttime_bins = 42;
inline constexpr size_t distribution_capacity = 100;

// Monthly traffic-weighted gradient-frequency tables of one interface case:
// bins x 12 months, bins varying fastest.
struct GradientDistributions {
  inputs::Table2D<float> daytime{distribution_capacity, 12};
  inputs::Table2D<float> nighttime{distribution_capacity, 12};
  // Gradient level of each bin, deg F (0, 2, 4, ...).
  std::array<float, distribution_capacity> daytime_levels{};
  std::array<float, distribution_capacity> nighttime_levels{};
  // 0.4 x the largest nonlinear top stress of the hourly series, psi.
  float top_stress_shift = 0.0f;
};

struct MoistureWarping {
  std::array<float, 12> difference{};        // deg F, per month of the typical year (analysis order)
  std::array<float, 12> total_difference{};  // difference plus the built-in gradient
  float maximum = 0.0f;
  float minimum = 0.0f;
};

struct CrackingSection {
  inputs::InputSet input_set;
  inputs::GeneralInput general;
  int32_t years = 0;  // design life rounded
  inputs::SeasonPattern season;
  inputs::AxleTraffic traffic;
  // Axles per month by class and analysis month (40 x months), per axle type.
  std::array<inputs::Table2D<float>, inputs::axle_type_count> axles_by_class;
  std::array<float, 24> hourly_traffic_weight{};  // 1 means an average hour
  std::vector<inputs::HourlyRecord> temperatures;
  MoistureWarping moisture;

  GradientDistributions unbonded;
  GradientDistributions bonded;
  int32_t nighttime_bin_count = static_cast<int32_t>(nighttime_bins);

  // Damage added by every month of the analysis, filled by the damage
  // routines and turned into cracking by the cracking prediction.
  DamageTables damage;

  bool two_case() const { return general.interface_switch >= 12; }
};

}  // namespace jpcp::cracking
