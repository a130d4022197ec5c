// Numeric factorisation by supernodes into CHOLMOD's simplicial factor;
// built only where CHOLMOD is found (cholmod_factor.cpp includes it).
#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <thread>
#include <utility>
#include <vector>

#include <Eigen/Dense>
#include <cholmod.h>

#include "slab/sparse_factor.h"

namespace jpcp::slab::internal {

// Numeric factorisation by supernodes (runs of columns of the factor that
// share their pattern below the diagonal) with Eigen's dense kernels, into a
// simplicial LDL' factor of CHOLMOD whose pattern it was planned for. The
// dense products do in a few instructions what the column-by-column
// factorisation does one entry at a time: on the speed case (slab/README.md)
// 12 ms against 36-43 ms for the same operations. The factor it writes is
// then modified and solved by CHOLMOD as before.
class SupernodalFactor {
 public:
  void clear() { p_.clear(); }
  // Whether l has the layout planned for (a modification that grew a column
  // would have moved it).
  bool fits(const cholmod_factor& l) const {
    return !p_.empty() && !l.is_super && !l.is_ll && l.xtype == CHOLMOD_REAL && l.n + 1 == p_.size() &&
           std::equal(p_.begin(), p_.end(), static_cast<const int*>(l.p)) &&
           std::equal(nz_.begin(), nz_.end(), static_cast<const int*>(l.nz));
  }
  // From the pattern of l (column j: rows i[p[j] .. p[j] + nz[j]), the
  // diagonal first, then ascending), for matrices of k's pattern whose
  // unknown d is row row_of_dof[d] of the factor. Columns [0, groups.first)
  // and [groups.first, groups.second) may form two groups independent of
  // each other (no row of one in a column of the other), factorised side by
  // side when asked; they are not when the pattern says otherwise. False
  // (and not planned) when l's columns are not laid out so.
  bool plan(const cholmod_factor& l, const SparseMatrix& k, const std::vector<int>& row_of_dof,
            std::pair<int, int> groups) {
    p_.clear();
    const int n = static_cast<int>(l.n);
    const int* lp = static_cast<const int*>(l.p);
    const int* li = static_cast<const int*>(l.i);
    const int* lnz = static_cast<const int*>(l.nz);
    for (int j = 0; j < n; ++j)
      if (lnz[j] < 1 || li[lp[j]] != j || !std::is_sorted(li + lp[j], li + lp[j] + lnz[j])) return false;
    // Column j + 1 joins j's supernode when its pattern is j's without j.
    auto joins = [&](int j) {
      if (lnz[j] != lnz[j + 1] + 1) return false;
      return std::equal(li + lp[j] + 1, li + lp[j] + lnz[j], li + lp[j + 1]);
    };
    first_.assign(1, 0);
    for (int j = 0; j < n; ++j)
      if (j + 1 == n || !joins(j)) first_.push_back(j + 1);
    const size_t supernodes = first_.size() - 1;
    super_of_.resize(static_cast<size_t>(n));
    rows_begin_.assign(1, 0);
    block_.assign(1, 0);
    rows_.clear();
    for (size_t s = 0; s < supernodes; ++s) {
      const int f = first_[s], width = first_[s + 1] - f;
      for (int j = f; j < first_[s + 1]; ++j) super_of_[static_cast<size_t>(j)] = static_cast<int>(s);
      rows_.insert(rows_.end(), li + lp[f], li + lp[f] + lnz[f]);
      rows_begin_.push_back(static_cast<int>(rows_.size()));
      block_.push_back(block_.back() + static_cast<size_t>(lnz[f]) * static_cast<size_t>(width));
    }
    target_.resize(static_cast<size_t>(k.nonZeros()));
    for (int col = 0; col < k.cols(); ++col) {
      for (int q = k.outerIndexPtr()[col]; q < k.outerIndexPtr()[col + 1]; ++q) {
        const int a = row_of_dof[static_cast<size_t>(k.innerIndexPtr()[q])], b = row_of_dof[static_cast<size_t>(col)];
        const int lo = std::min(a, b), hi = std::max(a, b);
        const auto s = static_cast<size_t>(super_of_[static_cast<size_t>(lo)]);
        const int* rows = rows_.data() + rows_begin_[s];
        const int m = rows_begin_[s + 1] - rows_begin_[s];
        const auto at = std::lower_bound(rows, rows + m, hi) - rows;
        if (at == m || rows[at] != hi) return false;
        target_[static_cast<size_t>(q)] = block_[s] + static_cast<size_t>((lo - first_[s]) * m + at);
      }
    }
    values_.resize(block_.back());
    scratch_[0].relative.resize(static_cast<size_t>(n));
    plan_groups(groups);
    p_.assign(lp, lp + n + 1);
    nz_.assign(lnz, lnz + n);
    return true;
  }
  // Factorises k into l's values; false when k is not positive definite.
  // `side_by_side`: the two independent groups of columns on two threads,
  // with the same figures as on one.
  bool factorize(const SparseMatrix& k, cholmod_factor& l, bool side_by_side) {
    std::fill(values_.begin(), values_.end(), 0.0);
    const double* kx = k.valuePtr();
    for (size_t q = 0; q < target_.size(); ++q) values_[target_[q]] += kx[q];
    const size_t supernodes = first_.size() - 1;
    head_.assign(supernodes, -1);
    next_.assign(supernodes, -1);
    cursor_.assign(supernodes, 0);
    // The second group on a thread of its own. Links from a group to the
    // supernodes after both are made once both are done, the first group's
    // first, in the order one thread makes them: every supernode then takes
    // its updates in the same order either way.
    std::thread second;
    std::vector<Link> deferred[2];
    bool second_ok = true;
    if (side_by_side && group_end_[0] > 0) {
      scratch_[1].relative.resize(scratch_[0].relative.size());
      try {
        second = std::thread(
            [&] { second_ok = factorize_supernodes(group_end_[0], group_end_[1], scratch_[1], &deferred[1]); });
      } catch (const std::system_error&) {  // no thread to be had: one thread does it all
      }
    }
    bool ok;
    if (second.joinable()) {
      ok = factorize_supernodes(0, group_end_[0], scratch_[0], &deferred[0]);
      second.join();
      for (const std::vector<Link>& links : deferred)
        for (const Link& link : links) add_link(link.from, link.to);
      ok = ok && second_ok && factorize_supernodes(group_end_[1], supernodes, scratch_[0], nullptr);
    } else {
      ok = factorize_supernodes(0, supernodes, scratch_[0], nullptr);
    }
    if (!ok) return false;
    // LL' to LDL': D = diag(L)^2, the unit factor L / diag(L) by columns.
    auto* lx = static_cast<double*>(l.x);
    for (size_t s = 0; s < supernodes; ++s) {
      const int m = rows_begin_[s + 1] - rows_begin_[s];
      const Block x(values_.data() + block_[s], m, first_[s + 1] - first_[s]);
      for (int c = 0; c < x.cols(); ++c) {
        const double d = x(c, c);
        double* column = lx + p_[static_cast<size_t>(first_[s] + c)];
        column[0] = d * d;
        for (int t = c + 1; t < m; ++t) column[t - c] = x(t, c) / d;
      }
    }
    return true;
  }

