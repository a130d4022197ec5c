// Static response of a slab system on a dense-liquid foundation: thin plate
// elements, foundation springs lumped at the nodes, joints as shear springs
// between the nodes on either side, self weight, a linear temperature
// difference through the thickness and rectangular pressure loads.
//
// A tensionless foundation is found by iteration: start with every spring
// in contact, solve, release the springs that pull (deflection upwards) and
// restore the released ones whose node penetrates (deflection downwards),
// until neither happens or the iteration limit is reached. Released springs
// keep a stiffness of 1e-9 of their own so that a slab that lifts off
// completely still has a solution.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "slab/plate_element.h"
#include "slab/slab_case.h"
#include "slab/slab_mesh.h"

namespace jpcp::slab {

// The sparse symmetric factorisation used by the solve: Eigen's (always
// built; factorised anew at every contact iteration) or CHOLMOD's (when the
// build found it; modified in place between contact iterations).
enum class SparseBackend { eigen_ldlt, cholmod_ldlt };
bool backend_available(SparseBackend backend);
SparseBackend default_backend();

struct ContactReport {
  int iterations = 0;           // linear solves done
  bool converged = false;       // no spring pulls and no released node penetrates
  int32_t nodes_in_contact = 0;
  int32_t nodes_total = 0;
  int32_t pulling = 0;          // springs in contact that pull after the last solve
  int32_t penetrating = 0;      // released nodes below the foundation after the last solve
  std::string stop_reason;      // one line
};

struct PointResponse {
  double x_in = 0, y_in = 0;
  double deflection_in = 0;
  double stress_bottom_x_psi = 0, stress_bottom_y_psi = 0;
  double stress_top_x_psi = 0, stress_top_y_psi = 0;
  double stress_bottom_xy_psi = 0;  // shear stress at the bottom (top is its negative)
};

struct SlabSolution {
  SlabMesh mesh;
  double thickness_in = 0;
  double free_curvature = 0;      // -alpha dT / h (1/in)
  double rigidity = 0;
  double poisson = 0;
  std::vector<double> dofs;       // 3 per node: w, w_x, w_y
  std::vector<uint8_t> contact;   // per node: 1 when its spring is in contact
  std::vector<Moments> nodal_moments;  // averaged over the node's elements
  ContactReport report;
};

namespace internal {
class BackendSolver;
}

// Solves cases one after another. From one case to the next of the same
// mesh it keeps what depends on the mesh alone (ordering, symbolic
// factorisation, matrix pattern), the contact a tensionless case ended in
// (the next case marked `warm_start` starts from it) and the factor with the
// matrix values it holds (a case of the same plate and joint values starts
// from it). One per worker thread: it is not to be shared between threads.
class SlabSolver {
 public:
  explicit SlabSolver(SparseBackend backend = default_backend());
  ~SlabSolver();
  SlabSolver(SlabSolver&&) noexcept;
  SlabSolver& operator=(SlabSolver&&) noexcept;

  // Solves a case that passed the case-file checks.
  SlabSolution solve(const SlabCase& c);
  // Drops the kept contact and factor values (the ordering stays), so that
  // the results of the cases that follow do not depend on those before.
  void start_block();

 private:
  std::unique_ptr<internal::BackendSolver> backend_;
};

// Solves one case on a solver of its own (nothing kept from other cases).
SlabSolution solve_case(const SlabCase& c, SparseBackend backend = default_backend());

// Response at a point of the system. A point on a joint belongs to the slab
// before it (smaller x, or smaller y); false when no slab contains it.
bool response_at(const SlabSolution& s, double x_in, double y_in, PointResponse& out);

// Solves many cases on `threads` threads (0: every hardware thread) and
// returns the responses at each case's points, in case order.
std::vector<std::vector<PointResponse>> solve_cases(const std::vector<SlabCase>& cases, unsigned threads = 0);

}  // namespace jpcp::slab
