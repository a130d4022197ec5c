// The tensionless contact iteration on one assembled system.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "slab/slab_case.h"
#include "slab/slab_solver.h"
#include "slab/sparse_factor.h"

namespace jpcp::slab::internal {

constexpr double released_spring_fraction = 1e-9;

// Above this many unknowns a mesh counts as large: it is ordered with the
// joints as separators and factorised by supernodes (CHOLMOD build), and a
// tensionless iteration without a contact to start from starts from the
// contact predicted on a coarse mesh. Most meshes of the design-grade model
// grids are above it: their builds took 20-45 % less time than with AMD
// and the factorisation column by column.
constexpr int large_system_dofs = 2000;

// What a solver keeps from one case to the next of the same mesh: the
// ordering and symbolic factorisation (they depend only on the sparsity
// pattern), the contact it ended with and the factor with the matrix values
// it holds.
template <class Factorization>
struct KeptFactor {
  Factorization solver;
  std::vector<int> outer, inner;   // the pattern the ordering was made for
  std::vector<uint8_t> last_contact;
  std::vector<double> held;        // values of the matrix the factor holds
  // Drops the contact and the factor's values (the ordering stays), so
  // that the next case's results depend on no case before it.
  void forget() {
    last_contact.clear();
    held.clear();
  }
};

// `coarse`: the system is the coarse mesh of a prediction. `predict` gives a
// starting contact for a tensionless case that has none kept (empty: full
// contact).
template <class Factorization>
void solve_contact(const SlabCase& c, SlabSolution& s, SparseMatrix& k, const Vector& f, bool coarse,
                   KeptFactor<Factorization>& kept, const std::function<std::vector<uint8_t>()>& predict) {
  const SlabMesh& mesh = s.mesh;
  const int32_t nodes = mesh.node_count();
  // Position of each w diagonal among the stored values, and its plate part.
  std::vector<int> diagonal(static_cast<size_t>(nodes));
  std::vector<double> plate_part(static_cast<size_t>(nodes));
  for (int32_t n = 0; n < nodes; ++n) {
    const int col = 3 * n;
    const int start = k.outerIndexPtr()[col];
    int pos = start;
    while (k.innerIndexPtr()[pos] != col) ++pos;  // the diagonal leads its lower-triangle column
    diagonal[static_cast<size_t>(n)] = pos;
    plate_part[static_cast<size_t>(n)] = k.valuePtr()[pos];
  }
  // A tensionless case of the same mesh starts from the contact kept (the
  // iteration ends in the same unique state from any start, in fewer solves
  // from a near one); otherwise from the predicted contact, or full contact.
  // A factor that modifies (CHOLMOD) starts from the factor kept when the
  // plate and joint values are the same.
  Factorization& solver = kept.solver;
  std::vector<double>& held = kept.held;
  const int* o = k.outerIndexPtr();
  const int* in = k.innerIndexPtr();
  if (kept.outer.size() != static_cast<size_t>(k.outerSize() + 1) ||
      !std::equal(kept.outer.begin(), kept.outer.end(), o) || kept.inner.size() != static_cast<size_t>(k.nonZeros()) ||
      !std::equal(kept.inner.begin(), kept.inner.end(), in)) {
    solver.analyze(k, mesh, k.rows() > large_system_dofs || coarse);
    kept.outer.assign(o, o + k.outerSize() + 1);
    kept.inner.assign(in, in + k.nonZeros());
    kept.last_contact.clear();
    held.clear();
  }
  if (c.tensionless && c.warm_start && kept.last_contact.size() == static_cast<size_t>(nodes)) {
    s.contact = kept.last_contact;
  } else if (c.tensionless && predict) {
    s.contact = predict();
  } else {
    s.contact.assign(static_cast<size_t>(nodes), 1);
  }
  ContactReport& r = s.report;
  r = ContactReport{};
  r.nodes_total = nodes;
  Vector u;
  std::vector<std::pair<int, double>> changes;  // dof, change of its diagonal
  const int limit = c.tensionless ? std::max(1, c.max_contact_iterations) : 1;
  for (;;) {
    double* values = k.valuePtr();
    changes.clear();
    for (int32_t n = 0; n < nodes; ++n) {
      const auto i = static_cast<size_t>(n);
      const double spring = c.k_pci * mesh.node_area[i];
      const auto pos = static_cast<size_t>(diagonal[i]);
      values[pos] = plate_part[i] + (s.contact[i] ? spring : released_spring_fraction * spring);
      if (!held.empty() && held[pos] != values[pos]) {
        changes.emplace_back(3 * n, values[pos] - held[pos]);
        held[pos] = values[pos];
      }
    }
    // Beyond some share of the nodes changed a modification costs more than
    // a factorisation (Factorization::worth_modifying); the matrix is then
    // factorised anew, as when any value but the w diagonals differs.
    bool modified = !held.empty() && solver.worth_modifying(changes.size(), static_cast<size_t>(nodes)) &&
                    std::equal(held.begin(), held.end(), values) && solver.modify(changes);
    if (modified) {
      solver.solve(f, u);
      // The modified factor solves as exactly as a new one (relative residual
      // some 1e-12 on the speed case); a residual far above that means the
      // modification lost accuracy, and the matrix is factorised anew.
      const double norm_f = f.norm();
      modified = norm_f == 0.0 || (f - k.selfadjointView<Eigen::Lower>() * u).norm() <= 1e-9 * norm_f;
    }
    if (!modified) {
      held.clear();
      if (!solver.factorize(k, c.second_thread)) {
        r.stop_reason = "the stiffness matrix could not be factorised";
        break;
      }
      held.assign(values, values + k.nonZeros());
      solver.solve(f, u);
    }
    ++r.iterations;
    if (!c.tensionless) {
      r.converged = true;
      r.stop_reason = "bonded foundation: one linear solve";
      break;
    }
    r.pulling = r.penetrating = 0;
    std::vector<uint8_t> next = s.contact;
    for (int32_t n = 0; n < nodes; ++n) {
      const double w = u[3 * n];
      const auto i = static_cast<size_t>(n);
      if (s.contact[i] && w < 0.0) {
        ++r.pulling;
        next[i] = 0;
      } else if (!s.contact[i] && w > 0.0) {
        ++r.penetrating;
        next[i] = 1;
      }
    }
    if (r.pulling == 0 && r.penetrating == 0) {
      r.converged = true;
      r.stop_reason = "no spring pulls and no node penetrates";
      break;
    }
    if (r.iterations >= limit) {
      r.stop_reason = "iteration limit reached with " + std::to_string(r.pulling) + " springs pulling and " +
                      std::to_string(r.penetrating) + " nodes penetrating";
      break;
    }
    s.contact = std::move(next);
  }
  if (r.converged) kept.last_contact = s.contact;
  s.dofs.assign(u.data(), u.data() + u.size());
  if (s.dofs.size() != 3 * static_cast<size_t>(nodes)) s.dofs.assign(3 * static_cast<size_t>(nodes), 0.0);
  r.nodes_in_contact = static_cast<int32_t>(std::count(s.contact.begin(), s.contact.end(), uint8_t{1}));
}

}  // namespace jpcp::slab::internal