 private:
  using Block = Eigen::Map<Eigen::MatrixXd>;
  struct Scratch {
    std::vector<int> relative;  // row of the current supernode's block of each factor row
    std::vector<double> product;
  };
  struct Link {
    int from, to;
  };
  // Supernode `from` updates `to` next.
  void add_link(int from, int to) {
    next_[static_cast<size_t>(from)] = head_[static_cast<size_t>(to)];
    head_[static_cast<size_t>(to)] = from;
  }
  // Supernodes [begin, end) in turn: the updates of every supernode listed
  // under it (left-looking), then its dense factorisation. Links to
  // supernodes at or after the end of the independent groups go to
  // `deferred` when given. False when a block is not positive definite.
  bool factorize_supernodes(size_t begin, size_t end, Scratch& scratch, std::vector<Link>* deferred) {
    auto link = [&](int from, int to) {
      if (deferred != nullptr && static_cast<size_t>(to) >= group_end_[1]) {
        deferred->push_back({from, to});
      } else {
        add_link(from, to);
      }
    };
    std::vector<int>& relative = scratch.relative;
    for (size_t s = begin; s < end; ++s) {
      const int f = first_[s], last = first_[s + 1], width = last - f;
      const int* rows = rows_.data() + rows_begin_[s];
      const int m = rows_begin_[s + 1] - rows_begin_[s];
      for (int t = 0; t < m; ++t) relative[static_cast<size_t>(rows[t])] = t;
      Block x(values_.data() + block_[s], m, width);
      for (int d = head_[s]; d != -1;) {
        const auto du = static_cast<size_t>(d);
        const int next_d = next_[du];
        const int* drows = rows_.data() + rows_begin_[du];
        const int dm = rows_begin_[du + 1] - rows_begin_[du];
        const int p1 = cursor_[du];
        int p2 = p1;
        while (p2 < dm && drows[p2] < last) ++p2;
        const Block ld(values_.data() + block_[du], dm, first_[du + 1] - first_[du]);
        scratch.product.resize(static_cast<size_t>(dm - p1) * static_cast<size_t>(p2 - p1));
        Block c(scratch.product.data(), dm - p1, p2 - p1);
        c.noalias() = ld.middleRows(p1, dm - p1) * ld.middleRows(p1, p2 - p1).transpose();
        for (int jj = 0; jj < p2 - p1; ++jj) {
          const int col = drows[p1 + jj] - f;
          for (int ii = jj; ii < dm - p1; ++ii) x(relative[static_cast<size_t>(drows[p1 + ii])], col) -= c(ii, jj);
        }
        cursor_[du] = p2;
        if (p2 < dm) link(d, super_of_[static_cast<size_t>(drows[p2])]);
        d = next_d;
      }
      Eigen::Ref<Eigen::MatrixXd> diagonal = x.topRows(width);
      Eigen::LLT<Eigen::Ref<Eigen::MatrixXd>> llt(diagonal);
      if (llt.info() != Eigen::Success) return false;
      if (m > width) {
        auto below = x.bottomRows(m - width);
        diagonal.triangularView<Eigen::Lower>().transpose().solveInPlace<Eigen::OnTheRight>(below);
        cursor_[s] = width;
        link(static_cast<int>(s), super_of_[static_cast<size_t>(rows[width])]);
      }
    }
    return true;
  }
  // The supernodes of the two groups of columns, when each lies whole in
  // its group and no row of either falls in the other.
  void plan_groups(std::pair<int, int> groups) {
    const size_t supernodes = first_.size() - 1;
    group_end_ = {0, 0};
    size_t ends[2] = {0, 0};
    for (size_t s = 0; s < supernodes; ++s) {
      const int f = first_[s], last = first_[s + 1];
      const int group = f < groups.first ? 0 : f < groups.second ? 1 : 2;
      if (group == 2) break;
      const int end = group == 0 ? groups.first : groups.second;
      if (last > end) return;
      for (int q = rows_begin_[s]; q < rows_begin_[s + 1]; ++q) {
        const int row = rows_[static_cast<size_t>(q)];
        if (row >= end && row < groups.second) return;  // a first-group column with a row in the second group
      }
      ends[group] = s + 1;
    }
    if (ends[0] == 0 || ends[1] <= ends[0]) return;
    group_end_ = {ends[0], ends[1]};
  }

  std::vector<int> p_, nz_;      // layout of the factor planned for
  std::vector<int> first_;       // first column of each supernode, and n
  std::vector<int> super_of_;    // supernode of each column
  std::vector<int> rows_begin_;  // rows of supernode s: rows_[rows_begin_[s] .. rows_begin_[s + 1])
  std::vector<int> rows_;
  std::vector<size_t> block_;    // offset of each supernode's dense block (rows x columns, by columns)
  std::vector<size_t> target_;   // where each stored value of k goes among values_
  std::vector<double> values_;
  // Supernodes [0, group_end_[0]) and [group_end_[0], group_end_[1]) are
  // independent of each other (both 0: no groups).
  std::array<size_t, 2> group_end_{0, 0};
  // Supernodes still to update later ones, listed under the next one each
  // updates (head_, next_), with the position of that one's first row among
  // theirs (cursor_); made anew by each factorisation.
  std::vector<int> head_, next_, cursor_;
  Scratch scratch_[2];
};

}  // namespace jpcp::slab::internal
