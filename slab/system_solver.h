// One backend's solver of whole cases: mesh, assembly, the contact
// iteration and the nodal moments, keeping from one case to the next what
// the next case of the same mesh can use. Instantiated for EigenFactor
// (slab_solver.cpp) and CholmodFactor (cholmod_factor.cpp).
#pragma once

#include <cmath>
#include <cstdint>
#include <functional>
#include <future>
#include <memory>
#include <system_error>
#include <vector>

#include "slab/assembly.h"
#include "slab/contact.h"
#include "slab/responses.h"
#include "slab/slab_mesh.h"
#include "slab/slab_solver.h"

namespace jpcp::slab::internal {

class BackendSolver {
 public:
  virtual ~BackendSolver() = default;
  virtual SlabSolution solve(const SlabCase& c) = 0;
  virtual void start_block() = 0;
};

std::unique_ptr<BackendSolver> make_eigen_solver();
std::unique_ptr<BackendSolver> make_cholmod_solver();  // where the build found CHOLMOD

template <class Factorization>
class SystemSolver final : public BackendSolver {
 public:
  SlabSolution solve(const SlabCase& c) override { return solve_system(c, false); }
  void start_block() override {
    for (KeptFactor<Factorization>& k : kept_) k.forget();
  }

 private:
  // Starting contact of a large tensionless case: the same system solved on
  // elements twice as large without refinement (about a fifth of the
  // unknowns), its deflection interpolated at every node of the case's mesh,
  // each node in contact where that pushes (w >= 0). The iteration then needs
  // a few small modifications of its first factor instead of releasing some
  // hundreds of springs after a first solve in full contact.
  std::vector<uint8_t> predicted_contact(const SlabCase& c, const SlabMesh& mesh) {
    SlabCase coarse = c;
    coarse.mesh_in = 2.0 * c.mesh_in;
    coarse.refine_in = coarse.mesh_in;
    coarse.warm_start = false;
    coarse.second_thread = false;  // it runs beside the case's own work, or is too small to share
    const SlabSolution cs = solve_system(coarse, true);
    ElementCache elements{cs.rigidity, cs.poisson, 0.0, 0.0, {}};
    std::vector<uint8_t> contact(static_cast<size_t>(mesh.node_count()));
    for (size_t n = 0; n < contact.size(); ++n) {
      const SlabPanel& p = cs.mesh.panels[static_cast<size_t>(mesh.node_panel[n])];
      const ElementPoint e = element_at(cs.mesh, p, mesh.node_x[n], mesh.node_y[n]);
      const PlateElement& element = elements.get(e.a, e.b).element;
      contact[n] = element.deflection(element_dofs(cs.dofs, e.nodes), e.lx, e.ly) >= 0.0 ? 1 : 0;
    }
    return contact;
  }

  // Builds the case's mesh, matrix and loads and solves them, keeping what
  // the solver keeps for the next case apart for the case's own meshes and the
  // coarse meshes of the predictions; the moments only for the case itself.
  SlabSolution solve_system(const SlabCase& c, bool coarse) {
    SlabSolution s;
    const double ell = radius_of_relative_stiffness(c);
    auto stiffness = [&](const JointTransfer& j) {
      return j.stiffness_psi >= 0 ? j.stiffness_psi : joint_stiffness_for_lte(j.lte_percent, c.k_pci, ell);
    };
    s.mesh = build_mesh(c, stiffness(c.transverse), stiffness(c.longitudinal));
    s.thickness_in = c.thickness_in;
    s.poisson = c.poisson;
    s.rigidity = c.modulus_psi * std::pow(c.thickness_in, 3.0) / (12.0 * (1.0 - c.poisson * c.poisson));
    s.free_curvature = -c.cte_per_F * c.temperature_difference_F / c.thickness_in;
    const double weight = c.self_weight ? c.unit_weight_pcf / 1728.0 * c.thickness_in : 0.0;
    std::function<std::vector<uint8_t>()> predict;
    std::future<std::vector<uint8_t>> prediction;
    if (!coarse && c.tensionless && c.predict_contact && 3 * s.mesh.node_count() > large_system_dofs) {
      predict = [&] { return predicted_contact(c, s.mesh); };
      if (c.second_thread) {
        try {
          prediction = std::async(std::launch::async, predict);
          predict = [&] { return prediction.get(); };
        } catch (const std::system_error&) {  // no thread to be had: the prediction waits its turn
        }
      }
    }
    ElementCache cache{s.rigidity, c.poisson, weight, s.free_curvature, {}};
    SparseMatrix k = plate_matrix(s.mesh, cache, plans_[coarse ? 1 : 0]);
    const Vector f = load_vector(c, s.mesh, cache);
    solve_contact(c, s, k, f, coarse, kept_[coarse ? 1 : 0], predict);
    if (prediction.valid()) prediction.wait();  // unused (a kept contact): it reads s.mesh until done
    if (!coarse) average_moments(s, cache);
    return s;
  }

  // The case's own meshes [0] and the coarse meshes of predictions [1].
  KeptFactor<Factorization> kept_[2];
  AssemblyPlan plans_[2];
};

}  // namespace jpcp::slab::internal
