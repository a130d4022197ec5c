// The CHOLMOD backend; compiled only where the build found CHOLMOD.
#include "slab/cholmod_factor.h"

#include "slab/system_solver.h"

namespace jpcp::slab::internal {

std::unique_ptr<BackendSolver> make_cholmod_solver() { return std::make_unique<SystemSolver<CholmodFactor>>(); }

}  // namespace jpcp::slab::internal
