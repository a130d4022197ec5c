#include "cracking/damage/cracking_results.h"

namespace jpcp::cracking {

// The cracking prediction is not built yet.
bool write_cracking_results(RunContext&, CrackingSection&, int32_t) { return true; }

}  // namespace jpcp::cracking
