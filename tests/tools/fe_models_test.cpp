// The design meshes of the finite-element model folders against the closed
// forms (bonded slabs large enough to count as infinite where the closed form
// assumes it) at a small, a middle and a large radius of relative stiffness,
// and the manifest's checksum against a known digest.
#include <gtest/gtest.h>

#include <cmath>

#include "slab/slab_solver.h"
#include "tools/jpcp_models/fe_models.h"
#include "tools/jpcp_models/sha256.h"

namespace jpcp::models {
namespace {

namespace formulas = ::jpcp::models::slab;

fem::SlabCase bonded_slab(double length_in, double width_in, double l) {
  constexpr double h = 10;
  fem::SlabCase c = fe::base_case(h, fe::modulus_for(l, h, 100), 100, formulas::reference_gamma);
  c.tensionless = false;
  c.self_weight = false;
  c.lengths_ft = {length_in / 12};
  c.widths_ft = {width_in / 12};
  return c;
}

TEST(DesignMeshes, ReproduceTheEdgeStressAndCornerDeflectionClosedForms) {
  const Meshing m = design_meshing();
  constexpr double P = 9000, pressure = 100;
  const double a = std::sqrt(P / (formulas::pi * pressure)), side = a * std::sqrt(formulas::pi);
  for (const double l : {25.0, 43.0, 80.0}) {
    // Edge: the load tangent to the long edge at mid-length, bottom stress along the edge.
    fem::SlabCase edge = bonded_slab(8 * l, 5 * l, l);
    edge.mesh_in = m.stress.size(l, 8 * l);
    edge.refine_in = m.stress.under_loads(edge.mesh_in);
    edge.loads = {{4 * l - side / 2, 0, side, side, pressure}};
    fem::PointResponse r;
    ASSERT_TRUE(fem::response_at(fem::solve_case(edge), 4 * l, 0, r));
    const double stress = formulas::edge_stress(P, a, 10, l);
    EXPECT_NEAR(r.stress_bottom_x_psi / stress, 1.0, 0.05) << "edge stress, l = " << l;
    // Corner: a square load of side c at the corner of a 5 l square slab.
    fem::SlabCase corner = bonded_slab(5 * l, 5 * l, l);
    corner.mesh_in = m.deflection.size(l, 5 * l);
    corner.refine_in = m.deflection.under_loads(corner.mesh_in);
    corner.loads = {{0, 0, side, side, pressure}};
    ASSERT_TRUE(fem::response_at(fem::solve_case(corner), 0, 0, r));
    const double deflection = P / (100 * l * l) * (1.205 - 0.69 * side / l);
    EXPECT_NEAR(r.deflection_in / deflection, 1.0, 0.05) << "corner deflection, l = " << l;
  }
}

TEST(Manifest, ChecksumsAreSha256) {
  EXPECT_EQ(sha256_hex("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  EXPECT_EQ(sha256_hex(std::string(1000, 'a')).substr(0, 16), "41edece42d63e8d9");
}

}  // namespace
}  // namespace jpcp::models
