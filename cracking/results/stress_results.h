// Stress result files: a block of the stresses at the gradient nodes of one
// analysis month, appended to "StressResults.csv" (unbonded case) or
// "StressResultsBond.csv" (bonded case of the two-case analysis).
#pragma once

#include <cstdint>

#include "cracking/damage/damage_tables.h"
#include "cracking/frame/run_context.h"

namespace jpcp::cracking {

enum class InterfaceCase { unbonded = 1, bonded = 2 };

// period: analysis period number P; month: month number Mo (0-based index
// j = 12 (period - 1) + month - 1 into the stress grids). Only the first
// lateral position of each grid is written.
void write_stress_results(RunContext& run, InterfaceCase interface_case, const CaseStresses& stresses,
                          int32_t period, int32_t month);

}  // namespace jpcp::cracking
