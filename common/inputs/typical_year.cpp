#include "common/inputs/typical_year.h"

#include <string>

#include "common/inputs/value_checks.h"

namespace jpcp::inputs {

int32_t calendar_month(int32_t start_month, int32_t position) {
  const int32_t offset = (start_month - 1 + position - 1) % 12;
  return (offset < 0 ? offset + 12 : offset) + 1;
}

bool typical_year_valid(const TypicalYear& calendar_order, std::string_view file_label, const ReportError& report_error,
                        const std::string& detail) {
  FieldChecks checks(file_label, report_error, detail);
  for (size_t m = 0; m < 12; ++m) {
    const std::string month = " of month " + std::to_string(m + 1);
    checks.above_zero("k-value" + month, "psi/in", calendar_order.k_value[m]);
    checks.above_zero("base modulus" + month, "psi", calendar_order.base_modulus[m]);
    checks.within("relative humidity" + month, "percent", calendar_order.relative_humidity[m], 0.0, 100.0);
  }
  return checks.ok();
}

bool typical_year_fits_results(const TypicalYear& calendar_order, const std::array<bool, 12>& written,
                               const ResultColumnBound& k_value, const ResultColumnBound& base_modulus,
                               std::string_view file_label, const ReportError& report_error,
                               const std::string& detail) {
  FieldChecks checks(file_label, report_error, detail);
  const auto check = [&checks](const ResultColumnBound& bound, const std::string& field, std::string_view unit,
                               double value) {
    if (bound.limit > 0.0 && value >= bound.limit) {
      checks.fail(field, unit, "be below " + shown_value(bound.limit) + " to fit " + std::string(bound.column),
                  value);
    }
  };
  for (size_t m = 0; m < 12 && checks.ok(); ++m) {
    if (!written[m]) continue;
    const std::string month = " of month " + std::to_string(m + 1);
    check(k_value, "k-value" + month, "psi/in", calendar_order.k_value[m]);
    check(base_modulus, "base modulus" + month, "psi", calendar_order.base_modulus[m]);
  }
  return checks.ok();
}

bool pcc_rows_valid(std::span<const float> mr, std::span<const float> e, std::string_view file_label,
                    const ReportError& report_error, const std::string& detail) {
  FieldChecks checks(file_label, report_error, detail);
  for (size_t r = 0; r < mr.size() && r < e.size(); ++r) {
    checks.above_zero("row " + std::to_string(r + 1), "modulus of rupture, psi", mr[r]);
    checks.above_zero("row " + std::to_string(r + 1), "PCC elastic modulus, psi", e[r]);
  }
  return checks.ok();
}

text::ReadStatus read_typical_year_values(text::FreeFormReader& reader, TypicalYear& calendar_order) {
  for (std::array<float, 12>* values :
       {&calendar_order.k_value, &calendar_order.base_modulus, &calendar_order.relative_humidity}) {
    if (const auto status = reader.read_values(std::span<float>(*values)); status != text::ReadStatus::ok) {
      return status;
    }
  }
  return text::ReadStatus::ok;
}

}  // namespace jpcp::inputs
