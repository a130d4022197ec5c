// Fatigue damage accumulation over the analysis months, for one interface
// case or for the bonded and unbonded cases; writes the stress result files.
#pragma once

#include "cracking/frame/run_context.h"
#include "cracking/frame/section.h"

namespace jpcp::cracking {

// False when an error was reported; the run then ends.
bool damage_one_case(RunContext& run, CrackingSection& section);
bool damage_two_case(RunContext& run, CrackingSection& section);

}  // namespace jpcp::cracking
