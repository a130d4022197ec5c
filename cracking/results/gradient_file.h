// The section's temperature gradient files "LTemp_" and "LTemp_B_".
#pragma once

#include "cracking/frame/run_context.h"
#include "cracking/frame/section.h"

namespace jpcp::cracking {

void write_gradient_file(RunContext& run, const CrackingSection& section, bool bonded);

}  // namespace jpcp::cracking
