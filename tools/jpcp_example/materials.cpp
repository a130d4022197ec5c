#include "tools/jpcp_example/materials.h"

#include <algorithm>
#include <cmath>

namespace jpcp::example {

namespace {

constexpr double opening_age_days = 14.0;
constexpr double days_per_year = 365.25;
// The log law reaches MR28 at 0.0767 years (28 days).
constexpr double log_law_reference_years = 0.0767;
constexpr double log_law_slope = 0.12;
constexpr double strength_gain_cap = 1.2;
constexpr double mr_per_root_fc = 10.3;
constexpr double e_per_root_fc = 57000.0;

// Base properties: granular crushed stone, asphalt-treated and
// cement-treated bases. The faulting code gives the base load transfer of
// the faulting program: 0 gives 20 %, 1 gives 40 %, an unlisted code (3) 30 %.
constexpr std::array<BaseProperties, 3> base_table = {{
    {"granular", 30000.0, 130.0, climate::granular_base_material, 0, 4.0, 0.85, 0},
    {"asphalt", 600000.0, 145.0, climate::asphalt_base_material, 3, 3.0, 0.65, 60},
    {"cement", 1000000.0, 140.0, climate::cement_base_material, 1, 2.0, 0.65, 60},
}};

constexpr double frozen_below_c = 0.0;
constexpr double frozen_k_factor = 3.0;
// The largest monthly k-value written: JPCP_faulting.csv holds the k-value
// in F8.4, so 1000 psi/in or more cannot be written and the faulting run
// fails at its end. A frozen month of a stiff foundation stops here.
constexpr double max_monthly_k_value = 999.0;
constexpr double thaw_k_factor = 0.8;
constexpr double frozen_granular_factor = 4.0;
constexpr double thaw_granular_factor = 0.7;
// Asphalt-treated base: reference temperature (F), slope of log10 E per
// degree, the pavement running this much warmer than the air (F), bounds.
constexpr double asphalt_reference_f = 70.0;
constexpr double asphalt_log_slope = 0.02;
constexpr double pavement_above_air_f = 5.0;
constexpr double asphalt_min_psi = 150000.0;
constexpr double asphalt_max_psi = 2000000.0;

double strength_age_days(double age_days) { return std::max(age_days, opening_age_days); }

double moist_cured_ratio(double days) { return days / (4.0 + 0.85 * days); }

}  // namespace

double compressive_strength_psi(double mr28_psi, double age_days) {
  const double mr = modulus_of_rupture_psi(mr28_psi, age_days);
  return (mr / mr_per_root_fc) * (mr / mr_per_root_fc);
}

double modulus_of_rupture_psi(double mr28_psi, double age_days) {
  const double t = strength_age_days(age_days);
  if (t < 28.0) {
    const double fc_ratio = moist_cured_ratio(t) / moist_cured_ratio(28.0);
    return mr28_psi * std::sqrt(fc_ratio);
  }
  const double gain = 1.0 + log_law_slope * std::log10(t / days_per_year / log_law_reference_years);
  return mr28_psi * std::clamp(gain, 1.0, strength_gain_cap);
}

double elastic_modulus_psi(double mr28_psi, double age_days) {
  return e_per_root_fc * modulus_of_rupture_psi(mr28_psi, age_days) / mr_per_root_fc;
}

const BaseProperties& base_properties(BaseType type) { return base_table[static_cast<size_t>(type)]; }

bool parse_base_type(std::string_view name, BaseType& type) {
  for (size_t i = 0; i < base_table.size(); ++i) {
    if (base_table[i].name == name) {
      type = static_cast<BaseType>(i);
      return true;
    }
  }
  return false;
}

TypicalYearValues typical_year(const Climate& climate, BaseType base, double k_value) {
  std::array<double, 12> monthly_air_c{};
  for (int32_t m = 1; m <= 12; ++m) monthly_air_c[static_cast<size_t>(m - 1)] = normal_monthly_mean_c(climate, m);
  return typical_year(monthly_air_c, climate.relative_humidity_pct, base, k_value);
}

TypicalYearValues typical_year(const std::array<double, 12>& monthly_air_c,
                               const std::array<double, 12>& relative_humidity_pct, BaseType base, double k_value) {
  std::array<bool, 12> frozen{};
  for (size_t m = 0; m < 12; ++m) frozen[m] = monthly_air_c[m] < frozen_below_c;
  TypicalYearValues year;
  const BaseProperties& properties = base_properties(base);
  for (size_t m = 0; m < 12; ++m) {
    const bool thaw = !frozen[m] && frozen[(m + 11) % 12];
    double k_factor = 1.0;
    double granular_factor = 1.0;
    if (frozen[m]) {
      k_factor = frozen_k_factor;
      granular_factor = frozen_granular_factor;
    } else if (thaw) {
      k_factor = thaw_k_factor;
      granular_factor = thaw_granular_factor;
    }
    year.k_value[m] = std::min(k_value * k_factor, max_monthly_k_value);
    switch (base) {
      case BaseType::granular:
        year.base_modulus[m] = properties.modulus_psi * granular_factor;
        break;
      case BaseType::asphalt_treated: {
        const double pavement_f = monthly_air_c[m] * 1.8 + 32.0 + pavement_above_air_f;
        const double e = properties.modulus_psi * std::pow(10.0, -asphalt_log_slope * (pavement_f - asphalt_reference_f));
        year.base_modulus[m] = std::clamp(e, asphalt_min_psi, asphalt_max_psi);
        break;
      }
      case BaseType::cement_treated:
        year.base_modulus[m] = properties.modulus_psi;
        break;
    }
    year.relative_humidity[m] = relative_humidity_pct[m];
  }
  return year;
}

}  // namespace jpcp::example
