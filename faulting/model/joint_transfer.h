// Load transfer across the joint and the damage that traffic does to it:
// aggregate interlock (LTEPCC), the joint total, differential energy (de),
// loss of aggregate shear capacity (loss_of_shear) and dowel damage
// (LTE_dowel).
#pragma once

#include <array>
#include <cstdint>

#include "common/inputs/table.h"
#include "faulting/deflection/calc_def.h"

namespace jpcp::faulting {

struct AggregateInterlock {
  float lte_agg = 0.0f;  // aggregate load transfer, percent
  float tau_ref = 0.0f;  // reference shear stress, psi
};

// Aggregate interlock of a joint opened wid mils in a slab h inches thick
// whose shear capacity has lost delta_s.
AggregateInterlock LTEPCC(float h, float wid, float delta_s);

// Joint load transfer (percent) from dowels, base and aggregate, at most 95.
float joint_lte(float lte_dowel, float lte_base, float lte_agg);

// The dimensionless joint stiffness of a load transfer (percent): the
// inverse of LTE = 1 / (0.01 + 0.012 J^-0.849).
float joint_stiffness(float lte);
// The load transfer (percent) of a dimensionless joint stiffness.
float load_transfer(float J);

// Axle repetitions of one analysis month: level j of axle type t is
// axles[t](j, month).
struct MonthTraffic {
  const inputs::Table2D<float>* single = nullptr;
  const inputs::Table2D<float>* tandem = nullptr;
  const inputs::Table2D<float>* tridem = nullptr;
  size_t month = 0;  // zero-based analysis month
};

// Differential energy (lb-in) of the month: night-time weight wm times the
// sum over axle types and load levels of N * max(0, k/2 (dL + dU)(dL - dU)).
float de(const DeflectionTable& defl, const MonthTraffic& traffic, float k, float wm);

// Adds the month's loss of aggregate shear capacity to delta_s.
void loss_of_shear(const DeflectionTable& defl, const MonthTraffic& traffic, float lte_agg, float tau_ref, float k,
                   float ell, float wid, float h, float& delta_s);

struct DowelInputs {
  float d = 0.0f;             // dowel diameter, in
  float h = 0.0f;             // slab thickness, in
  float dowel_factor = 0.0f;  // multiplier of the dowel shear
  float C8 = 0.0f;            // dowel damage calibration
  float fc = 0.0f;            // compressive strength of the month, psi
  float k = 0.0f;             // psi/in
  float ell = 0.0f;           // in
};

// Adds the month's dowel damage to dowdam and updates the dowel load
// transfer lte_d (percent) from it.
void LTE_dowel(const DeflectionTable& defl, const MonthTraffic& traffic, const DowelInputs& in, float& dowdam,
               float& lte_d);

}  // namespace jpcp::faulting
