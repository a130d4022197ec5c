#include "cracking/damage/damage_accumulation.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "cracking/damage/damage_grids.h"
#include "cracking/damage/damage_kernels.h"
#include "cracking/damage/load_stresses.h"
#include "cracking/results/stress_results.h"
#include "cracking/results/stress_top_bottom.h"
#include "cracking/stress/effective_thickness.h"

namespace jpcp::cracking {

namespace {

constexpr std::string_view design_life_message =
    "Data error: General Input File -- the damage analysis holds at most 100 years.";

// Load bins: single-axle loads 4500 + 1000 (k - 1) lb, k = 1..40; tandem-type
// loads twice that. Single and tandem counts enter for bins 1..38, tridem
// counts for bins 1..31.
constexpr size_t load_bins = 40;
constexpr size_t last_single_bin = 38;
constexpr size_t last_tridem_bin = 31;
constexpr float tandem_count_guard = 1.0e-5f;
constexpr int32_t minimum_highest_bin = 6;
constexpr float minimum_top_down_gradient = 8.0f;  // deg F
constexpr float top_down_gradient_span = 50.0f;     // deg F

// Everything of the analysis that does not depend on the interface case.
struct DamageSetup {
  size_t months = 0;  // 12 Y
  MonthlySlabSeries slab;
  std::vector<float> curl_shift;  // deg F per analysis month
  LoadStressInputs stress_inputs;
  FatigueModel fatigue;
  std::array<float, load_bins> ln_load{};         // ln L(k)
  std::array<float, load_bins> ln_double_load{};  // ln 2 L(k)
  std::array<float, nn_loads> ln_single{};
  std::array<float, nn_loads> ln_tandem{};
};

// One interface case: its gradient nodes, stresses and log damage.
struct CaseDamage {
  int32_t Jd = 0, Jn = 0, Js = 0;
  float Tn = 0.0f;
  CaseStresses stresses;
  // Log damage per pass at the nodes: [chain][a + 5 c + 25 j] and [class][b + 5 c + 25 j].
  std::array<std::vector<float>, bottom_up_chain_count> bottom_log;
  std::array<std::vector<float>, wheelbase_class_count> top_log;
};

DamageSetup damage_setup(const CrackingSection& section) {
  const auto& f = section.general.field;
  const auto& season = section.season;
  DamageSetup setup;
  setup.months = static_cast<size_t>(12 * section.years);
  const size_t n = setup.months;
  const SlabLayers layers{f[5], f[17], f[11], f[18]};
  std::vector<float> ebase(n);
  std::vector<float> bottom_factor(n);
  std::vector<float> top_factor(n);
  for (size_t j = 0; j < n; ++j) ebase[j] = season.year.base_modulus[j % 12];
  setup.slab.heff.resize(n);
  setup.slab.unit_weight.resize(n);
  effective_thickness_by_bond(std::span<const float>(season.bond).first(n), std::span<const float>(season.e).first(n),
                              layers, ebase, setup.slab.heff, setup.slab.unit_weight, bottom_factor, top_factor);
  setup.slab.radius.resize(n);
  setup.slab.k.resize(n);
  setup.curl_shift.resize(n);
  const float final_age_factor = season.age_factor[n - 1];
  for (size_t j = 0; j < n; ++j) {
    const float k = season.year.k_value[j % 12];
    setup.slab.k[j] = k;
    setup.slab.radius[j] = radius_of_relative_stiffness(season.e[j], setup.slab.heff[j], k, f[10]);
    // Drying shrinkage still to come at month j, scaled to the equivalent slab.
    const float ratio = f[5] / setup.slab.heff[j];
    setup.curl_shift[j] =
        (final_age_factor - season.age_factor[j]) * section.moisture.difference[j % 12] * (ratio * ratio);
  }

  LoadStressInputs& in = setup.stress_inputs;
  in.joint_spacing = f[6];
  in.alpha = f[12];
  in.mu = f[10];
  in.w_f8 = season.field8.empty() ? f[8] : season.field8[0];
  in.f26 = f[26];
  in.f31 = f[31];
  in.f32 = f[32];
  in.f33 = f[33];
  in.f34 = f[34];
  in.hpcc = f[5];
  in.pcc_unit_weight = f[11];
  in.axle_spacing = {f[35], f[36], f[37]};
  setup.fatigue = fatigue_model(section.general);

  float load = 4500.0f;
  for (size_t k = 0; k < load_bins; ++k) {
    setup.ln_load[k] = std::log(load);
    setup.ln_double_load[k] = setup.ln_load[k] + 0.6931472f;
    load += 1000.0f;
  }
  for (size_t c = 0; c < nn_loads; ++c) {
    setup.ln_single[c] = std::log(single_nn_loads[c]);
    setup.ln_tandem[c] = std::log(tandem_nn_loads[c]);
  }
  return setup;
}

// Gradient nodes of the case, its stresses and its log damage per pass.
CaseDamage case_damage(RunContext& run, const CrackingSection& section, const DamageSetup& setup,
                       const GradientDistributions& tables, float& progress) {
  const auto& moisture = section.moisture;
  const auto report = [&run](float value) { run.report_progress(value); };
  CaseDamage result;
  CaseStresses& stresses = result.stresses;

  // Bottom-up nodes 0 .. Tmax.
  result.Jd = std::max(highest_bin(tables.daytime, 25), minimum_highest_bin);
  const float Tmax = tables.daytime_levels[static_cast<size_t>(result.Jd - 1)] + moisture.maximum;
  for (size_t a = 0; a < gradient_nodes; ++a) stresses.daytime_nodes[a] = static_cast<float>(a) * Tmax / 4.0f;
  bottom_up_stresses(run.model_names, setup.stress_inputs, setup.slab, stresses.daytime_nodes,
                     bottom_up_wander.position, progress, report, stresses.bottom);

  // Top-down nodes Tlow .. Tn.
  result.Jn = std::max(highest_bin(tables.nighttime, section.nighttime_bin_count), minimum_highest_bin);
  const float top_level = tables.nighttime_levels[static_cast<size_t>(result.Jn - 1)];
  result.Tn = top_level - moisture.minimum;
  float Tlow = top_level - top_down_gradient_span + moisture.minimum;
  if (Tlow >= minimum_top_down_gradient) {
    // The nodes span 50 deg F below the top bin; never start below bin 1.
    result.Js = std::max(result.Jn - 25, int32_t{1});
  } else {
    Tlow = moisture.minimum + minimum_top_down_gradient;
    result.Js = static_cast<int32_t>((minimum_top_down_gradient - tables.nighttime_levels[0]) * 0.5f + 1.0f);
  }
  for (size_t b = 0; b < gradient_nodes; ++b) {
    stresses.nighttime_nodes[b] = Tlow + static_cast<float>(b) * (result.Tn - Tlow) / 4.0f;
  }
  stresses.nonlinear_stress = tables.top_stress_shift;
  top_down_stresses(run.model_names, setup.stress_inputs, setup.slab, stresses.nighttime_nodes,
                    top_down_wander.position, stresses.nonlinear_stress, progress, report, stresses.top);

  // Log damage per pass over the lateral wander.
  const auto& f = section.general.field;
  const auto w_bottom = wander_weights(bottom_up_wander, f[28], f[29]);
  const auto w_top = wander_weights(top_down_wander, f[28], f[29]);
  constexpr size_t per_month = gradient_nodes * nn_loads;
  const size_t block = lateral_positions * per_month;
  for (size_t chain = 0; chain < bottom_up_chain_count; ++chain) {
    auto& log_damage = result.bottom_log[chain];
    log_damage.resize(per_month * setup.months);
    for (size_t j = 0; j < setup.months; ++j) {
      wander_log_damage(std::span<const float>(stresses.bottom[chain].month(j), block), StressLayout::a,
                        section.season.mr[j], w_bottom, gradient_nodes, nn_loads, setup.fatigue,
                        std::span<float>(&log_damage[per_month * j], per_month));
    }
  }
  const float strength_factor = section.general.built_in_gradient_factor;
  for (size_t w = 0; w < wheelbase_class_count; ++w) {
    auto& log_damage = result.top_log[w];
    log_damage.resize(per_month * setup.months);
    for (size_t j = 0; j < setup.months; ++j) {
      wander_log_damage(std::span<const float>(stresses.top[w].month(j), block), StressLayout::b,
                        strength_factor * section.season.mr[j], w_top, gradient_nodes, nn_loads, setup.fatigue,
                        std::span<float>(&log_damage[per_month * j], per_month));
    }
  }
  return result;
}

// Log damage per pass of each NN load in month j, integrated over the month's
// gradient bins first..last (1-based) with the node grid `nodes`.
void month_gradient_damage(const std::vector<float>& log_damage, std::span<const float, gradient_nodes> nodes,
                           const inputs::Table2D<float>& frequencies, std::span<const float> levels, int32_t first,
                           int32_t last, float shift, size_t j, std::span<float, nn_loads> G) {
  const size_t n_g = last >= first ? static_cast<size_t>(last - first + 1) : 0;
  std::vector<float> x(n_g);
  std::vector<float> freq(n_g);
  const size_t month = j % 12;
  for (size_t i = 0; i < n_g; ++i) {
    const size_t bin = static_cast<size_t>(first - 1) + i;
    x[i] = levels[bin] - shift;
    freq[i] = frequencies(bin, month);
  }
  // In the first year the bins are held inside the node range.
  if (j < 12 && n_g > 0) {
    x[0] = std::max(x[0], nodes[0]);
    x[n_g - 1] = std::min(x[n_g - 1], nodes[gradient_nodes - 1]);
  }
  for (size_t c = 0; c < nn_loads; ++c) {
    const float* L = &log_damage[gradient_nodes * (c + nn_loads * j)];
    G[c] = gradient_log_damage(std::span<const float>(L, gradient_nodes), nodes, x, freq);
  }
}

bool all_finite(const DamageTables& damage, size_t months, std::string& where) {
  for (size_t component = 0; component < damage_component_count; ++component) {
    for (size_t j = 0; j < months; ++j) {
      if (!std::isfinite(damage.component[component](j % 12, j / 12))) {
        where = "damage of month " + std::to_string(j + 1);
        return false;
      }
    }
  }
  return true;
}

// Damage of every month from the log damage of the case in force that month
// (one case: always `cases[0]`; two cases: by the bond indicator).
bool accumulate(RunContext& run, CrackingSection& section, const DamageSetup& setup,
                std::span<const CaseDamage> cases, std::span<const GradientDistributions* const> tables) {
  const auto& f = section.general.field;
  const auto& axles = section.axles_by_class;
  const size_t n = setup.months;
  constexpr size_t first_bin = 4;  // bin 5: the first load at or above the smallest NN load (8500 lb single)
  const size_t single_bins = last_single_bin - first_bin;
  const size_t tridem_bins = last_tridem_bin - first_bin;
  const std::span<const float> ln_single_bins(&setup.ln_load[first_bin], single_bins);
  const std::span<const float> ln_double_bins(&setup.ln_double_load[first_bin], single_bins);
  const std::array<float, wheelbase_class_count> class_share = {f[38] / 100.0f, f[39] / 100.0f, f[40] / 100.0f};

  std::vector<float> Ns(single_bins), Nd(single_bins), Nt(single_bins), Nr(tridem_bins);
  std::vector<float> Dt(single_bins), Dr(tridem_bins);
  DamageTables damage;
  for (size_t j = 0; j < n; ++j) {
    // The case in force this month.
    size_t which = 0;
    if (cases.size() > 1) {
      const float bond = section.season.bond[j];
      if (bond != 0.0f && bond != 1.0f) continue;  // no other state is produced
      which = bond == 1.0f ? 1 : 0;
    }
    const CaseDamage& cd = cases[which];
    const GradientDistributions& dist = *tables[which];
    const float shift = setup.curl_shift[j];

    std::array<std::array<float, nn_loads>, bottom_up_chain_count> G{};
    for (size_t chain = 0; chain < bottom_up_chain_count; ++chain) {
      month_gradient_damage(cd.bottom_log[chain], cd.stresses.daytime_nodes, dist.daytime, dist.daytime_levels, 2,
                            cd.Jd, shift, j, G[chain]);
    }
    std::array<std::array<float, nn_loads>, wheelbase_class_count> Gtd{};
    const bool top_down = cd.Tn >= minimum_top_down_gradient;
    if (top_down) {
      for (size_t w = 0; w < wheelbase_class_count; ++w) {
        month_gradient_damage(cd.top_log[w], cd.stresses.nighttime_nodes, dist.nighttime, dist.nighttime_levels,
                              cd.Js, cd.Jn, shift, j, Gtd[w]);
      }
    }

    // Axle counts of the month by load bin.
    for (size_t q = 0; q < single_bins; ++q) {
      const size_t k = first_bin + q;
      const float tandem = axles[inputs::tandem_axle](k, j);
      Ns[q] = axles[inputs::single_axle](k, j);
      Nt[q] = tandem * section.general.tandem_count_scale;
      Nd[q] = 2.0f * tandem + (k < last_tridem_bin ? 2.0f * axles[inputs::tridem_axle](k, j) : 0.0f);
      if (q < tridem_bins) Nr[q] = axles[inputs::tridem_axle](k, j);
    }

    const size_t month = j % 12;
    const size_t year = j / 12;
    damage.component[bu_single](month, year) = spectrum_damage(G[single_chain], setup.ln_single, ln_single_bins, Ns);
    spectrum_damage_by_bin(G[tandem_chain], setup.ln_tandem, ln_double_bins, Nd, Dt);
    spectrum_damage_by_bin(G[tridem_chain], setup.ln_tandem, ln_double_bins.first(tridem_bins), Nr, Dr);
    // The tandem-type damage of a bin is shared between tandem and tridem
    // axles by their counts; tridems add their own chain.
    float bu_tandem_damage = 0.0f;
    float bu_tridem_damage = 0.0f;
    for (size_t q = 0; q < single_bins; ++q) {
      const size_t k = first_bin + q;
      if (k < last_tridem_bin) {
        const float guarded = Nd[q] + tandem_count_guard;
        bu_tandem_damage += Dt[q] * 2.0f * axles[inputs::tandem_axle](k, j) / guarded;
        bu_tridem_damage += Dt[q] * 2.0f * axles[inputs::tridem_axle](k, j) / guarded + Dr[q];
      } else {
        bu_tandem_damage += Dt[q];
      }
    }
    damage.component[bu_tandem](month, year) = bu_tandem_damage;
    damage.component[bu_tridem](month, year) = bu_tridem_damage;
    for (size_t w = 0; w < wheelbase_class_count; ++w) {
      damage.component[td_short + w](month, year) =
          top_down ? spectrum_damage(Gtd[w], setup.ln_tandem, ln_double_bins, Nt) * class_share[w] : 0.0f;
    }
  }
  std::string where;
  if (!all_finite(damage, n, where)) {
    run.report_error("Value not finite: " + where + ".");
    return false;
  }
  section.damage = std::move(damage);
  return true;
}

bool years_fit(RunContext& run, const CrackingSection& section) {
  if (section.years <= max_damage_years) return true;
  run.report_error(design_life_message);
  return false;
}

}  // namespace

bool damage_one_case(RunContext& run, CrackingSection& section) {
  if (!years_fit(run, section)) return false;
  const DamageSetup setup = damage_setup(section);
  float progress = 1.5f;
  const std::array<CaseDamage, 1> cases = {case_damage(run, section, setup, section.unbonded, progress)};
  write_stress_results(run, InterfaceCase::unbonded, cases[0].stresses, 1, 1);
  if (run.response_switch > 0) write_stress_top_bottom(run, section, cases[0].stresses, nullptr, section.years);
  const std::array<const GradientDistributions*, 1> tables = {&section.unbonded};
  return accumulate(run, section, setup, cases, tables);
}

bool damage_two_case(RunContext& run, CrackingSection& section) {
  if (!years_fit(run, section)) return false;
  const DamageSetup setup = damage_setup(section);
  float progress = 1.5f;
  const std::array<CaseDamage, 2> cases = {case_damage(run, section, setup, section.unbonded, progress),
                                           case_damage(run, section, setup, section.bonded, progress)};
  write_stress_results(run, InterfaceCase::bonded, cases[1].stresses, 1, 1);
  write_stress_results(run, InterfaceCase::unbonded, cases[0].stresses, 1, 1);
  if (run.response_switch > 0) {
    write_stress_top_bottom(run, section, cases[0].stresses, &cases[1].stresses, section.years);
  }
  const std::array<const GradientDistributions*, 2> tables = {&section.unbonded, &section.bonded};
  return accumulate(run, section, setup, cases, tables);
}

}  // namespace jpcp::cracking
