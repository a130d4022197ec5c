#include "slab/joint_order.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace jpcp::slab::internal {
namespace {

// Nested dissection of the grid nodes [i0, i1) x [j0, j1): a plate element
// couples only the nodes of neighbouring grid lines, so one line across
// the longer side separates the two halves; each half is ordered the same
// way first, the line last, down to single nodes. On the speed case
// (slab/README.md) the factor then takes 4.6 % fewer operations than with
// each slab ordered by METIS's nested dissection of its graph (7.74e7
// against 8.11e7), and the order costs microseconds instead of 10 ms.
template <class F>
void dissect_grid(int32_t i0, int32_t i1, int32_t j0, int32_t j1, F&& visit) {
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

}  // namespace

JointSeparatedOrder joint_separated_order(const SlabMesh& mesh) {
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

}  // namespace jpcp::slab::internal
