// CHOLMOD's factor of a slab system, modified in place between contact
// iterations; built only where CHOLMOD is found (cholmod_factor.cpp).
#pragma once

#include <cmath>
#include <utility>
#include <vector>

#include <cholmod.h>

#include "slab/joint_order.h"
#include "slab/slab_mesh.h"
#include "slab/sparse_factor.h"
#include "slab/supernodal_factor.h"

namespace jpcp::slab::internal {

// CHOLMOD's simplicial LDL'. A change of the contact changes the w diagonal
// of a few nodes: the factor is updated (springs restored) and downdated
// (springs released) in place, at a cost proportional to the number of nodes
// that changed (slab/README.md, "Sparse solve and speed").
class CholmodFactor {
 public:
  CholmodFactor() {
    cholmod_start(&common_);
    common_.supernodal = CHOLMOD_SIMPLICIAL;
    common_.final_ll = 0;  // keep LDL', the form that is updated
    common_.nmethods = 1;
    common_.print = 0;
  }
  ~CholmodFactor() {
    cholmod_free_factor(&factor_, &common_);
    cholmod_finish(&common_);
  }
  CholmodFactor(const CholmodFactor&) = delete;
  CholmodFactor& operator=(const CholmodFactor&) = delete;

  // `nested`: order by nested dissection with the joints as separators (large
  // meshes and the coarse meshes of predictions), else by AMD.
  void analyze(const SparseMatrix& k, const SlabMesh& mesh, bool nested) {
    cholmod_free_factor(&factor_, &common_);
    supernodes_.clear();
    by_supernodes_ = nested;
    cholmod_sparse a = view(k);
    JointSeparatedOrder order;
    if (nested) {
      // The columns of the factor in that order (no postordering), so that
      // its two groups of slabs keep their columns apart.
      order = joint_separated_order(mesh);
      common_.method[0].ordering = CHOLMOD_GIVEN;
      common_.postorder = false;
      factor_ = cholmod_analyze_p(&a, order.dofs.data(), nullptr, 0, &common_);
      common_.postorder = true;
    } else {
      // Small meshes (up to some 670 nodes): AMD's analysis costs a third of
      // nested dissection's, and the factorisation column by column is
      // cheap at that size.
      common_.method[0].ordering = CHOLMOD_AMD;
      factor_ = cholmod_analyze(&a, &common_);
    }
    if (factor_ == nullptr) return;
    const int* perm = static_cast<const int*>(factor_->Perm);
    row_of_dof_.resize(factor_->n);
    for (size_t i = 0; i < factor_->n; ++i) row_of_dof_[static_cast<size_t>(perm[i])] = static_cast<int>(i);
    // A nested-dissection order is factorised by supernodes from the first
    // factorisation on, so that a case's figures do not depend on whether its
    // thread factorised that mesh before: the factor is laid out now with the
    // pattern of L, found symbolically, and the supernodes planned from it
    // (before the case's contact is known). A factor that cannot be laid out
    // so is made symbolic again and factorised column by column.
    if (nested && !(lay_out_pattern(k) && supernodes_.plan(*factor_, k, row_of_dof_, order.groups))) {
      by_supernodes_ = false;
      supernodes_.clear();
      if (!cholmod_change_factor(CHOLMOD_PATTERN, false, false, true, true, factor_, &common_))
        cholmod_free_factor(&factor_, &common_);
    }
  }
  bool factorize(const SparseMatrix& k, bool second_thread) {
    if (factor_ == nullptr) return false;
    if (supernodes_.fits(*factor_)) return supernodes_.factorize(k, *factor_, second_thread);
    cholmod_sparse a = view(k);
    return cholmod_factorize(&a, factor_, &common_) && common_.status == CHOLMOD_OK;
  }
  // Whether modifying the factor for `changed` of `nodes` nodes costs less
  // than factorising anew. A modification costs about 0.026 ms a node on
  // the speed case, a factorisation 36-43 ms column by column (a third of
  // the nodes) and 12 ms by supernodes (a tenth).
  bool worth_modifying(size_t changed, size_t nodes) const {
    return (by_supernodes_ ? 10 : 4) * changed <= nodes;
  }
  // Adds delta to the diagonal of each dof listed; false when the factor
  // could not be modified (it must then be factorised anew).
  bool modify(const std::vector<std::pair<int, double>>& changes) {
    if (factor_ == nullptr) return false;
    for (const bool update : {true, false}) {
      // One column sqrt|delta| e_i per dof, rows in the factor's ordering.
      std::vector<std::pair<int, double>> columns;
      for (const auto& [dof, delta] : changes)
        if (delta != 0.0 && (delta > 0.0) == update)
          columns.emplace_back(row_of_dof_[static_cast<size_t>(dof)], std::sqrt(std::abs(delta)));
      if (columns.empty()) continue;
      const size_t m = columns.size();
      cholmod_sparse* c = cholmod_allocate_sparse(factor_->n, m, m, 1, 1, 0, CHOLMOD_REAL, &common_);
      if (c == nullptr) return false;
      auto* p = static_cast<int*>(c->p);
      auto* i = static_cast<int*>(c->i);
      auto* x = static_cast<double*>(c->x);
      for (size_t j = 0; j < m; ++j) {
        p[j] = static_cast<int>(j);
        i[j] = columns[j].first;
        x[j] = columns[j].second;
      }
      p[m] = static_cast<int>(m);
      const int ok = cholmod_updown(update, c, factor_, &common_);
      cholmod_free_sparse(&c, &common_);
      if (!ok || common_.status != CHOLMOD_OK) return false;
    }
    return true;
  }
  // Turns the symbolic factor into a numeric simplicial LDL' one whose
  // column j holds the rows of L's pattern (the diagonal first, then
  // ascending), as a factorisation column by column would lay it out, but
  // without computing values: row i of L is the set of columns met going
  // up the elimination tree from each column of a nonzero of row i of the
  // ordered matrix. False when CHOLMOD could not convert the factor or the
  // pattern disagrees with its column counts.
  bool lay_out_pattern(const SparseMatrix& k) {
    const int n = static_cast<int>(factor_->n);
    const auto un = static_cast<size_t>(n);
    // Columns of the nonzeros left of the diagonal of each row of the
    // ordered matrix (row-compressed).
    std::vector<int> start(un + 1, 0), cols(static_cast<size_t>(k.nonZeros()));
    auto for_each_below = [&](auto&& f) {
      for (int col = 0; col < n; ++col) {
        for (int q = k.outerIndexPtr()[col]; q < k.outerIndexPtr()[col + 1]; ++q) {
          const int a = row_of_dof_[static_cast<size_t>(k.innerIndexPtr()[q])];
          const int b = row_of_dof_[static_cast<size_t>(col)];
          if (a != b) f(std::max(a, b), std::min(a, b));
        }
      }
    };
    for_each_below([&](int row, int) { ++start[static_cast<size_t>(row) + 1]; });
    for (size_t i = 0; i < un; ++i) start[i + 1] += start[i];
    std::vector<int> fill(start.begin(), start.end() - 1);
    for_each_below([&](int row, int col) { cols[static_cast<size_t>(fill[static_cast<size_t>(row)]++)] = col; });
    // Elimination tree (path-compressed ancestors).
    std::vector<int> parent(un, -1), ancestor(un, -1);
    for (int row = 0; row < n; ++row) {
      for (int q = start[static_cast<size_t>(row)]; q < start[static_cast<size_t>(row) + 1]; ++q) {
        for (int j = cols[static_cast<size_t>(q)]; j != -1 && j < row;) {
          const int next = ancestor[static_cast<size_t>(j)];
          ancestor[static_cast<size_t>(j)] = row;
          if (next == -1) parent[static_cast<size_t>(j)] = row;
          j = next;
        }
      }
    }
    // Each column gets the room of its count and no more (grow2 = 0): a
    // modification changes diagonal values only, never the pattern.
    const size_t grow2 = common_.grow2;
    common_.grow2 = 0;
    const int changed = cholmod_change_factor(CHOLMOD_REAL, false, false, false, true, factor_, &common_);
    common_.grow2 = grow2;
    if (!changed || common_.status != CHOLMOD_OK || factor_->is_super || factor_->is_ll) return false;
    const int* lp = static_cast<const int*>(factor_->p);
    int* li = static_cast<int*>(factor_->i);
    int* lnz = static_cast<int*>(factor_->nz);
    const int* counts = static_cast<const int*>(factor_->ColCount);
    std::vector<int> next_row(un), mark(un, -1);
    for (int j = 0; j < n; ++j) {
      if (lp[j + 1] - lp[j] < counts[j]) return false;
      li[lp[j]] = j;
      next_row[static_cast<size_t>(j)] = lp[j] + 1;
    }
    for (int row = 0; row < n; ++row) {
      mark[static_cast<size_t>(row)] = row;
      for (int q = start[static_cast<size_t>(row)]; q < start[static_cast<size_t>(row) + 1]; ++q) {
        for (int j = cols[static_cast<size_t>(q)]; mark[static_cast<size_t>(j)] != row;
             j = parent[static_cast<size_t>(j)]) {
          if (j == -1) return false;  // row is an ancestor of every column of its nonzeros
          mark[static_cast<size_t>(j)] = row;
          int& at = next_row[static_cast<size_t>(j)];
          if (at >= lp[j] + counts[j]) return false;
          li[at++] = row;
        }
      }
    }
    for (int j = 0; j < n; ++j) {
      if (next_row[static_cast<size_t>(j)] != lp[j] + counts[j]) return false;
      lnz[j] = counts[j];
    }
    return true;
  }
  void solve(const Vector& f, Vector& u) {
    cholmod_dense b{};
    b.nrow = b.d = b.nzmax = static_cast<size_t>(f.size());
    b.ncol = 1;
    b.x = const_cast<double*>(f.data());  // read only
    b.xtype = CHOLMOD_REAL;
    b.dtype = CHOLMOD_DOUBLE;
    cholmod_dense* x = cholmod_solve(CHOLMOD_A, factor_, &b, &common_);
    if (x == nullptr) {
      u = Vector::Constant(f.size(), std::nan(""));
      return;
    }
    u = Eigen::Map<const Vector>(static_cast<const double*>(x->x), f.size());
    cholmod_free_dense(&x, &common_);
  }

 private:
  // k's lower triangle by compressed columns as CHOLMOD reads it, without a
  // copy.
  static cholmod_sparse view(const SparseMatrix& k) {
    cholmod_sparse a{};
    a.nrow = a.ncol = static_cast<size_t>(k.rows());
    a.nzmax = static_cast<size_t>(k.nonZeros());
    a.p = const_cast<int*>(k.outerIndexPtr());
    a.i = const_cast<int*>(k.innerIndexPtr());
    a.x = const_cast<double*>(k.valuePtr());  // read only
    a.stype = -1;
    a.itype = CHOLMOD_INT;
    a.xtype = CHOLMOD_REAL;
    a.dtype = CHOLMOD_DOUBLE;
    a.sorted = 1;
    a.packed = 1;
    return a;
  }
  cholmod_common common_{};
  cholmod_factor* factor_ = nullptr;
  SupernodalFactor supernodes_;
  bool by_supernodes_ = false;
  std::vector<int> row_of_dof_;
};

}  // namespace jpcp::slab::internal
