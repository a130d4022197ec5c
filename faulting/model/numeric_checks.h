// Reporting of values that are not finite numbers: a result row must never
// carry NaN or infinity, so the computation reports the quantity and the
// month and ends the run instead.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "common/inputs/reporting.h"

namespace jpcp::faulting {

inline constexpr std::string_view numeric_error_prefix = "Numerical error: ";
inline constexpr std::string_view not_finite_text = " is not a finite number";
inline constexpr std::string_view non_positive_logarithm_text = " needs the logarithm of a non-positive value";
inline constexpr std::string_view month_text = " in month ";
inline constexpr std::string_view setup_month_text = " in the set-up, calendar month ";
inline constexpr std::string_view setup_text = " in the set-up";

// Where a value was computed: analysis month i, calendar month m of the
// set-up, or the set-up as a whole.
std::string in_month(int32_t month);
std::string in_setup_month(int32_t calendar_month);
std::string in_setup();

// Reports "<quantity> is not a finite number<where>" and returns false when
// the value is NaN or infinite.
bool check_finite(std::string_view quantity, float value, const std::string& where,
                  const inputs::ReportError& report_error);

// Reports "<quantity> needs the logarithm of a non-positive value<where>"
// and returns false when the argument is not positive (or NaN).
bool check_log_argument(std::string_view quantity, float argument, const std::string& where,
                        const inputs::ReportError& report_error);

}  // namespace jpcp::faulting
