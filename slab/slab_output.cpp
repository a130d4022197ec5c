#include "slab/slab_output.h"

#include <cstdio>
#include <string>

namespace jpcp::slab {
namespace {

std::string number(double v) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.7g", v);
  return buffer;
}

}  // namespace

void write_responses(std::ostream& out, const std::vector<PointResponse>& rows) {
  out << response_header << "\n";
  for (const PointResponse& r : rows) {
    out << number(r.x_in) << ',' << number(r.y_in) << ',' << number(r.deflection_in) << ','
        << number(r.stress_bottom_x_psi) << ',' << number(r.stress_bottom_y_psi) << ',' << number(r.stress_top_x_psi)
        << ',' << number(r.stress_top_y_psi) << "\n";
  }
}

void write_contact_map(std::ostream& out, const SlabSolution& s) {
  out << "x_in,y_in,slab,contact\n";
  for (int32_t n = 0; n < s.mesh.node_count(); ++n) {
    const auto i = static_cast<size_t>(n);
    out << number(s.mesh.node_x[i]) << ',' << number(s.mesh.node_y[i]) << ',' << s.mesh.node_panel[i] + 1 << ','
        << int(s.contact[i]) << "\n";
  }
}

void write_vtk(std::ostream& out, const SlabSolution& s) {
  const SlabMesh& mesh = s.mesh;
  const int32_t nodes = mesh.node_count();
  int64_t cells = 0;
  for (const SlabPanel& p : mesh.panels) cells += int64_t(p.line_x1 - p.line_x0) * (p.line_y1 - p.line_y0);
  out << "# vtk DataFile Version 3.0\nslab system\nASCII\nDATASET UNSTRUCTURED_GRID\n";
  out << "POINTS " << nodes << " double\n";
  for (int32_t n = 0; n < nodes; ++n)
    out << number(mesh.node_x[static_cast<size_t>(n)]) << ' ' << number(mesh.node_y[static_cast<size_t>(n)]) << " 0\n";
  out << "CELLS " << cells << ' ' << cells * 5 << "\n";
  for (const SlabPanel& p : mesh.panels)
    for (int32_t iy = p.line_y0; iy < p.line_y1; ++iy)
      for (int32_t ix = p.line_x0; ix < p.line_x1; ++ix)
        out << "4 " << p.node(ix, iy) << ' ' << p.node(ix + 1, iy) << ' ' << p.node(ix + 1, iy + 1) << ' '
            << p.node(ix, iy + 1) << "\n";
  out << "CELL_TYPES " << cells << "\n";
  for (int64_t c = 0; c < cells; ++c) out << "9\n";  // quadrilateral
  out << "POINT_DATA " << nodes << "\n";
  auto field = [&](const char* name, auto value) {
    out << "SCALARS " << name << " double 1\nLOOKUP_TABLE default\n";
    for (int32_t n = 0; n < nodes; ++n) out << number(value(static_cast<size_t>(n))) << "\n";
  };
  const double section = 6.0 / (s.thickness_in * s.thickness_in);
  field("deflection_in", [&](size_t n) { return s.dofs[3 * n]; });
  field("contact", [&](size_t n) { return double(s.contact[n]); });
  field("stress_bottom_x_psi", [&](size_t n) { return section * s.nodal_moments[n][0]; });
  field("stress_bottom_y_psi", [&](size_t n) { return section * s.nodal_moments[n][1]; });
  field("stress_top_x_psi", [&](size_t n) { return -section * s.nodal_moments[n][0]; });
  field("stress_top_y_psi", [&](size_t n) { return -section * s.nodal_moments[n][1]; });
}

}  // namespace jpcp::slab
