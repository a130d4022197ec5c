// The mesh of a slab system: one rectangular grid of mesh lines over the
// whole system, refined under the loads; every slab has its own nodes (the
// nodes on a joint line exist once on each side) and its own elements.
#pragma once

#include <cstdint>
#include <vector>

#include "slab/slab_case.h"

namespace jpcp::slab {

struct SlabPanel {
  double x0 = 0, x1 = 0, y0 = 0, y1 = 0;  // extent (in)
  int32_t line_x0 = 0, line_x1 = 0;       // first and last x-line index inside it
  int32_t line_y0 = 0, line_y1 = 0;
  int32_t first_node = 0;                 // node id of (line_x0, line_y0)
  bool shoulder = false;
  int32_t nodes_x() const { return line_x1 - line_x0 + 1; }
  int32_t nodes_y() const { return line_y1 - line_y0 + 1; }
  // Node id of the global mesh lines (ix, iy) on this slab.
  int32_t node(int32_t ix, int32_t iy) const { return first_node + (ix - line_x0) + nodes_x() * (iy - line_y0); }
};

// Two nodes on either side of a joint tied by a shear spring (lb/in).
struct JointSpring {
  int32_t node_a = 0;
  int32_t node_b = 0;
  double stiffness = 0.0;
};

struct SlabMesh {
  std::vector<double> lines_x;  // strictly increasing (in)
  std::vector<double> lines_y;
  std::vector<SlabPanel> panels;  // column fastest: panel (i, j) = panels[i + columns * j]
  int32_t columns = 0;
  int32_t rows = 0;
  std::vector<double> node_x, node_y;
  std::vector<int32_t> node_panel;
  std::vector<double> node_area;  // tributary foundation area (in^2)
  std::vector<JointSpring> joint_springs;
  int32_t node_count() const { return static_cast<int32_t>(node_x.size()); }
};

// Mesh lines of one direction: breakpoints (slab edges, load edges, the edges
// of the refined zones) and between them equal elements no longer than the
// local size: `fine` inside a refined zone, `coarse` elsewhere.
std::vector<double> mesh_lines(std::vector<double> edges, const std::vector<std::pair<double, double>>& fine_zones,
                               double coarse, double fine);

// Builds the mesh of a checked case; `transverse_psi` and
// `longitudinal_psi` are the joint stiffnesses per unit length.
SlabMesh build_mesh(const SlabCase& c, double transverse_psi, double longitudinal_psi);

}  // namespace jpcp::slab
