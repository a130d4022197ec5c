// Ordering of the unknowns of a large mesh for its factorisation.
#pragma once

#include <utility>
#include <vector>

#include "slab/slab_mesh.h"

namespace jpcp::slab::internal {

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
JointSeparatedOrder joint_separated_order(const SlabMesh& mesh);

}  // namespace jpcp::slab::internal
