// "_StressBot.csv" and "_StressTop.csv": one row per year, month, axle group
// or spacing class, gradient node and load, in SI units (response switch 1)
// or US customary units (2); any other positive switch creates them empty.
#pragma once

#include <cstdint>

#include "cracking/damage/damage_tables.h"
#include "cracking/frame/run_context.h"
#include "cracking/frame/section.h"

namespace jpcp::cracking {

// years: years of the stress grids (at most 100). bonded: the bonded-case
// stresses of the two-case analysis (months with a bond indicator of 0.5 or
// more show them), nullptr in the one-case analysis. The first lateral
// position of each grid is written.
void write_stress_top_bottom(RunContext& run, const CrackingSection& section, const CaseStresses& unbonded,
                             const CaseStresses* bonded, int32_t years);

}  // namespace jpcp::cracking
