// The fields of the cracking General input file, by name, in file order
// (field 1 .. 43). The one table of these names: python/jpcp/inputs/fields.py
// (GENERAL_FIELDS) names them alike, and a test of the Python package
// (test_inputs.py) checks that the two agree.
#pragma once

#include <cstddef>

namespace jpcp::inputs::general {

// Index of GeneralInput::field (1-based, as the file numbers its fields).
enum Field : size_t {
  design_life = 1,
  start_month,
  age_offset,
  bond_months,
  thickness,
  joint_spacing,
  unused_7,
  shoulder_lte,
  widened_slab,
  poisson_ratio,
  pcc_unit_weight,
  thermal_expansion,
  shrinkage_zone_depth,
  ultimate_shrinkage,
  shrinkage_half_time,
  unused_16,
  base_thickness,
  base_unit_weight,
  crack_c4,
  crack_c5,
  fatigue_c1,
  fatigue_c2,
  unused_23,
  built_in_gradient,
  unused_25,
  axle_track,
  lane_width,
  wheel_path_offset,
  wheel_path_sd,
  slab_width,
  tire_pressure,
  tandem_spacing,
  dual_spacing,
  tire_width,
  wheelbase_short,
  wheelbase_medium,
  wheelbase_long,
  trucks_short,
  trucks_medium,
  trucks_long,
  tandem_axles_per_truck,
  initial_cracking,
  cracking_offset,
  field_count_plus_one
};

inline constexpr size_t field_count = field_count_plus_one - 1;
static_assert(field_count == 43);

}  // namespace jpcp::inputs::general
