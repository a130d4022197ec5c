// The curl deflection grid ("defl0.csv" in the model folder): corner
// deflections of the curled, unloaded slab over joint spacing L (ft), radius
// of relative stiffness (in) and Korenev parameter, fitted with a quadratic
// tensor-product B-spline on not-a-knot knots.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/inputs/reporting.h"

namespace jpcp::faulting {

inline constexpr std::string_view curl_grid_file_name = "defl0.csv";
inline constexpr std::string_view curl_grid_missing_message = "Curl deflection grid could not be opened: ";
inline constexpr std::string_view curl_grid_unfit_message = "Curl deflection grid cannot be fitted: ";

// Reasons that follow the file path in the second message.
namespace curl_grid_reason {
inline constexpr std::string_view ends_early = " -- the file ends before all grid values are given";
inline constexpr std::string_view not_a_number = " -- a value is not a number";
inline constexpr std::string_view too_few_points = " -- every dimension needs at least 3 grid values";
inline constexpr std::string_view too_many_points = " -- the grid has more values than can be held";
inline constexpr std::string_view not_increasing = " -- the grid values of a dimension are not strictly increasing";
}  // namespace curl_grid_reason

struct CurlDeflectionGrid {
  int32_t nl = 0;  // joint spacings
  int32_t nr = 0;  // radii of relative stiffness
  int32_t np = 0;  // Korenev parameters
  std::vector<float> spacing_knots;  // nl + 3
  std::vector<float> radius_knots;   // nr + 3
  std::vector<float> korenev_knots;  // np + 3
  std::vector<float> coef;           // nl * nr * np, joint spacing fastest
};

// Reads the grid file and fits it. False (reported) when the file is missing
// or its grid cannot be fitted.
bool read_curl_grid(const std::string& path, const inputs::ReportError& report_error, CurlDeflectionGrid& grid);

// Curl deflection w(L, ell, phi); zero (with the evaluator's warning) outside
// the grid.
float curl_deflection(const CurlDeflectionGrid& grid, float L, float ell, float phi);

}  // namespace jpcp::faulting
