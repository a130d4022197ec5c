// The case driver: a solver per backend, cases one after another or many on
// a pool of threads, each thread with a solver of its own.
#include "slab/slab_solver.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <thread>
#include <utility>

#include "slab/system_solver.h"

namespace jpcp::slab {

namespace internal {
std::unique_ptr<BackendSolver> make_eigen_solver() { return std::make_unique<SystemSolver<EigenFactor>>(); }
}  // namespace internal

bool backend_available(SparseBackend backend) {
#if JPCP_SLAB_CHOLMOD
  (void)backend;
  return true;
#else
  return backend == SparseBackend::eigen_ldlt;
#endif
}

// CHOLMOD where it is built (it modifies its factor between contact
// iterations); Eigen otherwise (slab/README.md, "Sparse solve and speed").
SparseBackend default_backend() {
  return backend_available(SparseBackend::cholmod_ldlt) ? SparseBackend::cholmod_ldlt : SparseBackend::eigen_ldlt;
}

double radius_of_relative_stiffness(const SlabCase& c) {
  const double h = c.thickness_in;
  return std::pow(c.modulus_psi * h * h * h / (12.0 * (1.0 - c.poisson * c.poisson) * c.k_pci), 0.25);
}

double joint_stiffness_for_lte(double lte_percent, double k_pci, double ell_in) {
  const double lte = std::clamp(lte_percent / 100.0, 0.0, 0.999);
  if (lte <= 0.0) return 0.0;
  // LTE = 1 / (1 + 1.2 f^-0.849), f = AGG / (k ell).
  const double f = std::pow(1.2 * lte / (1.0 - lte), 1.0 / 0.849);
  return f * k_pci * ell_in;
}

SlabSolver::SlabSolver(SparseBackend backend) {
  if (!backend_available(backend)) backend = SparseBackend::eigen_ldlt;
  if (backend == SparseBackend::cholmod_ldlt) {
#if JPCP_SLAB_CHOLMOD
    backend_ = internal::make_cholmod_solver();
#endif
  }
  if (!backend_) backend_ = internal::make_eigen_solver();
}
SlabSolver::~SlabSolver() = default;
SlabSolver::SlabSolver(SlabSolver&&) noexcept = default;
SlabSolver& SlabSolver::operator=(SlabSolver&&) noexcept = default;

SlabSolution SlabSolver::solve(const SlabCase& c) { return backend_->solve(c); }
void SlabSolver::start_block() { backend_->start_block(); }

SlabSolution solve_case(const SlabCase& c, SparseBackend backend) { return SlabSolver(backend).solve(c); }

std::vector<std::vector<PointResponse>> solve_cases(const std::vector<SlabCase>& cases, unsigned threads) {
  std::vector<std::vector<PointResponse>> results(cases.size());
  if (threads == 0) threads = std::max(1u, std::thread::hardware_concurrency());
  threads = static_cast<unsigned>(std::min<size_t>(threads, std::max<size_t>(1, cases.size())));
  // The threads take blocks of consecutive cases in turn; a thread's solver
  // starts each block afresh (start_block), so every run writes the same
  // bytes whatever the number of threads.
  constexpr size_t block_cases = 32;
  std::atomic<size_t> next_block{0};
  auto work = [&] {
    SlabSolver solver;
    for (size_t begin; (begin = next_block.fetch_add(block_cases)) < cases.size();) {
      solver.start_block();
      for (size_t i = begin; i < std::min(cases.size(), begin + block_cases); ++i) {
        const SlabSolution s = solver.solve(cases[i]);
        for (const ResponsePoint& p : cases[i].points) {
          PointResponse r;
          if (!response_at(s, p.x_in, p.y_in, r)) {
            r = PointResponse{};
            r.x_in = p.x_in;
            r.y_in = p.y_in;
            r.deflection_in = r.stress_bottom_x_psi = r.stress_bottom_y_psi = std::nan("");
            r.stress_top_x_psi = r.stress_top_y_psi = std::nan("");
          }
          results[i].push_back(r);
        }
      }
    }
  };
  std::vector<std::thread> pool;
  for (unsigned t = 1; t < threads; ++t) pool.emplace_back(work);
  work();
  for (std::thread& t : pool) t.join();
  return results;
}

}  // namespace jpcp::slab
