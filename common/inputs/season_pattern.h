// Season pattern and PCC modulus files: the typical-year foundation and
// humidity values in analysis order, and the concrete properties, bond
// indicator and age factor of every analysis month.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/inputs/reporting.h"
#include "common/text/free_form_reader.h"

namespace jpcp::inputs {

// Monthly tables are sized for this many analysis months (125 years).
inline constexpr int32_t max_analysis_months = 1500;
inline constexpr int32_t max_design_life_years = max_analysis_months / 12;

struct TypicalYear {
  std::array<float, 12> k_value{};            // psi/in
  std::array<float, 12> base_modulus{};       // psi
  std::array<float, 12> relative_humidity{};  // percent
};

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

// The season pattern file as the messages name it.
inline constexpr std::string_view season_file_label = "Season Pattern File";
inline constexpr std::string_view season_eof_message = "Unexpected end of file: Season Pattern File.";
inline constexpr std::string_view season_typical_year_message =
    "Data error: Season Pattern File -- k-values, Ebase, or monthly R.H.";
inline constexpr std::string_view season_pcc_message = "Data error: Season Pattern File -- PCC Properties";

// Calendar month (1..12) at analysis position p (1-based) for starting month s.
int32_t calendar_month(int32_t start_month, int32_t position);

// Reads the three 12-value reads of a season pattern file (calendar order).
// Returns the read status of the first failing read.
text::ReadStatus read_typical_year_values(text::FreeFormReader& reader, TypicalYear& calendar_order);

// Range checks of a typical year (calendar order): k-values and base moduli
// above 0, humidities 0 to 100 percent. False (reported) on the first failure.
bool typical_year_valid(const TypicalYear& calendar_order, std::string_view file_label, const ReportError& report_error,
                        const std::string& detail);
// A bound that a typical-year value must stay below to fit the fixed-width
// result column that shows it unchanged; a limit of 0 sets no bound.
struct ResultColumnBound {
  double limit = 0.0;
  std::string_view column;  // "the k-value column of JPCP_faulting.csv"
};

// The k-values and base moduli (calendar order) of the calendar months whose
// rows a run writes (`written`, January first) against the bounds of their
// result columns: a value no result layout can hold is refused where it is
// read, before any analysis. False (reported) on the first failure.
bool typical_year_fits_results(const TypicalYear& calendar_order, const std::array<bool, 12>& written,
                               const ResultColumnBound& k_value, const ResultColumnBound& base_modulus,
                               std::string_view file_label, const ReportError& report_error,
                               const std::string& detail);

// Modulus of rupture and elastic modulus above 0 in every row of a PCC
// property table.
bool pcc_rows_valid(std::span<const float> mr, std::span<const float> e, std::string_view file_label,
                    const ReportError& report_error, const std::string& detail);

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
