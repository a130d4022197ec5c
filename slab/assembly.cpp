#include "slab/assembly.h"

#include <algorithm>

namespace jpcp::slab::internal {

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

void AssemblyPlan::make(const SlabMesh& mesh, ElementCache& cache) {
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

}  // namespace jpcp::slab::internal
