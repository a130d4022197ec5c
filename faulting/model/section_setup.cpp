#include "faulting/model/section_setup.h"

#include <algorithm>
#include <cmath>

#include "common/splines/csiez.h"
#include "faulting/model/joint_transfer.h"
#include "faulting/model/numeric_checks.h"
#include "faulting/model/slab_parameters.h"

namespace jpcp::faulting {

namespace {

constexpr float slab_area = 25920.0f;  // in^2 of a 12 ft by 15 ft slab
constexpr float dowelled_diameter = 0.1f;  // in; thinner means no dowels
constexpr float freezing_point = 32.0f;    // deg F
constexpr int32_t first_day_hour = 8;      // hours 8 to 19 are day hours
constexpr int32_t last_day_hour = 19;
constexpr size_t reference_modulus_record = 10;  // the record of age 10 months
constexpr float subgrade_area = 144.0f;          // in^2 per ft^2
constexpr float lowest_soil_a = 15.0f;
constexpr float lowest_search_start = -1.0e11f;

constexpr std::string_view faultmax_name = "faultmax";
constexpr std::string_view freezing_fraction_name = "freezing fraction FR";
constexpr std::string_view night_difference_name = "night-time mean temperature difference";
constexpr std::string_view night_mid_depth_name = "night-time mean mid-depth temperature";
constexpr std::string_view calibration_name = "freezing-adjusted calibration coefficient";

}  // namespace

std::array<float, load_levels> single_axle_loads() {
  std::array<float, load_levels> loads{};
  loads[0] = 1500.0f;
  for (size_t j = 2; j <= load_levels; ++j) loads[j - 1] = 3500.0f + 1000.0f * static_cast<float>(j - 2);
  return loads;
}

NormalisedLoads normalised_loads(float gamma, float h) {
  const float W = gamma * slab_area * h;
  const std::array<float, load_levels> single = single_axle_loads();
  NormalisedLoads loads;
  for (size_t j = 0; j < load_levels; ++j) {
    loads.single[j] = single[j] / W;
    loads.tandem[j] = 2.0f * single[j] / (2.0f * W);
    loads.tridem[j] = 3.0f * single[j] / (3.0f * W);
  }
  return loads;
}

float base_load_transfer(int32_t base_type, float lte_base_in) {
  switch (base_type) {
    case 0:
      return 20.0f;
    case 1:
      return 40.0f;
    case 2:
      return 20.0f;
    case 7:
      return lte_base_in;
    default:
      return 30.0f;
  }
}

float initial_dowel_lte(float d, float h) { return d > dowelled_diameter ? load_transfer(120.0f * d * d / h) : 0.0f; }

MoistureWarping moisture_warping(const SectionInputs& in, const std::array<float, 12>& relative_humidity) {
  std::array<float, 12> S{};
  float sum = 0.0f;
  MoistureWarping result;
  for (size_t m = 0; m < 12; ++m) {
    S[m] = cf(relative_humidity[m]);
    sum += S[m];
    result.cfmax = std::max(result.cfmax, S[m]);
  }
  const float mean = sum / 12.0f;
  const float h = in.h_pcc;
  const float K = -(6.0f * in.ultshrin) * (0.5f * in.hs) * (0.5f * h - in.hs / 3.0f) /
                  (in.alpha_pcc * 1.0e6f * (h * h));
  for (size_t m = 0; m < 12; ++m) result.etd[m] = K * (S[m] - mean);
  return result;
}

NightTemperatures night_temperature_statistics(const std::vector<inputs::HourlyRecord>& records) {
  std::array<float, 12> difference_sum{};
  std::array<float, 12> mid_depth_sum{};
  std::array<int32_t, 12> night_hours{};
  int32_t freezing_hours = 0;
  for (const inputs::HourlyRecord& record : records) {
    const float top = record.temperature[0];
    const float bottom = record.temperature[10];
    if (bottom <= freezing_point) ++freezing_hours;
    if (record.hour >= first_day_hour && record.hour <= last_day_hour) continue;
    const int32_t month = record.month <= 0 ? record.month + 12 : record.month;
    const auto m = static_cast<size_t>(month - 1);
    difference_sum[m] += top - bottom;
    mid_depth_sum[m] += record.temperature[4];
    ++night_hours[m];
  }
  NightTemperatures result;
  for (size_t m = 0; m < 12; ++m) {
    const auto hours = static_cast<float>(night_hours[m]);
    result.temp[m] = {difference_sum[m] / hours, mid_depth_sum[m] / hours, 0.0f};
  }
  result.FR = static_cast<float>(freezing_hours) / static_cast<float>(records.size());
  return result;
}

AgeProperties properties_by_age(const PccPropertyTable& table, int32_t count) {
  const auto points = static_cast<int32_t>(table.size());
  std::vector<float> ages(table.size());
  for (size_t r = 0; r < table.size(); ++r) ages[r] = static_cast<float>(table.age[r]);
  std::vector<float> query(static_cast<size_t>(count));
  for (size_t a = 0; a < query.size(); ++a) query[a] = static_cast<float>(a);
  AgeProperties result;
  result.E.resize(query.size());
  result.MR.resize(query.size());
  splines::CSIEZ(points, ages, table.e, count, query, result.E);
  splines::CSIEZ(points, ages, table.mr, count, query, result.MR);
  return result;
}

float month_property(const std::vector<float>& by_age, int32_t k) {
  const auto upper = static_cast<size_t>(k - 1);
  const size_t lower = k >= 2 ? static_cast<size_t>(k - 2) : 0;
  return (by_age[lower] + by_age[upper]) / 2.0f;
}

bool section_setup(const FaultingSection& section, const inputs::ReportError& report_error, SectionSetup& setup) {
  const SectionInputs& in = section.inputs;
  const inputs::TypicalYear& year = section.season.calendar;
  SectionSetup s;

  s.L = std::clamp(in.spaceJT, shortest_joint_spacing, longest_joint_spacing);
  s.loads = normalised_loads(in.gamma_pcc, in.h_pcc);
  s.lte_base = base_load_transfer(in.base_type, in.lte_base_in);
  s.lte_d = initial_dowel_lte(in.dowel_dia, in.h_pcc);
  s.moisture = moisture_warping(in, year.relative_humidity);

  s.night = night_temperature_statistics(section.temperatures);
  s.wm.fill(night_traffic_weight);
  if (!check_finite(freezing_fraction_name, s.night.FR, in_setup(), report_error)) return false;
  for (size_t m = 0; m < 12; ++m) {
    const std::string where = in_setup_month(static_cast<int32_t>(m + 1));
    if (!check_finite(night_difference_name, s.night.temp[m][0], where, report_error)) return false;
    if (!check_finite(night_mid_depth_name, s.night.temp[m][1], where, report_error)) return false;
  }

  // The slab of each calendar month with the modulus at 10 months.
  const float E_ref = section.season.pcc.e[reference_modulus_record];
  const float h = in.h_pcc;
  for (size_t m = 0; m < 12; ++m) {
    s.h_eff[m] = effective_thickness(h, in.h_base, E_ref, year.base_modulus[m]);
    s.gamma_eff[m] = adjusted_unit_weight(in.gamma_pcc, h, s.h_eff[m]);
    s.ell[m] = radius_of_relative_stiffness(E_ref, s.h_eff[m], in.mu_pcc, year.k_value[m]);
    const float thickness_ratio = h / s.h_eff[m];
    s.dT[m] = (in.built_in_gradient - s.moisture.etd[m] + s.night.temp[m][0]) * (thickness_ratio * thickness_ratio);
    s.phi[m] = korenev_parameter(in.alpha_pcc, in.mu_pcc, s.ell[m], year.k_value[m], s.dT[m], s.h_eff[m],
                                 s.gamma_eff[m]);
    s.beta[m] = deflection_scale(s.h_eff[m], year.k_value[m], s.ell[m]);
  }

  // Freezing raises the faulting potential of the calibration.
  const float FR_root = std::pow(s.night.FR, 0.25f);
  s.C12 = in.c(1) + in.c(2) * FR_root;
  s.C34 = in.c(3) + in.c(4) * FR_root;
  if (!check_finite(calibration_name, s.C12, in_setup(), report_error) ||
      !check_finite(calibration_name, s.C34, in_setup(), report_error)) {
    return false;
  }

  // Maximum faulting: the curl deflection of the unloaded corner against the
  // erodibility of the base and the support of the subgrade.
  const float erosion_argument = 1.0f + in.c(5) * std::pow(5.0f, in.erod);
  const float Ps = (in.gamma_pcc * h + in.gamma_base * in.h_base) * subgrade_area;
  const float soil_a = std::max(in.soil_a, lowest_soil_a);
  const float soil_argument = soil_a * in.soil_b / Ps;
  float faultmax = lowest_search_start;
  for (size_t m = 0; m < 12; ++m) {
    const std::string where = in_setup_month(static_cast<int32_t>(m + 1));
    if (!check_log_argument(faultmax_name, erosion_argument, where, report_error) ||
        !check_log_argument(faultmax_name, soil_argument, where, report_error)) {
      return false;
    }
    const float curl = s.beta[m] * (curl_deflection(section.curl, s.L, s.ell[m], 0.0f) -
                                    curl_deflection(section.curl, s.L, s.ell[m], s.phi[m]));
    const float faultmax_m = s.C12 * curl * std::pow(std::log10(erosion_argument), in.c(6)) *
                             std::pow(std::log10(soil_argument), in.c(6));
    if (!check_finite(faultmax_name, faultmax_m, where, report_error)) return false;
    faultmax = std::max(faultmax, faultmax_m);
  }
  s.faultmax = faultmax;
  s.erosion_term = std::pow(std::log10(erosion_argument), in.c(6));

  s.by_age = properties_by_age(section.season.pcc, in.n_months + in.age_offset);
  setup = std::move(s);
  return true;
}

}  // namespace jpcp::faulting
