// Monthly temperature and stress set-up of one interface case: equivalent
// linear gradients of every hour, nonlinear stresses and the monthly
// traffic-weighted gradient-frequency tables.
#pragma once

#include "cracking/frame/run_context.h"
#include "cracking/frame/section.h"

namespace jpcp::cracking {

// False when an error was reported; the run then ends.
bool monthly_setup_unbonded(RunContext& run, CrackingSection& section);
bool monthly_setup_bonded(RunContext& run, CrackingSection& section);

}  // namespace jpcp::cracking
