// Assembly of a slab system: element matrices and loads per element size,
// the load vector, and the plate and joint stiffness in a pattern kept for
// the next case of the same mesh.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <utility>
#include <vector>

#include "slab/plate_element.h"
#include "slab/slab_case.h"
#include "slab/slab_mesh.h"
#include "slab/sparse_factor.h"

namespace jpcp::slab::internal {

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

inline double side(const std::vector<double>& lines, int32_t i) {
  return lines[static_cast<size_t>(i) + 1] - lines[static_cast<size_t>(i)];
}

inline ElementVector element_dofs(const std::vector<double>& dofs, const std::array<int32_t, 4>& nodes) {
  ElementVector u{};
  for (size_t n = 0; n < 4; ++n)
    for (size_t d = 0; d < 3; ++d) u[3 * n + d] = dofs[3 * static_cast<size_t>(nodes[n]) + d];
  return u;
}

// Load vector: self weight, the loads and the free curvature.
Vector load_vector(const SlabCase& c, const SlabMesh& mesh, ElementCache& cache);

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
  void make(const SlabMesh& mesh, ElementCache& cache);
};

// Lower triangle of plate and joint stiffness, with every w diagonal present.
SparseMatrix plate_matrix(const SlabMesh& mesh, ElementCache& cache, AssemblyPlan& plan);

}  // namespace jpcp::slab::internal
