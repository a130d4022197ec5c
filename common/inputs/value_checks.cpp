#include "common/inputs/value_checks.h"

#include <cmath>
#include <cstdio>
#include <utility>

namespace jpcp::inputs {

std::string shown_value(double value) {
  char buffer[40];
  // Whole numbers (counts, months) in full; others to seven digits.
  if (std::abs(value) < 1e10 && value == std::floor(value)) {
    std::snprintf(buffer, sizeof buffer, "%.0f", value);
  } else {
    std::snprintf(buffer, sizeof buffer, "%.7g", value);
  }
  return buffer;
}

std::string field_label(std::string_view kind, int64_t number) {
  return std::string(kind) + ' ' + std::to_string(number);
}

FieldChecks::FieldChecks(std::string_view file_label, const ReportError& report_error, std::string detail)
    : label_(file_label), report_error_(report_error), detail_(std::move(detail)) {}

bool FieldChecks::fail(std::string_view field, std::string_view meaning, std::string_view rule, double value) {
  if (!ok_) return false;
  ok_ = false;
  std::string message = "Data error: " + label_ + " -- " + std::string(field);
  if (!meaning.empty()) message += " (" + std::string(meaning) + ")";
  message += " must " + std::string(rule) + ": " + shown_value(value);
  report_error_(message, detail_);
  return false;
}

bool FieldChecks::above_zero(std::string_view field, std::string_view meaning, double value) {
  if (ok_ && !(value > 0.0)) fail(field, meaning, "be above 0", value);
  return ok_;
}

bool FieldChecks::at_least_zero(std::string_view field, std::string_view meaning, double value) {
  if (ok_ && !(value >= 0.0)) fail(field, meaning, "not be negative", value);
  return ok_;
}

bool FieldChecks::between_exclusive(std::string_view field, std::string_view meaning, double value, double lo,
                                    double hi) {
  if (ok_ && !(value > lo && value < hi)) {
    fail(field, meaning, "lie strictly between " + shown_value(lo) + " and " + shown_value(hi), value);
  }
  return ok_;
}

bool FieldChecks::within(std::string_view field, std::string_view meaning, double value, double lo, double hi) {
  if (ok_ && !(value >= lo && value <= hi)) fail(field, meaning, "be " + shown_value(lo) + " to " + shown_value(hi), value);
  return ok_;
}

}  // namespace jpcp::inputs
