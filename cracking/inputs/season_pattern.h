// The cracking program's season pattern and PCC modulus files: the
// typical-year foundation and humidity values in analysis order, and the
// concrete properties, bond indicator and age factor of every analysis
// month.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "common/inputs/reporting.h"
#include "common/inputs/typical_year.h"

namespace jpcp::inputs {

// Monthly tables are sized for this many analysis months (125 years).
inline constexpr int32_t max_analysis_months = 1500;
inline constexpr int32_t max_design_life_years = max_analysis_months / 12;

struct SeasonPattern {
  TypicalYear year;  // in analysis order: position 0 is the starting month
  int32_t years = 0;
  int32_t months = 0;  // 12 * years
  // Per analysis month (index j - 1):
  std::vector<float> mr;              // modulus of rupture, psi
  std::vector<float> e;               // concrete modulus, psi
  std::vector<float> bond;            // 1 bonded, 0 unbonded
  std::vector<float> field8;          // General input field 8, repeated
  std::vector<int32_t> month_number;  // 1, 2, ... months
  std::vector<float> age_factor;      // t / (t + c)
  std::array<float, 3> final_properties{};  // integer (as a real), MR and E of the last row
  float e_month12 = 0.0f;                   // E of analysis month 12
  std::vector<int32_t> period_start;        // cumulative analysis month at the start of each year
  std::vector<float> period_length;         // years
};

struct SeasonInputs {
  int32_t years = 0;              // Y, rounded design life (1..125)
  int32_t start_month = 1;        // field 2
  int32_t age_offset = 1;         // field 3
  int32_t interface_switch = 0;   // field 4
  float field8 = 0.0f;            // field 8
  int32_t age_time_constant = 0;  // field 15
};

bool read_season_pattern(std::string_view season_path, std::string_view pcc_path, const SeasonInputs& inputs,
                         const ReportError& report_error, SeasonPattern& pattern);

}  // namespace jpcp::inputs
