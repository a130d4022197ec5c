#include "slab/slab_solver.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <functional>
#include <future>
#include <map>
#include <system_error>
#include <thread>
#include <utility>

#include <Eigen/Dense>
#include <Eigen/Sparse>
#include <Eigen/SparseCholesky>
#if JPCP_SLAB_CHOLMOD
#include <cholmod.h>
#endif

namespace jpcp::slab {
namespace {

using SparseMatrix = Eigen::SparseMatrix<double, Eigen::ColMajor, int>;
using Vector = Eigen::VectorXd;

constexpr double released_spring_fraction = 1e-9;

// Above this many unknowns a mesh counts as large: it is ordered with the
// joints as separators and factorised by supernodes (CHOLMOD build), and a
// tensionless iteration without a contact to start from starts from the
// contact predicted on a coarse mesh. The model grids' meshes are below it.
constexpr int large_system_dofs = 6000;

// Element matrices and the element loads that are the same for every
// element of one size, computed once per element size of the case.
struct ElementCache {
  struct Entry {
    PlateElement element;
    ElementMatrix stiffness;
    ElementVector weight_load;     // self weight over the whole element
    ElementVector curvature_load;  // free curvature
  };
  double rigidity, nu;
  double weight_psi = 0.0, kappa_t = 0.0;
  std::map<std::pair<double, double>, Entry> items;
  const Entry& get(double a, double b) {
    auto it = items.find({a, b});
    if (it == items.end()) {
      PlateElement e(a, b, rigidity, nu);
      Entry entry{e, e.stiffness(), e.pressure_load(weight_psi, 0, a, 0, b), e.curvature_load(kappa_t)};
      it = items.emplace(std::make_pair(a, b), entry).first;
    }
    return it->second;
  }
};

// Calls f(panel, ix, iy, nodes[4]) for every element.
template <class F>
void for_each_element(const SlabMesh& mesh, F&& f) {
  for (const SlabPanel& p : mesh.panels) {
    for (int32_t iy = p.line_y0; iy < p.line_y1; ++iy) {
      for (int32_t ix = p.line_x0; ix < p.line_x1; ++ix) {
        const std::array<int32_t, 4> nodes = {p.node(ix, iy), p.node(ix + 1, iy), p.node(ix + 1, iy + 1),
                                              p.node(ix, iy + 1)};
        f(p, ix, iy, nodes);
      }
    }
  }
}

double side(const std::vector<double>& lines, int32_t i) {
  return lines[static_cast<size_t>(i) + 1] - lines[static_cast<size_t>(i)];
}

ElementVector element_dofs(const std::vector<double>& dofs, const std::array<int32_t, 4>& nodes) {
  ElementVector u{};
  for (size_t n = 0; n < 4; ++n)
    for (size_t d = 0; d < 3; ++d) u[3 * n + d] = dofs[3 * static_cast<size_t>(nodes[n]) + d];
  return u;
}

// Load vector: self weight, the loads and the free curvature.
Vector load_vector(const SlabCase& c, const SlabMesh& mesh, ElementCache& cache) {
  Vector f = Vector::Zero(3 * mesh.node_count());
  auto add = [&](const std::array<int32_t, 4>& nodes, const ElementVector& fe) {
    for (size_t n = 0; n < 4; ++n)
      for (size_t d = 0; d < 3; ++d) f[3 * nodes[n] + static_cast<int>(d)] += fe[3 * n + d];
  };
  for_each_element(mesh, [&](const SlabPanel&, int32_t ix, int32_t iy, const std::array<int32_t, 4>& nodes) {
    const double a = side(mesh.lines_x, ix), b = side(mesh.lines_y, iy);
    const ElementCache::Entry& e = cache.get(a, b);
    if (cache.weight_psi != 0.0) add(nodes, e.weight_load);
    if (cache.kappa_t != 0.0) add(nodes, e.curvature_load);
    const double x0 = mesh.lines_x[static_cast<size_t>(ix)], y0 = mesh.lines_y[static_cast<size_t>(iy)];
    for (const RectangleLoad& load : c.loads) {
      const double lx0 = std::max(load.x_in, x0), lx1 = std::min(load.x_in + load.length_in, x0 + a);
      const double ly0 = std::max(load.y_in, y0), ly1 = std::min(load.y_in + load.width_in, y0 + b);
      if (lx1 > lx0 && ly1 > ly0)
        add(nodes, e.element.pressure_load(load.pressure_psi, lx0 - x0, lx1 - x0, ly0 - y0, ly1 - y0));
    }
  });
  return f;
}

// Calls add(row, col, k_rc) for every entry of the lower triangle of plate
// and joint stiffness (rows and columns numbered 3 node + component), in one
// fixed order: the elements', then the joint springs'.
template <class F>
void for_each_stiffness_entry(const SlabMesh& mesh, ElementCache& cache, F&& add) {
  for_each_element(mesh, [&](const SlabPanel&, int32_t ix, int32_t iy, const std::array<int32_t, 4>& nodes) {
    const ElementMatrix& ke = cache.get(side(mesh.lines_x, ix), side(mesh.lines_y, iy)).stiffness;
    for (size_t r = 0; r < 12; ++r) {
      const int gr = 3 * nodes[r / 3] + static_cast<int>(r % 3);
      for (size_t s = 0; s < 12; ++s) {
        const int gs = 3 * nodes[s / 3] + static_cast<int>(s % 3);
        if (gr >= gs) add(gr, gs, ke[r * 12 + s]);
      }
    }
  });
  for (const JointSpring& j : mesh.joint_springs) {
    const int a = 3 * j.node_a, b = 3 * j.node_b;
    add(a, a, j.stiffness);
    add(b, b, j.stiffness);
    add(std::max(a, b), std::min(a, b), -j.stiffness);
  }
}

// The sparsity pattern of a mesh's matrix (lower triangle by columns) and
// where each entry of for_each_stiffness_entry lands among its stored
// values, kept for the next case of the same mesh. Every value is the sum of
// its entries in that order.
struct AssemblyPlan {
  std::vector<double> lines_x, lines_y;  // the mesh it was made for
  std::vector<int32_t> panel_lines;
  std::vector<std::pair<int32_t, int32_t>> springs;
  std::vector<int> outer, inner;
  std::vector<int> position;  // of each entry, in the order plate_matrix adds them

