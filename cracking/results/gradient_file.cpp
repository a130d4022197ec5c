#include "cracking/results/gradient_file.h"

namespace jpcp::cracking {

// Not written yet: the gradient distributions are not computed yet.
void write_gradient_file(RunContext&, const CrackingSection&, bool) {}

}  // namespace jpcp::cracking
