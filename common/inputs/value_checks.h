// Range checks of values read from the section input files. A value that
// makes the computation undefined or meaningless (a slab of no thickness, a
// Poisson's ratio of 0.5, a negative axle count) is reported with one line
// that names the file, the field (number and meaning), the rule and the value:
//   Data error: General Input File -- field 5 (slab thickness, in) must be above 0: -1
// Nothing that a real section could hold is rejected.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "common/inputs/reporting.h"

namespace jpcp::inputs {

// One bound on the analysis length for both programs: the cracking damage
// tables hold 100 years of months.
inline constexpr int32_t max_analysis_years = 100;
inline constexpr int32_t max_checked_analysis_months = 12 * max_analysis_years;

// Slab temperatures of the climatic model, deg F.
inline constexpr float lowest_slab_temperature = -100.0f;
inline constexpr float highest_slab_temperature = 200.0f;

// A value as the messages show it: up to seven significant digits.
std::string shown_value(double value);

// Checks fields of one file; the first failure is reported (with `detail`
// on the console) and later checks of the same checker do nothing, so a
// file gives one message. Every check returns ok().
class FieldChecks {
 public:
  // `file_label` as the messages name the file ("General Input File").
  FieldChecks(std::string_view file_label, const ReportError& report_error, std::string detail = {});

  // `field` is the field's label ("field 5", "line 11", "k-value of month 3")
  // and `meaning` its meaning with unit ("slab thickness, in").
  bool above_zero(std::string_view field, std::string_view meaning, double value);
  bool at_least_zero(std::string_view field, std::string_view meaning, double value);
  // lo < value < hi.
  bool between_exclusive(std::string_view field, std::string_view meaning, double value, double lo, double hi);
  // lo <= value <= hi.
  bool within(std::string_view field, std::string_view meaning, double value, double lo, double hi);
  // A failure with a rule of the caller's own words.
  bool fail(std::string_view field, std::string_view meaning, std::string_view rule, double value);

  bool ok() const { return ok_; }

 private:
  std::string label_;
  const ReportError& report_error_;
  std::string detail_;
  bool ok_ = true;
};

// "field 5" and the like.
std::string field_label(std::string_view kind, int64_t number);

}  // namespace jpcp::inputs
