// The typical year that both programs' season pattern files begin with: the
// k-values, base moduli and relative humidities of the twelve calendar
// months, their reading and range checks, the checks of a PCC property
// table's rows, and the messages that name the season pattern file.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "common/inputs/reporting.h"
#include "common/text/free_form_reader.h"

namespace jpcp::inputs {

struct TypicalYear {
  std::array<float, 12> k_value{};            // psi/in
  std::array<float, 12> base_modulus{};       // psi
  std::array<float, 12> relative_humidity{};  // percent
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

}  // namespace jpcp::inputs
