#include "faulting/model/numeric_checks.h"

#include <cmath>

namespace jpcp::faulting {

std::string in_month(int32_t month) { return std::string(month_text) + std::to_string(month); }

std::string in_setup_month(int32_t calendar_month) {
  return std::string(setup_month_text) + std::to_string(calendar_month);
}

std::string in_setup() { return std::string(setup_text); }

bool check_finite(std::string_view quantity, float value, const std::string& where,
                  const inputs::ReportError& report_error) {
  if (std::isfinite(value)) return true;
  report_error(std::string(numeric_error_prefix) + std::string(quantity) + std::string(not_finite_text) + where);
  return false;
}

bool check_log_argument(std::string_view quantity, float argument, const std::string& where,
                        const inputs::ReportError& report_error) {
  if (argument > 0.0f) return true;
  report_error(std::string(numeric_error_prefix) + std::string(quantity) + std::string(non_positive_logarithm_text) +
               where);
  return false;
}

}  // namespace jpcp::faulting
