#include "faulting/model/faulting_months.h"

#include <algorithm>
#include <cmath>
#include <string_view>
#include <utility>

#include "faulting/deflection/calc_def.h"
#include "faulting/model/joint_transfer.h"
#include "faulting/model/numeric_checks.h"
#include "faulting/model/slab_parameters.h"

namespace jpcp::faulting {

namespace {

constexpr float days_per_month = 30.4f;
constexpr float warping_age_days = 35.0f;      // moisture warping develops with t / (t + 35)
constexpr float frozen_base_lte = 90.0f;       // percent, base below freezing
constexpr float freezing_point = 32.0f;        // deg F
constexpr float dowel_edge_distance_limit = 18.0f;  // in, load position for the dowel shear
constexpr size_t reported_load_level = 16;     // level 17: 18.5-kip single, 37-kip tandem axle
constexpr float mils_per_unit_strain_ft = 12000.0f;  // 12 in/ft times 1000 mils/in
constexpr float microstrain = 1.0e6f;
constexpr float rupture_to_strength = 9.5f;    // fc = (MR / 9.5)^2

// The values a row carries, by name, for the finiteness check.
bool row_finite(const MonthRow& r, float faultmax, const inputs::ReportError& report_error) {
  const std::string where = in_month(r.month);
  const std::pair<std::string_view, float> values[] = {
      {"PCC modulus", r.E},
      {"base modulus", r.Eb},
      {"k-value", r.k},
      {"relative humidity", r.rh},
      {"ult_shr_t", r.ult_shr_t},
      {"joint opening", r.wid},
      {"radius of relative stiffness", r.ell},
      {"temperature difference", r.dT},
      {"LTEagg", r.lte_agg},
      {"LTEd", r.lte_d},
      {"LTE", r.lte},
      {"single axle loaded deflection", r.single_loaded},
      {"single axle unloaded deflection", r.single_unloaded},
      {"tandem axle loaded deflection", r.tandem_loaded},
      {"tandem axle unloaded deflection", r.tandem_unloaded},
      {"DE", r.DE},
      {"loss_of_shear", r.delta_s},
      {"dowdam", r.dowdam},
      {"faulting increment", r.delta_F},
      {"faulting", r.F},
      {"faultmax", faultmax},
  };
  for (const auto& [name, value] : values) {
    if (!check_finite(name, value, where, report_error)) return false;
  }
  return true;
}

}  // namespace

bool faulting_month_loop(FaultingSection& section, const SectionSetup& setup, const ResultStreams& streams,
                         const MonthProgress& progress, const inputs::ReportError& report_error,
                         FaultingState& state) {
  const SectionInputs& in = section.inputs;
  const inputs::TypicalYear& year = section.season.calendar;
  const float h = in.h_pcc;
  const float L = setup.L;
  const float d = in.dowel_dia;
  DeflectionTable defl{};

  for (int32_t i = 1; i <= in.n_months; ++i) {
    if (i % progress_interval == 0 && progress) progress(i);
    // Past the erosion limit the joint faults no further: nothing is written.
    if (state.faultmax < state.F) continue;

    const int32_t k = i + in.age_offset;
    const float t = static_cast<float>(k) * days_per_month;
    state.cm = state.cm % 12 + 1;
    const auto m = static_cast<size_t>(state.cm - 1);
    const float k_value = year.k_value[m];
    const float Eb = year.base_modulus[m];
    const float rh = year.relative_humidity[m];
    const float night_difference = setup.night.temp[m][0];
    const float night_mid_depth = setup.night.temp[m][1];

    // Drying shrinkage: the top dries with the air, the bottom with the base.
    const float f = t / (static_cast<float>(in.t50) + t);
    const float ult_shr_t = in.shrin_scale * f;
    const float cfmax = setup.moisture.cfmax;
    const float shrin_t = ult_shr_t * cfmax - (cfmax - cf(rh)) * in.ultshrin * f;
    const float shrin_b = ult_shr_t * cf(in.rhbot);
    const float eps_sh = ((shrin_t - shrin_b) * in.hs / h + shrin_b) / microstrain;

    // Joint opening (mils); a slab under compression keeps the joint closed.
    float wid = mils_per_unit_strain_ft * L * in.base_frict * (eps_sh + in.alpha_pcc * (in.temp_set - night_mid_depth));
    if (wid < 0.0f) wid = 0.0f;

    const float lte_base = night_mid_depth <= freezing_point ? frozen_base_lte : setup.lte_base;

    // Slab of the month at its age.
    const float E = month_property(setup.by_age.E, k);
    const float MR = month_property(setup.by_age.MR, k);
    const float fc = (MR / rupture_to_strength) * (MR / rupture_to_strength);
    const float h_eff = effective_thickness(h, in.h_base, E, Eb);
    const float gamma_eff = adjusted_unit_weight(in.gamma_pcc, h, h_eff);
    const float thickness_ratio = h / h_eff;
    const float dT = (night_difference - setup.night.temp[m][2] + in.built_in_gradient -
                      setup.moisture.etd[m] * t / (t + warping_age_days)) *
                     (thickness_ratio * thickness_ratio);
    const float ell = radius_of_relative_stiffness(E, h_eff, in.mu_pcc, k_value);
    const float phi = korenev_parameter(in.alpha_pcc, in.mu_pcc, ell, k_value, dT, h_eff, gamma_eff);
    const float beta = deflection_scale(h_eff, k_value, ell);

    const AggregateInterlock aggregate = LTEPCC(h, wid, state.delta_s);
    const float lte = joint_lte(state.lte_d, lte_base, aggregate.lte_agg);

    CalcDefInputs deflection_inputs{ell, phi, beta, lte, in.edge_support, in.edge_distance, L};
    calc_def(deflection_inputs, setup.loads, section.models, defl);

    const MonthTraffic traffic{&section.axles[inputs::single_axle], &section.axles[inputs::tandem_axle],
                               &section.axles[inputs::tridem_axle], static_cast<size_t>(i - 1)};
    const float DE = de(defl, traffic, k_value, setup.wm[m]);
    loss_of_shear(defl, traffic, aggregate.lte_agg, aggregate.tau_ref, k_value, ell, wid, h, state.delta_s);

    if (d > 0.0f) {
      // Dowel shear is taken with the load no farther than 18 in from the edge.
      deflection_inputs.edge_distance = std::min(in.edge_distance, dowel_edge_distance_limit);
      calc_def(deflection_inputs, setup.loads, section.models, defl);
      const DowelInputs dowel{d, h, in.dowel_factor, in.c(8), fc, k_value, ell};
      LTE_dowel(defl, traffic, dowel, state.dowdam, state.lte_d);
    }

    // Faulting grows with the energy towards the erosion limit, which itself
    // rises with the energy the base has taken.
    const float gap = state.faultmax - state.F;
    const float delta_F = setup.C34 * (gap * gap) * DE;
    state.F = state.F + delta_F;
    state.faultmax = state.faultmax + in.c(7) * (DE / microstrain) * setup.erosion_term;

    MonthRow row;
    row.month = i;
    row.calendar_month = state.cm;
    row.E = E;
    row.Eb = Eb;
    row.k = k_value;
    row.rh = rh;
    row.ult_shr_t = ult_shr_t;
    row.wid = wid;
    row.ell = ell;
    row.dT = dT;
    row.lte_agg = aggregate.lte_agg;
    row.lte_d = state.lte_d;
    row.lte = lte;
    row.single_loaded = defl[reported_load_level][single_loaded];
    row.single_unloaded = defl[reported_load_level][single_unloaded];
    row.tandem_loaded = defl[reported_load_level][tandem_loaded];
    row.tandem_unloaded = defl[reported_load_level][tandem_unloaded];
    row.DE = DE;
    row.delta_s = state.delta_s;
    row.dowdam = state.dowdam;
    row.delta_F = delta_F;
    row.F = state.F;
    if (!row_finite(row, state.faultmax, report_error)) return false;
    write_month_rows(streams, row);
  }
  return true;
}

bool faulting_computation(FaultingSection& section, const ResultStreams& streams, const MonthProgress& progress,
                          const inputs::ReportError& report_error) {
  SectionSetup setup;
  if (!section_setup(section, report_error, setup)) return false;
  write_headings(streams, setup.faultmax, setup.night.FR, setup.C12, setup.C34);

  FaultingState state;
  state.faultmax = setup.faultmax;
  state.lte_d = setup.lte_d;
  state.cm = section.inputs.start_month - 1;
  return faulting_month_loop(section, setup, streams, progress, report_error, state);
}

}  // namespace jpcp::faulting