  static std::vector<int32_t> lines_of(const SlabMesh& mesh) {
    std::vector<int32_t> v;
    for (const SlabPanel& p : mesh.panels) v.insert(v.end(), {p.line_x0, p.line_x1, p.line_y0, p.line_y1});
    return v;
  }
  static std::vector<std::pair<int32_t, int32_t>> springs_of(const SlabMesh& mesh) {
    std::vector<std::pair<int32_t, int32_t>> v;
    for (const JointSpring& j : mesh.joint_springs) v.emplace_back(j.node_a, j.node_b);
    return v;
  }
  bool fits(const SlabMesh& mesh) const {
    return !position.empty() && lines_x == mesh.lines_x && lines_y == mesh.lines_y && panel_lines == lines_of(mesh) &&
           springs == springs_of(mesh);
  }
  // From the mesh's connectivity: every unknown of a node is coupled with
  // every unknown of the nodes of its elements (itself and its grid
  // neighbours on its slab), and a joint spring couples the w of its nodes.
  void make(const SlabMesh& mesh, ElementCache& cache) {
    const auto nodes = static_cast<size_t>(mesh.node_count());
    std::vector<std::vector<int32_t>> partners(nodes);  // spring nodes numbered above
    for (const JointSpring& j : mesh.joint_springs) {
      const auto [lo, hi] = std::minmax(j.node_a, j.node_b);
      if (lo != hi) partners[static_cast<size_t>(lo)].push_back(hi);
    }
    outer.assign(1, 0);
    inner.clear();
    std::vector<int> rows;
    for (size_t v = 0; v < nodes; ++v) {
      const SlabPanel& p = mesh.panels[static_cast<size_t>(mesh.node_panel[v])];
      const int32_t local = static_cast<int32_t>(v) - p.first_node;
      const int32_t ix = p.line_x0 + local % p.nodes_x(), iy = p.line_y0 + local / p.nodes_x();
      std::vector<int32_t>& w_partners = partners[v];
      std::sort(w_partners.begin(), w_partners.end());
      w_partners.erase(std::unique(w_partners.begin(), w_partners.end()), w_partners.end());
      for (int d = 0; d < 3; ++d) {
        const int col = 3 * static_cast<int>(v) + d;
        rows.clear();
        for (int32_t y = std::max(iy - 1, p.line_y0); y <= std::min(iy + 1, p.line_y1); ++y)
          for (int32_t x = std::max(ix - 1, p.line_x0); x <= std::min(ix + 1, p.line_x1); ++x)
            for (int e = 0; e < 3; ++e)
              if (3 * p.node(x, y) + e >= col) rows.push_back(3 * p.node(x, y) + e);
        if (d == 0)
          for (int32_t u : w_partners) rows.push_back(3 * u);
        std::sort(rows.begin(), rows.end());
        inner.insert(inner.end(), rows.begin(), rows.end());
        outer.push_back(static_cast<int>(inner.size()));
      }
    }
    position.clear();
    for_each_stiffness_entry(mesh, cache, [&](int row, int col, double) {
      const auto begin = inner.begin() + outer[static_cast<size_t>(col)];
      const auto end = inner.begin() + outer[static_cast<size_t>(col) + 1];
      position.push_back(static_cast<int>(std::lower_bound(begin, end, row) - inner.begin()));
    });
    lines_x = mesh.lines_x;
    lines_y = mesh.lines_y;
    panel_lines = lines_of(mesh);
    springs = springs_of(mesh);
  }
};

// Lower triangle of plate and joint stiffness, with every w diagonal present.
SparseMatrix plate_matrix(const SlabMesh& mesh, ElementCache& cache, AssemblyPlan& plan) {
  const int n = 3 * mesh.node_count();
  if (!plan.fits(mesh)) plan.make(mesh, cache);
  SparseMatrix k(n, n);
  k.resizeNonZeros(static_cast<Eigen::Index>(plan.inner.size()));
  std::copy(plan.outer.begin(), plan.outer.end(), k.outerIndexPtr());
  std::copy(plan.inner.begin(), plan.inner.end(), k.innerIndexPtr());
  std::fill(k.valuePtr(), k.valuePtr() + plan.inner.size(), 0.0);
  double* values = k.valuePtr();
  size_t entry = 0;
  for_each_stiffness_entry(mesh, cache, [&](int, int, double v) { values[plan.position[entry++]] += v; });
  return k;
}

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

#if JPCP_SLAB_CHOLMOD
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
      // The model grids' small meshes (150-1700 nodes): AMD's analysis costs
      // a third of nested dissection's and its factors solve them faster.
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
  // Order of the unknowns of a large mesh. Only w is coupled across a joint,
  // so the w of the nodes on the near side of every joint (a few dozen a
  // joint) separate the slabs from each other: each slab's other unknowns
  // come first, slab by slab, the joint unknowns last. A slab's nodes are a
  // grid, ordered by nested dissection along its own grid lines
  // (dissect_grid), each node's unknowns kept together. The slabs come in
  // two groups of about equal work (the factor's operations grow as a
  // slab's nodes to the power 1.5), which can be factorised side by side.
  struct JointSeparatedOrder {
    std::vector<int> dofs;
    std::pair<int, int> groups{0, 0};  // ends of the two groups' unknowns
  };
  static JointSeparatedOrder joint_separated_order(const SlabMesh& mesh) {
    const size_t n = 3 * static_cast<size_t>(mesh.node_count());
    std::vector<uint8_t> separator(n, 0);
    for (const JointSpring& j : mesh.joint_springs) separator[3 * static_cast<size_t>(j.node_a)] = 1;
    // Largest slab first to the group with less work so far.
    std::vector<size_t> by_size(mesh.panels.size());
    for (size_t i = 0; i < by_size.size(); ++i) by_size[i] = i;
    auto work = [&](size_t i) {
      return std::pow(mesh.panels[i].nodes_x() * double{1} * mesh.panels[i].nodes_y(), 1.5);
    };
    std::stable_sort(by_size.begin(), by_size.end(), [&](size_t a, size_t b) { return work(a) > work(b); });
    std::vector<int> group(mesh.panels.size());
    double group_work[2] = {0, 0};
    for (size_t i : by_size) {
      const int g = group_work[1] < group_work[0] ? 1 : 0;
      group[i] = g;
      group_work[g] += work(i);
    }
    JointSeparatedOrder order;
    order.dofs.reserve(n);
    for (int g = 0; g < 2; ++g) {
      for (size_t i = 0; i < mesh.panels.size(); ++i) {
        if (group[i] != g) continue;
        const SlabPanel& p = mesh.panels[i];
        dissect_grid(0, p.nodes_x(), 0, p.nodes_y(), [&](int32_t x, int32_t y) {
          const int node = p.node(p.line_x0 + x, p.line_y0 + y);
          for (int d = 3 * node; d < 3 * node + 3; ++d)
            if (!separator[static_cast<size_t>(d)]) order.dofs.push_back(d);
        });
      }
      (g == 0 ? order.groups.first : order.groups.second) = static_cast<int>(order.dofs.size());
    }
    for (size_t d = 0; d < n; ++d)
      if (separator[d]) order.dofs.push_back(static_cast<int>(d));
    return order;
  }
  // Nested dissection of the grid nodes [i0, i1) x [j0, j1): a plate element
  // couples only the nodes of neighbouring grid lines, so one line across
  // the longer side separates the two halves; each half is ordered the same
  // way first, the line last, down to single nodes. On the speed case
  // (slab/README.md) the factor then takes 4.6 % fewer operations than with
  // each slab ordered by METIS's nested dissection of its graph (7.74e7
  // against 8.11e7), and the order costs microseconds instead of 10 ms.
  template <class F>
  static void dissect_grid(int32_t i0, int32_t i1, int32_t j0, int32_t j1, F&& visit) {
    if (i1 <= i0 || j1 <= j0) return;
    if (i1 - i0 == 1 && j1 - j0 == 1) {
      visit(i0, j0);
      return;
    }
    if (i1 - i0 >= j1 - j0) {
      const int32_t m = (i0 + i1) / 2;
      dissect_grid(i0, m, j0, j1, visit);
      dissect_grid(m + 1, i1, j0, j1, visit);
      for (int32_t j = j0; j < j1; ++j) visit(m, j);
    } else {
      const int32_t m = (j0 + j1) / 2;
      dissect_grid(i0, i1, j0, m, visit);
      dissect_grid(i0, i1, m + 1, j1, visit);
      for (int32_t i = i0; i < i1; ++i) visit(i, m);
    }
  }

