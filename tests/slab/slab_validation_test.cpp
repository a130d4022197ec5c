// The slab solver against the classic closed-form solutions for a slab on a
// dense-liquid foundation (bonded springs, no self weight, slabs large enough
// to count as infinite where the closed form assumes it), and the properties
// the closed forms cannot check: mesh convergence, symmetry, superposition
// and the tensionless foundation. Circular loads are squares of equal area.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <thread>
#include <vector>

#include "slab/slab_solver.h"

namespace jpcp::slab {
namespace {

constexpr double pi = std::numbers::pi;
constexpr double E = 4e6, h = 10, nu = 0.15, k = 100, alpha = 5.5e-6;
constexpr double P = 9000, pressure = 100;  // one 9 kip wheel set at 100 psi

double ell() { return std::pow(E * h * h * h / (12 * (1 - nu * nu) * k), 0.25); }
double radius() { return std::sqrt(P / (pi * pressure)); }
double square_side() { return radius() * std::sqrt(pi); }

SlabCase plain_case(double length_in, double width_in, double mesh_in) {
  SlabCase c;
  c.lengths_ft = {length_in / 12};
  c.widths_ft = {width_in / 12};
  c.thickness_in = h;
  c.modulus_psi = E;
  c.poisson = nu;
  c.unit_weight_pcf = 150;
  c.cte_per_F = alpha;
  c.k_pci = k;
  c.tensionless = false;
  c.self_weight = false;
  c.mesh_in = mesh_in;
  return c;
}

PointResponse at(const SlabSolution& s, double x, double y) {
  PointResponse r;
  EXPECT_TRUE(response_at(s, x, y, r)) << x << ", " << y;
  return r;
}

// Relative difference with the closed form, printed for the README table.
double relative(double solver, double closed, const char* what) {
  const double d = solver / closed - 1;
  std::printf("%-28s closed %10.5g  solver %10.5g  difference %+6.2f %%\n", what, closed, solver, 100 * d);
  return d;
}

TEST(SlabClassicSolutions, WestergaardInterior) {
  const double l = ell(), a = radius(), c = square_side(), L = 8.5 * l;
  SlabCase sc = plain_case(L, L, 6);
  sc.loads = {{L / 2 - c / 2, L / 2 - c / 2, c, c, pressure}};
  const PointResponse r = at(solve_case(sc), L / 2, L / 2);
  constexpr double gamma = 0.5772;
  const double stress = 3 * (1 + nu) * P / (2 * pi * h * h) * (std::log(2 * l / a) + 0.5 - gamma) +
                        3 * (1 + nu) * P / (64 * h * h) * (a / l) * (a / l);
  const double deflection =
      P / (8 * k * l * l) * (1 + 1 / (2 * pi) * (std::log(a / (2 * l)) + gamma - 1.25) * (a / l) * (a / l));
  EXPECT_LT(std::abs(relative(r.stress_bottom_x_psi, stress, "interior stress")), 0.03);
  EXPECT_LT(std::abs(relative(r.stress_bottom_y_psi, stress, "interior stress (y)")), 0.03);
  EXPECT_LT(std::abs(relative(r.deflection_in, deflection, "interior deflection")), 0.03);
}

TEST(SlabClassicSolutions, WestergaardEdge) {
  const double l = ell(), a = radius(), c = square_side(), L = 8.5 * l;
  SlabCase sc = plain_case(L, 5 * l, 6);
  sc.loads = {{L / 2 - c / 2, 0, c, c, pressure}};  // tangent to the edge y = 0
  const PointResponse r = at(solve_case(sc), L / 2, 0);
  const double stress = 3 * (1 + nu) * P / (pi * (3 + nu) * h * h) *
                        (std::log(E * h * h * h / (100 * k * std::pow(a, 4))) + 1.84 - 4 * nu / 3 + (1 - nu) / 2 +
                         1.18 * (1 + 2 * nu) * a / l);
  const double deflection = std::sqrt(2 + 1.2 * nu) * P / std::sqrt(E * h * h * h * k) * (1 - (0.76 + 0.4 * nu) * a / l);
  EXPECT_LT(std::abs(relative(r.stress_bottom_x_psi, stress, "edge stress")), 0.05);
  EXPECT_LT(std::abs(relative(r.deflection_in, deflection, "edge deflection")), 0.05);
  EXPECT_NEAR(r.stress_bottom_y_psi, 0.0, 0.02 * stress) << "no normal stress at a free edge";
}

TEST(SlabClassicSolutions, WestergaardCorner) {
  const double l = ell(), c = square_side(), L = 5 * l;
  SlabCase sc = plain_case(L, L, 4);
  sc.loads = {{0, 0, c, c, P / (c * c)}};
  const SlabSolution s = solve_case(sc);
  // Largest top stress along the bisector, normal to it: -(6/h^2)((Mx + My)/2 + Mxy).
  double top = 0;
  for (double t = 0; t < 1.5 * l; t += 0.5) {
    const PointResponse r = at(s, t, t);
    top = std::max(top, -(r.stress_bottom_x_psi + r.stress_bottom_y_psi) / 2 - r.stress_bottom_xy_psi);
  }
  const double stress = 3 * P / (h * h) * (1 - std::pow(c / l, 0.72));
  const double deflection = P / (k * l * l) * (1.205 - 0.69 * c / l);
  EXPECT_LT(std::abs(relative(top, stress, "corner stress (top)")), 0.05);
  EXPECT_LT(std::abs(relative(at(s, 0, 0).deflection_in, deflection, "corner deflection")), 0.05);
}

// Edge stress at mid-length of a slab of length L (along the edge) and width
// 2 l, against C E alpha dT / 2. The closed form treats the edge as a beam; a
// narrow slab is where that holds (a wide slab restrains short edges more).
TEST(SlabClassicSolutions, WestergaardBradburyCurling) {
  const double l = ell(), dT = 10;
  for (double ratio : {2.0, 3.0, 4.0, 5.0, 6.0, 8.0, 10.0, 12.0}) {
    const double L = ratio * l;
    SlabCase sc = plain_case(L, 2 * l, l / 12);
    sc.temperature_difference_F = dT;
    const double lambda = ratio / std::sqrt(8.0);
    const double C = 1 - 2 * std::cos(lambda) * std::cosh(lambda) * (std::tan(lambda) + std::tanh(lambda)) /
                             (std::sin(2 * lambda) + std::sinh(2 * lambda));
    const std::string what = "curling L/l = " + std::to_string(static_cast<int>(ratio));
    EXPECT_LT(std::abs(relative(at(solve_case(sc), L / 2, 0).stress_bottom_x_psi, C * E * alpha * dT / 2, what.c_str())),
              0.03);
  }
}

// A target load transfer gives about that deflection ratio across the joint
// for a load at it; a shoulder without load transfer leaves the lane edge
// free, and the lane (not the shoulder) answers at y = 0.
TEST(SlabSolverProperties, JointsTransferTheirTargetAndAnUntiedShoulderLeavesTheEdgeFree) {
  const double c = square_side();
  for (double lte : {30.0, 70.0, 90.0}) {
    SlabCase sc = plain_case(180, 144, 6);
    sc.lengths_ft = {15, 15};
    sc.transverse.lte_percent = lte;
    sc.loads = {{180 - c, 72 - c / 2, c, c, pressure}};
    const SlabSolution s = solve_case(sc);
    const double loaded = at(s, 180, 72).deflection_in, unloaded = at(s, 180.001, 72).deflection_in;
    EXPECT_NEAR(100 * unloaded / loaded, lte, 3.0);
  }
  auto edge = [&](double shoulder_ft) {
    SlabCase sc = plain_case(180, 144, 6);
    sc.shoulder_width_ft = shoulder_ft;
    sc.loads = {{90 - c / 2, 0, c, c, pressure}};
    return at(solve_case(sc), 90, 0).stress_bottom_x_psi;
  };
  EXPECT_NEAR(edge(10), edge(0), 1e-6 * edge(0));
}

TEST(SlabSolverProperties, HalvingTheElementsChangesTheEdgeStressLittle) {
  const double l = ell(), c = square_side(), L = 6 * l;
  double previous = 0;
  for (double mesh : {12.0, 6.0}) {
    SlabCase sc = plain_case(L, 3 * l, mesh);
    sc.refine_in = mesh / 4;
    sc.loads = {{L / 2 - c / 2, 0, c, c, pressure}};
    const double stress = at(solve_case(sc), L / 2, 0).stress_bottom_x_psi;
    if (previous > 0) {
      EXPECT_LT(std::abs(relative(stress, previous, "edge stress, mesh 6 vs 12")), 0.01);
    }
    previous = stress;
  }
}

// Two slabs with a shoulder, loads mirrored about the middle joint: the
// responses mirror too, bonded or tensionless.
TEST(SlabSolverProperties, MirroredLoadsGiveMirroredResponses) {
  for (bool tensionless : {false, true}) {
    SlabCase sc = plain_case(180, 144, 8);
    sc.lengths_ft = {15, 15};
    sc.shoulder_width_ft = 6;
    sc.tensionless = tensionless;
    sc.self_weight = true;
    sc.temperature_difference_F = -20;
    sc.transverse.lte_percent = 60;
    sc.longitudinal.lte_percent = 30;
    sc.loads = {{160, 2, 10, 10, 90}, {190, 2, 10, 10, 90}};
    const SlabSolution s = solve_case(sc);
    EXPECT_TRUE(s.report.converged) << s.report.stop_reason;
    for (double x : {0.0, 60.0, 150.0, 170.0, 179.0}) {
      for (double y : {-36.0, 0.0, 5.0, 70.0}) {
        const PointResponse a = at(s, x, y), b = at(s, 360 - x, y);
        EXPECT_NEAR(a.deflection_in, b.deflection_in, 1e-7 + 1e-6 * std::abs(a.deflection_in)) << x << "," << y;
        EXPECT_NEAR(a.stress_bottom_x_psi, b.stress_bottom_x_psi, 1e-3) << x << "," << y;
        EXPECT_NEAR(a.stress_top_y_psi, b.stress_top_y_psi, 1e-3) << x << "," << y;
      }
    }
  }
}

TEST(SlabSolverProperties, BondedLoadAndCurlingSuperpose) {
  const double c = square_side();
  auto solve = [&](bool load, double dT) {
    SlabCase sc = plain_case(180, 144, 8);
    sc.self_weight = true;
    sc.temperature_difference_F = dT;
    sc.loads = {{90 - c / 2, 0, c, c, load ? pressure : 0.0}};  // the same mesh with and without the load
    const SlabSolution s = solve_case(sc);
    return std::array<PointResponse, 2>{at(s, 90, 0), at(s, 40, 70)};
  };
  const auto both = solve(true, 20), load = solve(true, 0), curl = solve(false, 20), weight = solve(false, 0);
  for (size_t i = 0; i < 2; ++i) {
    EXPECT_NEAR(both[i].stress_bottom_x_psi, load[i].stress_bottom_x_psi + curl[i].stress_bottom_x_psi -
                                                 weight[i].stress_bottom_x_psi, 1e-6 * 300);
    EXPECT_NEAR(both[i].deflection_in, load[i].deflection_in + curl[i].deflection_in - weight[i].deflection_in, 1e-9);
  }
}

// Self weight and a large difference: a positive one lifts the middle of
// the slab off the foundation (it curls down at the edges), a negative one
// the corners. No spring pulls and the load and curling stresses no longer
// add up.
TEST(SlabSolverProperties, TensionlessFoundationLiftsOffWithoutPulling) {
  const double c = square_side();
  for (double dT : {40.0, -40.0}) {
    auto solve = [&](bool tensionless, bool load, double difference) {
      SlabCase sc = plain_case(180, 144, 6);
      sc.tensionless = tensionless;
      sc.self_weight = true;
      sc.temperature_difference_F = difference;
      sc.loads = {{90 - c / 2, 0, c, c, load ? pressure : 0.0}};
      sc.predict_contact = false;  // the iteration itself, from full contact
      return solve_case(sc);
    };
    const SlabSolution s = solve(true, true, dT);
    ASSERT_TRUE(s.report.converged) << s.report.stop_reason;
    EXPECT_GT(s.report.iterations, 1);
    EXPECT_EQ(s.report.pulling, 0);
    EXPECT_EQ(s.report.penetrating, 0);
    int lifted = 0;
    for (int32_t n = 0; n < s.mesh.node_count(); ++n) {
      const auto i = static_cast<size_t>(n);
      if (s.contact[i]) {
        EXPECT_GE(s.dofs[3 * i], 0.0) << "spring pulls at node " << n;
      } else {
        EXPECT_LE(s.dofs[3 * i], 0.0) << "released node penetrates at node " << n;
      }
      lifted += s.contact[i] ? 0 : 1;
    }
    EXPECT_GT(lifted, 0);
    const PointResponse corner = at(s, 180, 144), middle = at(s, 90, 72);
    if (dT > 0) {
      EXPECT_LT(middle.deflection_in, 0.0) << "the middle lifts";
      EXPECT_GT(corner.deflection_in, 0.0);
    } else {
      EXPECT_LT(corner.deflection_in, 0.0) << "the corner lifts";
      EXPECT_GT(middle.deflection_in, 0.0);
    }
    // Edge stress under the load: combined against superposed (load alone
    // plus curling alone, each on the tensionless foundation with self weight).
    const double combined = at(s, 90, 0).stress_bottom_x_psi;
    const double superposed = at(solve(true, true, 0), 90, 0).stress_bottom_x_psi +
                              at(solve(true, false, dT), 90, 0).stress_bottom_x_psi -
                              at(solve(true, false, 0), 90, 0).stress_bottom_x_psi;
    std::printf("tensionless dT = %+.0f F: edge stress combined %.1f psi, superposed %.1f psi (%+.1f %%)\n", dT,
                combined, superposed, 100 * (combined / superposed - 1));
    EXPECT_GT(std::abs(combined - superposed), 0.05 * std::abs(superposed));
  }
}

// Largest difference of two solutions relative to the largest value of the first.
double relative_difference(const std::vector<double>& a, const std::vector<double>& b) {
  double diff = 0, scale = 0;
  for (size_t i = 0; i < a.size() && i < b.size(); ++i) {
    diff = std::max(diff, std::abs(a[i] - b[i]));
    scale = std::max(scale, std::abs(a[i]));
  }
  return a.size() == b.size() && scale > 0 ? diff / scale : 1.0;
}

// A case that starts from the contact of the previous case of its mesh ends
// in the same state as one that starts from full contact, in no more solves
// (the same dofs to round-off: the factor is modified along another path).
TEST(SlabSolverProperties, WarmStartEndsInTheSameContact) {
  SlabSolver solver;
  auto solve = [&](double dT, bool warm) {
    SlabCase sc = plain_case(180, 144, 8);
    sc.tensionless = true;
    sc.self_weight = true;
    sc.temperature_difference_F = dT;
    sc.warm_start = warm;
    sc.loads = {{85, 0, 10, 10, 90}};
    return solver.solve(sc);
  };
  solve(-40, false);
  const SlabSolution warm = solve(-36, true), cold = solve(-36, false);
  EXPECT_EQ(warm.contact, cold.contact);
  EXPECT_LT(relative_difference(cold.dofs, warm.dofs), 1e-10);
  EXPECT_LE(warm.report.iterations, cold.report.iterations);
}

// Two 15 ft slabs with a shoulder, 8 in elements, tensionless with self
// weight and curling, a wheel pair by the middle joint.
SlabCase two_slabs_with_shoulder(double dT) {
  SlabCase sc = plain_case(180, 144, 8);
  sc.lengths_ft = {15, 15};
  sc.shoulder_width_ft = 10;
  sc.transverse.lte_percent = 70;
  sc.longitudinal.lte_percent = 40;
  sc.tensionless = true;
  sc.self_weight = true;
  sc.temperature_difference_F = dT;
  sc.loads = {{170, 2, 10, 10, 100}, {170, 74, 10, 10, 100}};
  return sc;
}

// CHOLMOD's factor, modified between contact iterations, gives Eigen's
// solution (factorised anew every time) to round-off, on the tensionless
// two-slab system with curling either way.
TEST(SlabSolverProperties, FactorisationsAgree) {
  if (!backend_available(SparseBackend::cholmod_ldlt)) GTEST_SKIP() << "built without CHOLMOD";
  for (const double dT : {-30.0, 30.0}) {
    SlabCase sc = two_slabs_with_shoulder(dT);
    sc.predict_contact = false;
    const SlabSolution eigen = solve_case(sc, SparseBackend::eigen_ldlt);
    const SlabSolution cholmod = solve_case(sc, SparseBackend::cholmod_ldlt);
    EXPECT_GT(eigen.report.iterations, 2) << dT;
    EXPECT_EQ(eigen.report.iterations, cholmod.report.iterations) << dT;
    EXPECT_EQ(eigen.contact, cholmod.contact) << dT;
    EXPECT_LT(relative_difference(eigen.dofs, cholmod.dofs), 1e-10) << dT;
  }
}

// A large tensionless system started from the contact of its coarse mesh
// ends in the contact found from full contact, in fewer solves.
TEST(SlabSolverProperties, PredictedContactEndsInTheSameContact) {
  for (const double dT : {-30.0, 30.0}) {
    SlabCase sc = two_slabs_with_shoulder(dT);
    sc.predict_contact = false;
    const SlabSolution full = solve_case(sc, SparseBackend::eigen_ldlt);
    sc.predict_contact = true;
    const SlabSolution predicted = solve_case(sc);
    EXPECT_LT(predicted.report.iterations, full.report.iterations) << dT;
    EXPECT_EQ(predicted.contact, full.contact) << dT;
    EXPECT_LT(relative_difference(full.dofs, predicted.dofs), 1e-10) << dT;
    // Given a second thread (the prediction beside the assembly, the slabs
    // factorised side by side), the same bits; each on a thread that has
    // kept nothing from an earlier case.
    auto on_new_thread = [](const SlabCase& c) {
      SlabSolution s;
      std::thread([&] { s = solve_case(c); }).join();
      return s;
    };
    const SlabSolution one = on_new_thread(sc);
    sc.second_thread = true;
    const SlabSolution two = on_new_thread(sc);
    EXPECT_EQ(one.dofs, two.dofs) << dT;
  }
}

// Cases of one mesh solved on one and on two threads give the same bytes:
// what a thread keeps from case to case must not depend on how the cases
// fell to the threads (40 cases: two blocks, the second one short).
TEST(SlabSolverProperties, ManyCasesGiveTheSameResultsOnAnyNumberOfThreads) {
  std::vector<SlabCase> cases;
  for (int i = 0; i < 40; ++i) {
    SlabCase sc = plain_case(120, 96, 12);
    sc.tensionless = true;
    sc.self_weight = true;
    sc.warm_start = true;
    sc.temperature_difference_F = -40 + 2 * i;
    sc.loads = {{55, 0, 10, 10, 90}};
    sc.points = {{60, 0}, {0, 0}};
    cases.push_back(sc);
  }
  const auto one = solve_cases(cases, 1), two = solve_cases(cases, 2);
  ASSERT_EQ(one.size(), cases.size());
  ASSERT_EQ(two.size(), cases.size());
  for (size_t i = 0; i < cases.size(); ++i) {
    for (size_t p = 0; p < one[i].size(); ++p) {
      EXPECT_EQ(one[i][p].deflection_in, two[i][p].deflection_in) << i;
      EXPECT_EQ(one[i][p].stress_bottom_x_psi, two[i][p].stress_bottom_x_psi) << i;
    }
  }
}

}  // namespace
}  // namespace jpcp::slab
