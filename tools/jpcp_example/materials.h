// Concrete strength and stiffness with age, base layer properties, and the
// monthly foundation and base moduli of a typical year.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "tools/jpcp_example/climate.h"

namespace jpcp::example {

// Concrete of a given 28-day modulus of rupture (third-point flexural
// strength, psi).
//   up to 28 days: f'c(t) = t / (4 + 0.85 t) f'c28, moist cured, t in days
//                  (scaled to meet f'c28 exactly at 28 days);
//   from 28 days:  MR(t) = MR28 (1 + 0.12 log10(t / 0.0767)), t in years,
//                  at most 1.2 MR28;
//   MR = 10.3 sqrt(f'c) and E = 57000 sqrt(f'c) (psi) tie the three.
// Ages below 14 days are taken as 14 days: traffic does not load a green
// slab, so the earliest value a table needs is the strength at opening.
double modulus_of_rupture_psi(double mr28_psi, double age_days);
double compressive_strength_psi(double mr28_psi, double age_days);
double elastic_modulus_psi(double mr28_psi, double age_days);

inline constexpr double days_per_month = 30.4167;

enum class BaseType { granular, asphalt_treated, cement_treated };

struct BaseProperties {
  std::string_view name;        // as given on the command line
  double modulus_psi;           // resilient modulus at its reference state
  double unit_weight_pcf;
  LayerMaterial thermal;
  int32_t faulting_code;        // base type code of the faulting input: it sets the base load transfer
  double erodibility;           // erodibility index, 1 (erosion resistant) to 5 (very erodible)
  double friction_factor;       // slab/base restraint of the joint opening
  int32_t default_bond_months;  // months the slab stays bonded to the base
};

const BaseProperties& base_properties(BaseType type);
// false when the name is none of granular, asphalt, cement.
bool parse_base_type(std::string_view name, BaseType& type);

// Monthly values of a typical year, January first.
struct TypicalYearValues {
  std::array<double, 12> k_value{};             // psi/in
  std::array<double, 12> base_modulus{};        // psi
  std::array<double, 12> relative_humidity{};   // percent
};

// A month is frozen when its normal mean air temperature is below 0 deg C;
// the first month after a frozen spell is the thaw month.
//   k-value: the annual value, three times it when frozen (at most 999
//            psi/in, the most both programs' result files hold), 0.8 times
//            it in the thaw month;
//   granular base: the same pattern, four times when frozen, 0.7 in the thaw;
//   asphalt-treated base: stiffness falling with the pavement temperature,
//            E = E70 10^(-0.02 (T - 70 F)), within 150 000 .. 2 000 000 psi;
//   cement-treated base: constant.
TypicalYearValues typical_year(const Climate& climate, BaseType base, double k_value);
// The same from a site's monthly mean air temperatures and relative
// humidities (January first).
TypicalYearValues typical_year(const std::array<double, 12>& monthly_air_c,
                               const std::array<double, 12>& relative_humidity_pct, BaseType base, double k_value);

}  // namespace jpcp::example
