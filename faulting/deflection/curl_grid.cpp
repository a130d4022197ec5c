#include "faulting/deflection/curl_grid.h"

#include <array>

#include "common/splines/bs3in.h"
#include "common/splines/bs_grid_eval.h"
#include "common/splines/bsnak.h"
#include "common/text/free_form_reader.h"

namespace jpcp::faulting {

namespace {

constexpr int32_t curl_order = 3;  // quadratic in every direction
// Bound on the grid size, far above any tabulated grid: a corrupt count
// must not ask for gigabytes.
constexpr int64_t largest_grid = 4'000'000;

bool strictly_increasing(const std::vector<float>& values) {
  for (size_t i = 1; i < values.size(); ++i) {
    if (!(values[i - 1] < values[i])) return false;
  }
  return true;
}

std::string_view status_reason(text::ReadStatus status) {
  return status == text::ReadStatus::end_of_file ? curl_grid_reason::ends_early : curl_grid_reason::not_a_number;
}

}  // namespace

bool read_curl_grid(const std::string& path, const inputs::ReportError& report_error, CurlDeflectionGrid& grid) {
  text::FreeFormReader reader;
  if (!reader.open(path)) {
    report_error(std::string(curl_grid_missing_message) + path);
    return false;
  }
  auto fail = [&](std::string_view reason) {
    report_error(std::string(curl_grid_unfit_message) + path + std::string(reason));
    return false;
  };

  int32_t nl = 0, nr = 0, np = 0;
  if (const auto status = reader.read_values(nl, nr, np); status != text::ReadStatus::ok) {
    return fail(status_reason(status));
  }
  if (nl < curl_order || nr < curl_order || np < curl_order) return fail(curl_grid_reason::too_few_points);
  // Multiplied one axis at a time so that three corrupt counts cannot
  // overflow the product before it is compared with the bound.
  int64_t points = 1;
  for (const int32_t n : {nl, nr, np}) {
    points *= n;
    if (points > largest_grid) return fail(curl_grid_reason::too_many_points);
  }

  std::vector<float> spacings(static_cast<size_t>(nl));
  std::vector<float> radii(static_cast<size_t>(nr));
  std::vector<float> korenev(static_cast<size_t>(np));
  for (std::vector<float>* axis : {&spacings, &radii, &korenev}) {
    if (const auto status = reader.read_values(*axis); status != text::ReadStatus::ok) {
      return fail(status_reason(status));
    }
    if (!strictly_increasing(*axis)) return fail(curl_grid_reason::not_increasing);
  }

  // Records of three coordinates (not used) and the deflection, joint
  // spacing fastest, then radius, Korenev parameter slowest. A grid with
  // missing records has no interpolant that means anything.
  std::vector<float> values(static_cast<size_t>(points));
  for (float& w : values) {
    std::array<float, 3> coordinates{};
    if (const auto status = reader.read_values(std::span<float>(coordinates), w); status != text::ReadStatus::ok) {
      return fail(status_reason(status));
    }
  }

  CurlDeflectionGrid result;
  result.nl = nl;
  result.nr = nr;
  result.np = np;
  result.spacing_knots.resize(static_cast<size_t>(nl + curl_order));
  result.radius_knots.resize(static_cast<size_t>(nr + curl_order));
  result.korenev_knots.resize(static_cast<size_t>(np + curl_order));
  splines::BSNAK(nl, spacings, curl_order, result.spacing_knots);
  splines::BSNAK(nr, radii, curl_order, result.radius_knots);
  splines::BSNAK(np, korenev, curl_order, result.korenev_knots);
  result.coef.resize(values.size());
  splines::BS3IN(nl, spacings, nr, radii, np, korenev, values, nl, nr, curl_order, curl_order, curl_order,
                 result.spacing_knots, result.radius_knots, result.korenev_knots, result.coef);
  grid = std::move(result);
  return true;
}

float curl_deflection(const CurlDeflectionGrid& grid, float L, float ell, float phi) {
  const std::array<float, 1> x = {L};
  const std::array<float, 1> y = {ell};
  const std::array<float, 1> z = {phi};
  std::array<float, 1> value{};
  splines::BS3GD(0, 0, 0, 1, x, 1, y, 1, z, curl_order, curl_order, curl_order, grid.spacing_knots,
                 grid.radius_knots, grid.korenev_knots, grid.nl, grid.nr, grid.np, grid.coef, value, 1, 1);
  return value[0];
}

}  // namespace jpcp::faulting
