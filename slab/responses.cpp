#include "slab/responses.h"

#include <algorithm>
#include <vector>

namespace jpcp::slab {
namespace internal {

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

}  // namespace internal

using internal::element_at;
using internal::element_dofs;
using internal::ElementPoint;

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

}  // namespace jpcp::slab
