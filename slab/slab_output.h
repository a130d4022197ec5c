// Text outputs of a solution: the response CSV, the contact map and a
// legacy-format VTK file of the mesh with its fields (for ParaView).
#pragma once

#include <ostream>
#include <vector>

#include "slab/slab_solver.h"

namespace jpcp::slab {

// Header of the response CSV.
inline constexpr const char* response_header =
    "x_in,y_in,deflection_in,stress_bottom_x_psi,stress_bottom_y_psi,stress_top_x_psi,stress_top_y_psi";

// One CSV row per point, after the header.
void write_responses(std::ostream& out, const std::vector<PointResponse>& rows);

// Contact map: one row per foundation node "x_in,y_in,slab,contact" (slab
// numbered from 1, column fastest; contact 1 when the spring pushes).
void write_contact_map(std::ostream& out, const SlabSolution& s);

// Unstructured grid of quadrilaterals with point data deflection, contact
// and the four stresses.
void write_vtk(std::ostream& out, const SlabSolution& s);

}  // namespace jpcp::slab
