#include "slab/slab_mesh.h"

#include <algorithm>
#include <cmath>

namespace jpcp::slab {
namespace {

constexpr double same_line = 1e-6;  // in; breakpoints closer than this are one line

int32_t line_index(const std::vector<double>& lines, double v) {
  const auto it = std::lower_bound(lines.begin(), lines.end(), v - same_line);
  return static_cast<int32_t>(it - lines.begin());
}

}  // namespace

std::vector<double> mesh_lines(std::vector<double> edges, const std::vector<std::pair<double, double>>& fine_zones,
                               double coarse, double fine) {
  std::sort(edges.begin(), edges.end());
  std::vector<double> unique;
  for (double e : edges) {
    if (unique.empty() || e - unique.back() > same_line) unique.push_back(e);
  }
  std::vector<double> lines;
  for (size_t i = 0; i + 1 < unique.size(); ++i) {
    const double lo = unique[i], hi = unique[i + 1], mid = 0.5 * (lo + hi);
    bool refined = false;
    for (const auto& z : fine_zones) refined = refined || (mid > z.first && mid < z.second);
    const double size = refined ? fine : coarse;
    const int n = std::max(1, static_cast<int>(std::ceil((hi - lo) / size - 1e-9)));
    for (int k = 0; k < n; ++k) lines.push_back(lo + (hi - lo) * k / n);
  }
  if (!unique.empty()) lines.push_back(unique.back());
  return lines;
}

SlabMesh build_mesh(const SlabCase& c, double transverse_psi, double longitudinal_psi) {
  SlabMesh mesh;
  std::vector<double> bx = {0.0}, by;
  for (double L : c.lengths_ft) bx.push_back(bx.back() + 12.0 * L);
  if (c.shoulder_width_ft > 0) by.push_back(-12.0 * c.shoulder_width_ft);
  by.push_back(0.0);
  for (double W : c.widths_ft) by.push_back(by.back() + 12.0 * W);

  double fine = c.mesh_in;
  if (c.refine_in > 0) {
    fine = std::min(fine, c.refine_in);
  } else {
    for (const auto& load : c.loads) fine = std::min(fine, std::min(load.length_in, load.width_in) / 4.0);
  }
  fine = std::max(fine, 0.05);
  std::vector<double> ex = bx, ey = by;
  std::vector<std::pair<double, double>> zx, zy;
  auto clip = [](double v, const std::vector<double>& b) { return std::clamp(v, b.front(), b.back()); };
  for (const auto& load : c.loads) {
    // Without refinement the zone around the load needs no lines of its own.
    const double margin = fine < c.mesh_in ? c.mesh_in : 0.0;
    for (double v : {load.x_in, load.x_in + load.length_in, load.x_in - margin, load.x_in + load.length_in + margin})
      ex.push_back(clip(v, bx));
    for (double v : {load.y_in, load.y_in + load.width_in, load.y_in - margin, load.y_in + load.width_in + margin})
      ey.push_back(clip(v, by));
    zx.emplace_back(load.x_in - margin, load.x_in + load.length_in + margin);
    zy.emplace_back(load.y_in - margin, load.y_in + load.width_in + margin);
  }
  mesh.lines_x = mesh_lines(ex, zx, c.mesh_in, fine);
  mesh.lines_y = mesh_lines(ey, zy, c.mesh_in, fine);
  mesh.columns = static_cast<int32_t>(bx.size() - 1);
  mesh.rows = static_cast<int32_t>(by.size() - 1);

  for (int32_t j = 0; j < mesh.rows; ++j) {
    for (int32_t i = 0; i < mesh.columns; ++i) {
      SlabPanel p;
      p.x0 = bx[static_cast<size_t>(i)];
      p.x1 = bx[static_cast<size_t>(i + 1)];
      p.y0 = by[static_cast<size_t>(j)];
      p.y1 = by[static_cast<size_t>(j + 1)];
      p.line_x0 = line_index(mesh.lines_x, p.x0);
      p.line_x1 = line_index(mesh.lines_x, p.x1);
      p.line_y0 = line_index(mesh.lines_y, p.y0);
      p.line_y1 = line_index(mesh.lines_y, p.y1);
      p.shoulder = c.shoulder_width_ft > 0 && j == 0;
      p.first_node = mesh.node_count();
      const int32_t panel_id = static_cast<int32_t>(mesh.panels.size());
      for (int32_t iy = p.line_y0; iy <= p.line_y1; ++iy) {
        for (int32_t ix = p.line_x0; ix <= p.line_x1; ++ix) {
          const auto sx = static_cast<size_t>(ix), sy = static_cast<size_t>(iy);
          const double hx = (ix > p.line_x0 ? mesh.lines_x[sx] - mesh.lines_x[sx - 1] : 0.0) +
                            (ix < p.line_x1 ? mesh.lines_x[sx + 1] - mesh.lines_x[sx] : 0.0);
          const double hy = (iy > p.line_y0 ? mesh.lines_y[sy] - mesh.lines_y[sy - 1] : 0.0) +
                            (iy < p.line_y1 ? mesh.lines_y[sy + 1] - mesh.lines_y[sy] : 0.0);
          mesh.node_x.push_back(mesh.lines_x[sx]);
          mesh.node_y.push_back(mesh.lines_y[sy]);
          mesh.node_panel.push_back(panel_id);
          mesh.node_area.push_back(0.25 * hx * hy);
        }
      }
      mesh.panels.push_back(p);
    }
  }

  // Half the lengths of the mesh intervals on either side of line v within [lo, hi].
  auto tributary = [](const std::vector<double>& lines, int32_t v, int32_t lo, int32_t hi) {
    const auto s = static_cast<size_t>(v);
    return 0.5 * ((v > lo ? lines[s] - lines[s - 1] : 0.0) + (v < hi ? lines[s + 1] - lines[s] : 0.0));
  };
  auto panel = [&](int32_t i, int32_t j) -> const SlabPanel& {
    return mesh.panels[static_cast<size_t>(i + mesh.columns * j)];
  };
  // Transverse joints (between columns) with their dowels.
  for (int32_t j = 0; j < mesh.rows; ++j) {
    for (int32_t i = 0; i + 1 < mesh.columns; ++i) {
      const SlabPanel& a = panel(i, j);
      const SlabPanel& b = panel(i + 1, j);
      std::vector<double> extra(static_cast<size_t>(a.nodes_y()), 0.0);
      if (c.dowels.present && !a.shoulder) {
        for (double y = a.y0 + c.dowels.first_in; y < a.y1 - same_line; y += c.dowels.spacing_in) {
          // Split each dowel between the two mesh lines around it.
          const int32_t hi = std::clamp(line_index(mesh.lines_y, y), a.line_y0 + 1, a.line_y1);
          const double y_lo = mesh.lines_y[static_cast<size_t>(hi - 1)], y_hi = mesh.lines_y[static_cast<size_t>(hi)];
          const double t = std::clamp((y - y_lo) / (y_hi - y_lo), 0.0, 1.0);
          extra[static_cast<size_t>(hi - 1 - a.line_y0)] += (1.0 - t) * c.dowels.stiffness_lb_per_in;
          extra[static_cast<size_t>(hi - a.line_y0)] += t * c.dowels.stiffness_lb_per_in;
        }
      }
      for (int32_t iy = a.line_y0; iy <= a.line_y1; ++iy) {
        const double s = transverse_psi * tributary(mesh.lines_y, iy, a.line_y0, a.line_y1) +
                         extra[static_cast<size_t>(iy - a.line_y0)];
        if (s > 0) mesh.joint_springs.push_back({a.node(a.line_x1, iy), b.node(b.line_x0, iy), s});
      }
    }
  }
  // Longitudinal joints (between rows).
  for (int32_t j = 0; j + 1 < mesh.rows; ++j) {
    for (int32_t i = 0; i < mesh.columns; ++i) {
      const SlabPanel& a = panel(i, j);
      const SlabPanel& b = panel(i, j + 1);
      for (int32_t ix = a.line_x0; ix <= a.line_x1; ++ix) {
        const double s = longitudinal_psi * tributary(mesh.lines_x, ix, a.line_x0, a.line_x1);
        if (s > 0) mesh.joint_springs.push_back({a.node(ix, a.line_y1), b.node(ix, b.line_y0), s});
      }
    }
  }
  return mesh;
}

}  // namespace jpcp::slab