  cholmod_common common_{};
  cholmod_factor* factor_ = nullptr;
  SupernodalFactor supernodes_;
  bool by_supernodes_ = false;
  std::vector<int> row_of_dof_;
};
#endif

// Raised by solve_cases at the start of each block of cases. What a thread
// kept from its case before (the contact and the factor's values) is dropped
// then, so that a case's results depend only on the cases before it in its
// block, whichever thread the block fell to and however many there are.
thread_local unsigned block_generation = 0;

// What a thread keeps from one case to the next of the same mesh: the
// ordering and symbolic factorisation (they depend only on the sparsity
// pattern), the contact it ended with and the factor with the matrix values
// it holds.
template <class Factorization>
struct KeptFactor {
  Factorization solver;
  std::vector<int> outer, inner;   // the pattern the ordering was made for
  std::vector<uint8_t> last_contact;
  std::vector<double> held;        // values of the matrix the factor holds
  unsigned generation = 0;
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
  if (kept.generation != block_generation) {
    kept.generation = block_generation;
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

void average_moments(SlabSolution& s, ElementCache& cache) {
  const SlabMesh& mesh = s.mesh;
  s.nodal_moments.assign(static_cast<size_t>(mesh.node_count()), Moments{});
  std::vector<int> count(static_cast<size_t>(mesh.node_count()), 0);
  for_each_element(mesh, [&](const SlabPanel&, int32_t ix, int32_t iy, const std::array<int32_t, 4>& nodes) {
    const double a = side(mesh.lines_x, ix), b = side(mesh.lines_y, iy);
    const PlateElement& e = cache.get(a, b).element;
    const ElementVector u = element_dofs(s.dofs, nodes);
    const std::array<std::array<double, 2>, 4> corners = {{{0, 0}, {a, 0}, {a, b}, {0, b}}};
    for (size_t n = 0; n < 4; ++n) {
      const Moments m = e.moments(u, s.free_curvature, corners[n][0], corners[n][1]);
      Moments& acc = s.nodal_moments[static_cast<size_t>(nodes[n])];
      for (size_t d = 0; d < 3; ++d) acc[d] += m[d];
      ++count[static_cast<size_t>(nodes[n])];
    }
  });
  for (size_t n = 0; n < count.size(); ++n)
    for (size_t d = 0; d < 3; ++d) s.nodal_moments[n][d] /= std::max(1, count[n]);
}

// The element of panel p that holds the point (x, y) (clamped to the
// panel) and the point in the element's frame.
struct ElementPoint {
  std::array<int32_t, 4> nodes;
  double a, b;    // sides (in)
  double lx, ly;  // local coordinates (in)
};
ElementPoint element_at(const SlabMesh& mesh, const SlabPanel& p, double x_in, double y_in) {
  auto interval = [](const std::vector<double>& lines, int32_t lo, int32_t hi, double v) {
    const auto begin = lines.begin() + lo, end = lines.begin() + hi;
    const int32_t i = static_cast<int32_t>(std::upper_bound(begin, end, v) - lines.begin()) - 1;
    return std::clamp(i, lo, hi - 1);
  };
  const int32_t ix = interval(mesh.lines_x, p.line_x0, p.line_x1, x_in);
  const int32_t iy = interval(mesh.lines_y, p.line_y0, p.line_y1, y_in);
  ElementPoint e;
  e.nodes = {p.node(ix, iy), p.node(ix + 1, iy), p.node(ix + 1, iy + 1), p.node(ix, iy + 1)};
  e.a = side(mesh.lines_x, ix);
  e.b = side(mesh.lines_y, iy);
  e.lx = std::clamp(x_in - mesh.lines_x[static_cast<size_t>(ix)], 0.0, e.a);
  e.ly = std::clamp(y_in - mesh.lines_y[static_cast<size_t>(iy)], 0.0, e.b);
  return e;
}

template <class Factorization>
SlabSolution solve_system(const SlabCase& c, bool coarse);

// Starting contact of a large tensionless case: the same system solved on
// elements twice as large without refinement (about a fifth of the
// unknowns), its deflection interpolated at every node of the case's mesh,
// each node in contact where that pushes (w >= 0). The iteration then needs
// a few small modifications of its first factor instead of releasing some
// hundreds of springs after a first solve in full contact.
template <class Factorization>
std::vector<uint8_t> predicted_contact(const SlabCase& c, const SlabMesh& mesh) {
  SlabCase coarse = c;
  coarse.mesh_in = 2.0 * c.mesh_in;
  coarse.refine_in = coarse.mesh_in;
  coarse.warm_start = false;
  coarse.second_thread = false;  // it runs beside the case's own work, or is too small to share
  const SlabSolution cs = solve_system<Factorization>(coarse, true);
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
// the thread keeps for the next case apart for the case's own meshes and the
// coarse meshes of the predictions; the moments only for the case itself.
template <class Factorization>
SlabSolution solve_system(const SlabCase& c, bool coarse) {
  static thread_local KeptFactor<Factorization> kept[2];
  static thread_local AssemblyPlan plans[2];
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
    predict = [&] { return predicted_contact<Factorization>(c, s.mesh); };
    if (c.second_thread) {
      try {
        prediction = std::async(std::launch::async, predict);
        predict = [&] { return prediction.get(); };
      } catch (const std::system_error&) {  // no thread to be had: the prediction waits its turn
      }
    }
  }
  ElementCache cache{s.rigidity, c.poisson, weight, s.free_curvature, {}};
  SparseMatrix k = plate_matrix(s.mesh, cache, plans[coarse ? 1 : 0]);
  const Vector f = load_vector(c, s.mesh, cache);
  solve_contact(c, s, k, f, coarse, kept[coarse ? 1 : 0], predict);
  if (prediction.valid()) prediction.wait();  // unused (a kept contact): it reads s.mesh until done
  if (!coarse) average_moments(s, cache);
  return s;
}

}  // namespace

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

SlabSolution solve_case(const SlabCase& c, SparseBackend backend) {
#if JPCP_SLAB_CHOLMOD
  if (backend == SparseBackend::cholmod_ldlt) return solve_system<CholmodFactor>(c, false);
#else
  (void)backend;
#endif
  return solve_system<EigenFactor>(c, false);
}

bool response_at(const SlabSolution& s, double x_in, double y_in, PointResponse& out) {
  constexpr double tolerance = 1e-6;
  const SlabMesh& mesh = s.mesh;
  // Lane slabs first: the outer lane edge y = 0 belongs to the lane, not to the shoulder.
  for (int pass = 0; pass < 2; ++pass) {
  for (const SlabPanel& p : mesh.panels) {
    if (p.shoulder != (pass == 1)) continue;
    if (x_in < p.x0 - tolerance || x_in > p.x1 + tolerance || y_in < p.y0 - tolerance || y_in > p.y1 + tolerance)
      continue;
    const ElementPoint ep = element_at(mesh, p, x_in, y_in);
    const double a = ep.a, b = ep.b, lx = ep.lx, ly = ep.ly;
    const std::array<int32_t, 4>& nodes = ep.nodes;
    const PlateElement e(a, b, s.rigidity, s.poisson);
    out = PointResponse{};
    out.x_in = x_in;
    out.y_in = y_in;
    out.deflection_in = e.deflection(element_dofs(s.dofs, nodes), lx, ly);
    // Moments: bilinear in the averaged corner moments.
    const double tx = lx / a, ty = ly / b;
    const std::array<double, 4> weight = {(1 - tx) * (1 - ty), tx * (1 - ty), tx * ty, (1 - tx) * ty};
    Moments m{};
    for (size_t n = 0; n < 4; ++n)
      for (size_t d = 0; d < 3; ++d) m[d] += weight[n] * s.nodal_moments[static_cast<size_t>(nodes[n])][d];
    const double section = 6.0 / (s.thickness_in * s.thickness_in);
    out.stress_bottom_x_psi = section * m[0];
    out.stress_bottom_y_psi = section * m[1];
    out.stress_top_x_psi = -section * m[0];
    out.stress_top_y_psi = -section * m[1];
    out.stress_bottom_xy_psi = section * m[2];
    return true;
  }
  }
  return false;
}

std::vector<std::vector<PointResponse>> solve_cases(const std::vector<SlabCase>& cases, unsigned threads) {
  std::vector<std::vector<PointResponse>> results(cases.size());
  if (threads == 0) threads = std::max(1u, std::thread::hardware_concurrency());
  threads = static_cast<unsigned>(std::min<size_t>(threads, std::max<size_t>(1, cases.size())));
  // The threads take blocks of consecutive cases in turn; a thread starts
  // each block afresh (block_generation), so every run writes the same bytes
  // whatever the number of threads.
  constexpr size_t block_cases = 32;
  std::atomic<size_t> next_block{0};
  auto work = [&] {
    for (size_t begin; (begin = next_block.fetch_add(block_cases)) < cases.size();) {
      ++block_generation;
      for (size_t i = begin; i < std::min(cases.size(), begin + block_cases); ++i) {
        const SlabSolution s = solve_case(cases[i]);
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
