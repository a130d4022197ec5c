#include "cracking/temperature/monthly_setup.h"

#include "cracking/inputs/general_fields.h"

#include <span>
#include <string_view>

#include "cracking/stress/effective_thickness.h"
#include "cracking/stress/stress_tables.h"
#include "cracking/temperature/gradient_distribution.h"
#include "cracking/temperature/linear_gradient.h"
#include "cracking/temperature/nonlinear_stress.h"

namespace jpcp::cracking {

namespace {

constexpr std::string_view too_many_records_message =
    "Temperature data error: the series holds more than 150000 hourly records.";
constexpr std::string_view too_many_class_hours_message =
    "Temperature data error: a month holds more than 15000 daytime or night-time hours.";

SlabLayers slab_layers(const CrackingSection& section) {
  const auto& f = section.general.field;
  return SlabLayers{f[5], f[17], f[11], f[18]};
}

StressModelInputs stress_model_inputs(const CrackingSection& section) {
  const auto& f = section.general.field;
  StressModelInputs inputs;
  inputs.hpcc = f[5];
  inputs.unit_weight = f[11];
  inputs.alpha = f[12];
  inputs.mu = f[10];
  inputs.joint_spacing = f[6];
  inputs.f8 = f[8];
  inputs.f31 = f[31];
  inputs.f33 = f[33];
  inputs.f34 = f[34];
  return inputs;
}

ConcreteProperties concrete(const CrackingSection& section) {
  return ConcreteProperties{section.season.e_month12, section.general.field[inputs::general::poisson_ratio], section.general.field[inputs::general::thermal_expansion]};
}

// The equivalent slab of the case: its radius of relative stiffness (which
// may lower the section's monthly k-values in place) and the permanent curl
// term scaled to the equivalent slab, also in place.
void equivalent_slab(CrackingSection& section, MonthlySlab& slab) {
  auto& k = section.season.year.k_value;
  const std::array<float, 1> epcc = {section.season.e_month12};
  radius_of_relative_stiffness(epcc, slab.heff, k, section.general.field[inputs::general::poisson_ratio], slab.radius);
  slab.k = k;
  const float hpcc = section.general.field[inputs::general::thickness];
  auto& curl = section.moisture.total_difference;
  for (size_t m = 0; m < 12; ++m) {
    const float ratio = hpcc / slab.heff[m];
    curl[m] = curl[m] * (ratio * ratio);
  }
}

// Classification, the two stress tables and the frequency tables of one case.
bool fill_distributions(RunContext& run, CrackingSection& section, const MonthlySlab& slab,
                        const NonlinearStresses& stresses, GradientDistributions& tables) {
  MonthlyHours hours;
  if (!classify_hours(section.temperatures, stresses.dtlin, section.moisture.total_difference, hours)) {
    run.report_error(too_many_class_hours_message);
    return false;
  }
  const StressModelInputs inputs = stress_model_inputs(section);
  inputs::Table2D<float> daytime_stress(daytime_level_count, 12);
  inputs::Table2D<float> nighttime_stress(nighttime_level_count, 12);
  daytime_stress_table(run.model_names, inputs, slab, daytime_stress,
                       std::span<float>(tables.daytime_levels).first(daytime_level_count));
  nighttime_stress_table(run.model_names, inputs, slab, nighttime_stress,
                         std::span<float>(tables.nighttime_levels).first(nighttime_level_count),
                         [&run](float progress) { run.report_progress(progress); });
  tables.top_stress_shift = stresses.top_stress_shift;

  const auto night_bins = static_cast<size_t>(section.nighttime_bin_count);
  for (size_t m = 0; m < 12; ++m) {
    hourly_gradient_distribution(std::span<float>(&tables.daytime(0, m), daytime_level_count),
                                 std::span<const float>(&daytime_stress(0, m), daytime_level_count), hours.daytime[m],
                                 stresses.strNLbot, hours.total[m], section.hourly_traffic_weight,
                                 std::span<const float>(tables.daytime_levels).first(daytime_level_count));
    hourly_gradient_distribution(std::span<float>(&tables.nighttime(0, m), night_bins),
                                 std::span<const float>(&nighttime_stress(0, m), night_bins), hours.nighttime[m],
                                 stresses.strNLtop, hours.total[m], section.hourly_traffic_weight,
                                 std::span<const float>(tables.nighttime_levels).first(night_bins));
  }
  return true;
}

bool series_fits(RunContext& run, const CrackingSection& section) {
  if (section.temperatures.size() <= max_temperature_records) return true;
  run.report_error(too_many_records_message);
  return false;
}

}  // namespace

bool monthly_setup_unbonded(RunContext& run, CrackingSection& section) {
  if (!series_fits(run, section)) return false;
  const float hpcc = section.general.field[inputs::general::thickness];
  MonthlySlab slab;
  effective_thickness_unbonded(section.season.e_month12, slab_layers(section), section.season.year.base_modulus,
                               slab.heff, slab.unit_weight);
  equivalent_slab(section, slab);

  std::vector<float> qq;
  std::vector<float> tempC;
  profile_moments_unbonded(section.temperatures, hpcc, qq, tempC);
  NonlinearStresses stresses;
  nonlinear_stress_unbonded(section.temperatures, qq, tempC, hpcc, slab.heff, concrete(section), stresses);
  return fill_distributions(run, section, slab, stresses, section.unbonded);
}

bool monthly_setup_bonded(RunContext& run, CrackingSection& section) {
  if (!series_fits(run, section)) return false;
  const float hpcc = section.general.field[inputs::general::thickness];
  const SlabLayers layers = slab_layers(section);
  MonthlySlab slab;
  std::array<float, 12> neutral_axis{};
  std::array<float, 12> modular_ratio{};
  effective_thickness_bonded(section.season.e_month12, layers, section.season.year.base_modulus, slab.heff,
                             neutral_axis, modular_ratio, slab.unit_weight);
  equivalent_slab(section, slab);

  std::vector<float> qq;
  std::vector<float> tempC;
  profile_moments_bonded(section.temperatures, layers.hbase, neutral_axis, modular_ratio, hpcc, qq, tempC);
  NonlinearStresses stresses;
  nonlinear_stress_bonded(section.temperatures, neutral_axis, qq, tempC, hpcc, slab.heff, concrete(section), stresses);
  return fill_distributions(run, section, slab, stresses, section.bonded);
}

}  // namespace jpcp::cracking
