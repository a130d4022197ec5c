// Responses of a solved system: moments averaged at the nodes and the
// element that holds a point (response_at, slab_solver.h, reads them).
#pragma once

#include <array>
#include <cstdint>

#include "slab/assembly.h"
#include "slab/slab_mesh.h"
#include "slab/slab_solver.h"

namespace jpcp::slab::internal {

// Moments of every node averaged over the node's elements of the same slab.
void average_moments(SlabSolution& s, ElementCache& cache);

// The element of panel p that holds the point (x, y) (clamped to the
// panel) and the point in the element's frame.
struct ElementPoint {
  std::array<int32_t, 4> nodes;
  double a, b;    // sides (in)
  double lx, ly;  // local coordinates (in)
};
ElementPoint element_at(const SlabMesh& mesh, const SlabPanel& p, double x_in, double y_in);

}  // namespace jpcp::slab::internal
