// The cracking program's General input file: 43 design and material inputs,
// and in calibration mode the calibration values and observation ages.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "common/inputs/messages.h"
#include "common/inputs/reporting.h"
#include "cracking/inputs/general_fields.h"

namespace jpcp::inputs {

struct GeneralInput {
  // Every field as stored after its conversion, indexed by its position in
  // the file (1..43; index 0 unused). Integer fields hold their truncated
  // value as a real here too.
  std::array<float, 44> field{};

  // Integer fields (truncated toward zero).
  int32_t start_month = 1;       // field 2: calendar month of analysis month 1
  int32_t age_offset = 1;        // field 3: months, at least 1
  int32_t interface_switch = 0;  // field 4: months of slab/base bond; 12 or more: bonded and unbonded cases
  int32_t wheel_path_rule = 0;   // field 9
  int32_t age_time_constant = 0; // field 15: days to an age factor of one half
  int32_t field23 = 0;           // read, not used

  // Derived values.
  float built_in_gradient_factor = 1.0f;  // from field 24
  float fatigue_c1 = 0.0f;                // field 21 with its sign changed
  float fatigue_c2 = 0.0f;                // field 22
  float fatigue_constant = 0.4371f;       // additive term of the fatigue model
  float unit_factor = 1.0f;               // passed with the temperature inputs
  float tandem_count_scale = 0.0f;        // 1 / field 41

  // Calibration mode only.
  std::vector<float> calibration_values;  // replace field 6 analysis by analysis
  std::vector<float> observation_ages;    // years
  int32_t analysis_count = 1;             // N: number of calibration values, 1 outside calibration mode

  float design_life() const { return field[general::design_life]; }
  float slab_thickness() const { return field[general::thickness]; }
  float joint_spacing_ft() const { return field[general::joint_spacing]; }
  float built_in_gradient() const { return field[general::built_in_gradient]; }
};

// Reads the file at `path`. On failure the message is reported and false
// returned; nothing of the file is stored in `input` then.
bool read_general_input(std::string_view path, bool calibration_mode, const ReportError& report_error,
                        GeneralInput& input);

// Design life rounded to whole years (add 0.5, truncate).
int32_t rounded_design_life(float design_life);

}  // namespace jpcp::inputs
