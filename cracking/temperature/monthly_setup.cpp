#include "cracking/temperature/monthly_setup.h"

namespace jpcp::cracking {

// The temperature processing is not built yet: the frequency tables stay
// zero, as the frame cleared them.
bool monthly_setup_unbonded(RunContext&, CrackingSection&) { return true; }
bool monthly_setup_bonded(RunContext&, CrackingSection&) { return true; }

}  // namespace jpcp::cracking
