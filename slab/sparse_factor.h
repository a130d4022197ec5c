// The sparse symmetric factorisations the contact iteration works with.
// Each one offers:
//   analyze(k, mesh, nested)   ordering and symbolic factorisation of k's pattern
//                              (`nested`: the joint-separated nested dissection
//                              of joint_order.h, else approximate minimum degree)
//   factorize(k, second_thread) numeric factorisation; false when it failed
//   worth_modifying(changed, nodes) whether modifying the factor for `changed`
//                              of `nodes` w diagonals costs less than factorising
//   modify(changes)            adds each (dof, delta) to the diagonal in place;
//                              false when it could not
//   solve(f, u)                u = K^-1 f with the factor held
// EigenFactor is always built; CholmodFactor (cholmod_factor.h) where the
// build found CHOLMOD.
#pragma once

#include <utility>
#include <vector>

#include <Eigen/Sparse>
#include <Eigen/SparseCholesky>

#include "slab/slab_mesh.h"

namespace jpcp::slab::internal {

using SparseMatrix = Eigen::SparseMatrix<double, Eigen::ColMajor, int>;
using Vector = Eigen::VectorXd;

// Eigen's simplicial LDL': every change of the contact is factorised anew.
class EigenFactor {
 public:
  void analyze(const SparseMatrix& k, const SlabMesh&, bool) { ldlt_.analyzePattern(k); }
  bool factorize(const SparseMatrix& k, bool) {
    ldlt_.factorize(k);
    return ldlt_.info() == Eigen::Success;
  }
  bool worth_modifying(size_t, size_t) const { return false; }
  bool modify(const std::vector<std::pair<int, double>>&) { return false; }
  void solve(const Vector& f, Vector& u) { u = ldlt_.solve(f); }

 private:
  Eigen::SimplicialLDLT<SparseMatrix, Eigen::Lower> ldlt_;
};

}  // namespace jpcp::slab::internal
