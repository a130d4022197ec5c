// One slab-system case: geometry, materials, foundation, temperature, joints,
// mesh, loads and the points where responses are wanted. Units: in, ft where
// the name says so, psi, pci, lb, degrees F.
//
// Coordinates: x along the traffic from the first transverse joint (x = 0),
// y across it from the outer lane edge (y = 0) inwards; a shoulder lies at
// y < 0. Deflection is positive downwards (into the foundation).
#pragma once

#include <string>
#include <vector>

namespace jpcp::slab {

// Load transfer across one family of joints: a shear-spring stiffness per
// unit length of joint (psi = lb/in per in), or a target deflection load
// transfer efficiency turned into one (see joint_stiffness_for_lte).
struct JointTransfer {
  double lte_percent = 0.0;
  double stiffness_psi = -1.0;  // >= 0 overrides lte_percent
};

// Dowels across every transverse joint of the lane rows: one shear spring of
// `stiffness_lb_per_in` every `spacing_in`, the first at `first_in` from the
// row's lower edge.
struct Dowels {
  bool present = false;
  double stiffness_lb_per_in = 0.0;
  double spacing_in = 12.0;
  double first_in = 6.0;
};

// Uniform pressure on a rectangle x..x+length, y..y+width.
struct RectangleLoad {
  double x_in = 0.0;
  double y_in = 0.0;
  double length_in = 0.0;
  double width_in = 0.0;
  double pressure_psi = 0.0;
};

struct ResponsePoint {
  double x_in = 0.0;
  double y_in = 0.0;
};

struct SlabCase {
  std::vector<double> lengths_ft;  // slab lengths along the traffic
  std::vector<double> widths_ft;   // lane slab widths across it, from y = 0 inwards
  double shoulder_width_ft = 0.0;  // 0: no shoulder; else a slab row at y < 0
  double thickness_in = 0.0;
  double modulus_psi = 0.0;
  double poisson = 0.0;
  double unit_weight_pcf = 0.0;
  double cte_per_F = 0.0;
  double k_pci = 0.0;
  bool tensionless = true;
  bool self_weight = true;
  double temperature_difference_F = 0.0;  // top minus bottom
  JointTransfer transverse;
  JointTransfer longitudinal;  // lane/lane and lane/shoulder joints
  Dowels dowels;
  double mesh_in = 6.0;
  double refine_in = 0.0;  // element size under loads; 0: a quarter of the smallest load side, at most mesh_in
  int max_contact_iterations = 100;
  // Start the contact iteration from the contact of the thread's previous
  // case when it had the same mesh (grids of many similar cases); false
  // starts from full contact.
  bool warm_start = false;
  // A large tensionless case without a contact to start from starts from
  // the contact found on a coarse mesh of the same system; false starts
  // from full contact.
  bool predict_contact = true;
  // The case may use a second thread (one case a process, a core to spare):
  // the contact prediction runs beside the assembly and ordering of the
  // case's own matrix, and independent slabs are factorised side by side.
  // The figures are the same either way. False keeps a case on its thread
  // (a pool of threads over many cases).
  bool second_thread = false;
  std::vector<RectangleLoad> loads;
  std::vector<ResponsePoint> points;
};

// Radius of relative stiffness (in) of the case's slab.
double radius_of_relative_stiffness(const SlabCase& c);

// Shear stiffness per unit joint length (psi) that gives a deflection load
// transfer efficiency of lte_percent across a joint between slabs of radius
// ell on k, from the relation LTE = 1 / (1 + 1.2 (AGG / (k ell))^-0.849).
// 0 % gives 0; 100 % gives a stiffness that makes the joint practically rigid.
double joint_stiffness_for_lte(double lte_percent, double k_pci, double ell_in);

}  // namespace jpcp::slab
