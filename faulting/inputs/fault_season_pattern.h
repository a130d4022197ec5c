// The faulting program's season pattern file: the typical-year k-values,
// base moduli and humidities, followed by the PCC property table (age in
// months, modulus of rupture, modulus of elasticity).
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "common/inputs/reporting.h"
#include "common/inputs/typical_year.h"

namespace jpcp::faulting {

struct PccPropertyTable {
  std::vector<int32_t> age;  // months
  std::vector<float> mr;     // modulus of rupture, psi
  std::vector<float> e;      // modulus of elasticity, psi
  size_t size() const { return age.size(); }
};

struct FaultSeasonPattern {
  inputs::TypicalYear calendar;  // January to December (calendar order, not analysis order)
  PccPropertyTable pcc;
};

// Records of the PCC property table: 19 up to 240 analysis months, 20 beyond
// (the twentieth carries the properties past 20 years).
int32_t pcc_table_points(int32_t n_months);

// Ages the table must list at records 2..19 (records 1 and 20 are free).
bool pcc_ages_valid(const std::vector<int32_t>& ages);

bool read_fault_season_pattern(std::string_view path, int32_t n_months, const inputs::ReportError& report_error,
                               FaultSeasonPattern& pattern);

// The k-values and base moduli of the calendar months the analysis reaches
// (its first n_months months from start_month) against the columns of
// JPCP_faulting.csv that show them: k-value F8.4 (below 1000 psi/in), Ebase
// F12.3 (below 100 000 000 psi). False (reported) when one cannot be held.
bool season_fits_results(const FaultSeasonPattern& pattern, int32_t start_month, int32_t n_months,
                         std::string_view path, const inputs::ReportError& report_error);

}  // namespace jpcp::faulting
