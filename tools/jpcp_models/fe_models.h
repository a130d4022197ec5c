// Response model folders computed by the slab finite-element solver. They
// have the files, inputs, ranges and meanings of the demonstration folders
// (demo_models.h); every grid value is a solve of a slab system that
// represents the model's reference slab:
// - bottom-up load models: one slab L ft x 12 ft of thickness h_r(l)
//   (E = 4e6 psi, nu = 0.15, k = 100 pci, 0.087 pci), tensionless with self
//   weight, daytime difference from phi, the axle (or the first axle of the
//   tandem) at mid-slab with its outer wheel set x_p from the edge; bottom
//   stress along the edge at mid-slab;
// - edge tire and adjacent-axle models: slab of thickness h_r with a 10 ft
//   shoulder tied by the model's load transfer, bonded springs, one tire;
//   bottom stress along the edge at mid-slab;
// - top-down models: a slab Ls long between 6 ft pieces of its neighbours,
//   12 ft lane and 6 ft shoulder (load transfer 2 (e - 5) %, transverse
//   joints 50 %), 10 in and 0.087
//   pci, k from l, tensionless with self weight and a night-time difference
//   from phi; one axle of half the tandem load at each end of the middle
//   slab, S ft apart; top stress along the edge at mid-slab. The sixth
//   input does not change the response (the programs use its first value);
// - faulting deflection models: two slabs of the node's joint spacing with a
//   6 ft shoulder (load transfer ES %), joint load transfer LTE %, 10 in and
//   150 pcf, k from l, tensionless with self weight and a night-time
//   difference from phi; the axles on the leave slab from the joint on; the
//   corner deflections on both sides of the joint divided by
//   beta = 34100596 h / (k l^4);
// - the curl grid: one slab of the joint spacing, its corner deflection under
//   self weight and the night-time difference, divided by beta.
// Circular wheel sets are squares of equal area; a wheel set is 6 in in
// radius, the two of an axle 72 in apart, tandem axles 51.5 in apart.
#pragma once

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "slab/slab_solver.h"
#include "tools/jpcp_models/demo_models.h"
#include "tools/jpcp_models/model_builder.h"
#include "tools/jpcp_models/slab_formulas.h"

namespace jpcp::models {

namespace fem = ::jpcp::slab;  // the finite-element solver; slab:: here holds the closed forms

using SlabResponses = std::vector<fem::PointResponse>;

// Models that share their grid and their solves: one slab case per grid
// node, several response files from its point responses.
struct FeModelGroup {
  GridSpec grid;
  std::vector<bool> unused;  // inputs that do not change the case: solved at their first node only
  std::function<fem::SlabCase(const Inputs&)> make_case;
  std::vector<std::pair<std::string, std::function<double(const Inputs&, const SlabResponses&)>>> outputs;
};

namespace fe {

inline constexpr double wheel_side = 6.0 * 1.7724538509055159;  // square of a 6 in circle's area
inline constexpr double track_in = 72.0;                        // wheel set to wheel set of an axle
inline constexpr double shoulder_ft = 10.0;
inline constexpr double narrow_shoulder_ft = 6.0;
inline constexpr double neighbour_ft = 6.0;

// Nodes of one dimension: `count` values over [lo, hi], geometric or even.
inline std::vector<float> axis(double lo, double hi, int count, bool geometric) {
  return geometric ? geometric_nodes(lo, hi, count) : nodes(lo, hi, count);
}

// Element size (in) of a system of radius l (in) whose longest side is
// `longest_in`: l / per_radius within [min_in, max_in], and no smaller than
// longest / per_longest (per_longest = 0: no such bound); times `scale` (a
// convergence study's refinement).
// Under the loads (and one element around them) elements of at most
// `refine_in` (0: no finer than elsewhere), times `scale` too.
struct MeshRule {
  double per_radius, min_in, max_in, per_longest;
  double refine_in = 0.0;
  double scale = 1.0;
  double size(double l, double longest_in) const {
    if (per_longest <= 0.0) return scale * std::clamp(l / per_radius, min_in, max_in);
    return scale * std::clamp(l / per_radius, std::max(min_in, longest_in / per_longest), max_in);
  }
  double under_loads(double element_in) const {
    return refine_in > 0.0 ? std::min(element_in, scale * refine_in) : element_in;
  }
};

// The element sizes of a folder: stresses and deflections.
struct Meshing {
  std::string name;
  MeshRule stress, deflection;
  MeshRule far_stress;  // stresses read away from the loads (the top-down systems)
};

// The small test folders (--points N): l / 2.5 within [3, 12] in (stresses)
// or [3, 16] in (deflections), no smaller than 1/30 (1/24) of the system.
inline Meshing test_meshing() {
  return {"test", {2.5, 3.0, 12.0, 30.0}, {2.5, 3.0, 16.0, 24.0}, {2.5, 3.0, 12.0, 30.0}};
}

// The design folders: from the convergence study of docs/model-verification.md
// (the stresses at the governing positions within 1 % of a mesh twice as
// fine, the corner deflections within 2 %). Stresses under the wheels need
// elements of 2.5 in there; the top-down stress, read at mid-slab far from
// the axles at the slab's ends, needs no refinement under them.
inline Meshing design_meshing() {
  return {"design", {4.0, 2.0, 8.0, 0.0, 2.5}, {2.0, 3.0, 12.0, 0.0, 6.0}, {4.0, 2.0, 8.0, 0.0}};
}

inline fem::SlabCase base_case(double h, double E, double k, double gamma_pci) {
  fem::SlabCase c;
  c.widths_ft = {12};
  c.thickness_in = h;
  c.modulus_psi = E;
  c.poisson = slab::nu;
  c.unit_weight_pcf = gamma_pci * 1728.0;
  c.cte_per_F = 5.5e-6;
  c.k_pci = k;
  c.tensionless = true;
  c.self_weight = true;
  return c;
}

// Temperature difference (F) of Korenev parameter phi for the case's slab.
inline double difference_for(const fem::SlabCase& c, double phi) {
  const double l = fem::radius_of_relative_stiffness(c);
  const double gamma = c.unit_weight_pcf / 1728.0;
  return phi * c.thickness_in * c.thickness_in * gamma / (2.0 * c.cte_per_F * (1.0 + c.poisson) * l * l * c.k_pci);
}

// One axle of load P at x (centre, in), its outer wheel set `offset` in from
// the edge y = 0.
inline void add_axle(fem::SlabCase& c, double P, double x, double offset) {
  const double p = P / 2.0 / (wheel_side * wheel_side);
  for (double y : {offset, offset + track_in}) c.loads.push_back({x - wheel_side / 2, y, wheel_side, wheel_side, p});
}

// Modulus of a slab of thickness h whose radius is l on k.
inline double modulus_for(double l, double h, double k) {
  return 12.0 * (1.0 - slab::nu * slab::nu) * k * std::pow(l, 4.0) / (h * h * h);
}

inline fem::SlabCase bottom_up_case(const Inputs& x, bool tandem, const Meshing& m) {
  const double L = x[0], rho = x[1], xp = x[2], phi = x[3], lambda = x[4];
  const double l = 12.0 * L / rho, h = slab::reference_thickness(l);
  fem::SlabCase c = base_case(h, slab::reference_modulus, slab::reference_k, slab::reference_gamma);
  c.lengths_ft = {L};
  c.mesh_in = m.stress.size(l, std::max(12.0 * L, 144.0));
  c.refine_in = m.stress.under_loads(c.mesh_in);
  c.temperature_difference_F = difference_for(c, phi);
  const double P = lambda * slab::reference_gamma * 1728.0 * L * h;
  const double mid = 6.0 * L;
  add_axle(c, P, mid, xp);
  if (tandem) add_axle(c, P, mid + demo::tandem_spacing, xp);  // the second axle behind the first
  c.points = {{mid, 0.0}};
  return c;
}

// Slab of thickness h_r with a shoulder, bonded, for one tire: length long
// enough to stand for an infinite slab along the edge.
inline fem::SlabCase tire_case(double h, double lte, double reach_in, const Meshing& m) {
  const double l = slab::reference_radius(h);
  fem::SlabCase c = base_case(h, slab::reference_modulus, slab::reference_k, slab::reference_gamma);
  const double length = 2.0 * std::max(90.0, reach_in + 3.0 * l);
  c.lengths_ft = {length / 12.0};
  c.shoulder_width_ft = shoulder_ft;
  c.tensionless = false;
  c.self_weight = false;
  c.longitudinal.lte_percent = lte;
  c.mesh_in = m.stress.size(l, length);
  c.refine_in = m.stress.under_loads(c.mesh_in);
  c.points = {{length / 2, 0.0}};
  return c;
}

inline fem::SlabCase edge_tire_case(const Inputs& x, const Meshing& m) {
  const double lte = x[0], offset = x[1], w = x[2], r = x[3], h = x[4];
  fem::SlabCase c = tire_case(h, lte, 0.0, m);
  const double mid = c.points[0].x_in, along = r * w;
  c.loads.push_back({mid - along / 2, offset, along, w, 100.0});
  return c;
}

inline fem::SlabCase adjacent_axle_case(const Inputs& x, const Meshing& m) {
  const double h = x[0], y = x[1], s = x[2], lte = x[3];
  fem::SlabCase c = tire_case(h, lte, 80.0, m);
  const double side = 3.95 * 1.7724538509055159, mid = c.points[0].x_in;
  c.loads.push_back({mid + s - side / 2, y, side, side, 4900.0 / (side * side)});
  return c;
}

inline fem::SlabCase top_down_case(const Inputs& x, double slab_ft, double spacing_ft, const Meshing& m) {
  constexpr double h = 10.0;
  const double e = x[0], l = x[1], phi = x[2], q = x[3], xp = x[4];
  const double k = slab::reference_k;
  fem::SlabCase c = base_case(h, modulus_for(l, h, k), k, slab::reference_gamma);
  // The loaded slab between two 6 ft pieces of its neighbours (the axles reach
  // at most 4 ft past its joints), lane and a 6 ft shoulder: the grids need
  // thousands of these solves.
  c.lengths_ft = {neighbour_ft, slab_ft, neighbour_ft};
  c.shoulder_width_ft = narrow_shoulder_ft;
  c.transverse.lte_percent = 50.0;
  c.longitudinal.lte_percent = std::clamp(2.0 * (e - 5.0), 0.0, 100.0);
  c.mesh_in = m.far_stress.size(l, 12.0 * (slab_ft + 2.0 * neighbour_ft));
  c.refine_in = m.far_stress.under_loads(c.mesh_in);
  c.temperature_difference_F = -difference_for(c, phi);
  const double axle = q * 2.0 * slab::reference_gamma * 25920.0 * h / 2.0;
  const double mid = 12.0 * neighbour_ft + 6.0 * slab_ft;
  add_axle(c, axle, mid - 6.0 * spacing_ft, xp);
  add_axle(c, axle, mid + 6.0 * spacing_ft, xp);
  c.points = {{mid, 0.0}};
  return c;
}

// Corner deflection divided by beta = 34100596 h / (k l^4).
inline double dimensionless_deflection(const fem::SlabCase& c, double w) {
  const double l = fem::radius_of_relative_stiffness(c);
  return w * c.k_pci * std::pow(l, 4.0) / (slab::deflection_scale_constant * c.thickness_in);
}

inline fem::SlabCase faulting_case(const Inputs& x, int axles, double L, const Meshing& m) {
  constexpr double h = 10.0;
  const double l = x[0], es = x[1], lte = x[2], phi = x[3], lambda = x[4], d = x[5];
  const double k = slab::reference_k;
  fem::SlabCase c = base_case(h, modulus_for(l, h, k), k, slab::faulting_gamma);
  c.lengths_ft = {L, L};
  c.shoulder_width_ft = narrow_shoulder_ft;
  c.transverse.lte_percent = lte;
  c.longitudinal.lte_percent = es;
  c.mesh_in = m.deflection.size(l, 24.0 * L);
  c.refine_in = m.deflection.under_loads(c.mesh_in);
  c.temperature_difference_F = -difference_for(c, phi);
  const double W = slab::faulting_gamma * 25920.0 * h;
  const double joint = 12.0 * L;
  for (int a = 0; a < axles; ++a) add_axle(c, lambda * W, joint + wheel_side / 2 + a * demo::tandem_spacing, d);
  c.points = {{joint + 1e-4, 0.0}, {joint, 0.0}};  // loaded (leave) and unloaded (approach) corners
  return c;
}

inline fem::SlabCase curl_case(double L, double l, double phi, const Meshing& m) {
  constexpr double h = 10.0;
  const double k = slab::reference_k;
  fem::SlabCase c = base_case(h, modulus_for(l, h, k), k, slab::faulting_gamma);
  c.lengths_ft = {L};
  c.mesh_in = m.deflection.size(l, 12.0 * L);
  c.temperature_difference_F = -difference_for(c, phi);
  c.points = {{0.0, 0.0}};
  return c;
}

}  // namespace fe

using fe::design_meshing;
using fe::Meshing;
using fe::test_meshing;

// Grid of a model over the demonstration model's ranges: `points` nodes a
// dimension (the test folders), or with points = 0 the design grid of
// `design` nodes a dimension (where that is the demonstration model's count,
// its own nodes; `listed`: the design nodes of some inputs given one by
// one). The design counts are those of the off-grid check of
// docs/model-verification.md.
inline GridSpec fe_grid(const GridSpec& demo_grid, const std::vector<bool>& geometric, int points,
                        const std::vector<int>& design, const std::map<size_t, std::vector<float>>& listed = {}) {
  GridSpec g = demo_grid;
  for (size_t d = 0; d < g.nodes.size(); ++d) {
    if (points <= 0 && listed.count(d) != 0) {
      g.nodes[d] = listed.at(d);
      continue;
    }
    const int count = points > 0 ? std::max(points, static_cast<int>(g.orders[d])) : design[d];
    if (points <= 0 && static_cast<size_t>(count) == demo_grid.nodes[d].size()) continue;
    g.nodes[d] = fe::axis(demo_grid.nodes[d].front(), demo_grid.nodes[d].back(), count, geometric[d]);
  }
  return g;
}

inline std::vector<FeModelGroup> cracking_fe_groups(int points, const Meshing& m) {
  std::vector<FeModelGroup> groups;
  // L, 12L/l, x_p, phi, lambda; lambda dense near 0, where a light axle
  // presses a curled slab back onto the foundation (the stress rises
  // steeply up to lambda of about 0.2, then slowly)
  const GridSpec bottom = fe_grid(cracking_demo_models()[0].grid, {false, false, false, false, false}, points,
                                  {5, 8, 5, 6, 7}, {{4, {0, 0.25, 0.5, 1, 2, 3.5, 5}}});
  // The tandem's second axle is whole on the slab from L = 9.47 ft on: its
  // stress dips to there and rises steeply after, so more nodes below 14 ft.
  const GridSpec tandem = fe_grid(cracking_demo_models()[0].grid, {false, false, false, false, false}, points,
                                  {5, 8, 5, 6, 7}, {{0, {8, 9.5, 11, 13.5, 19, 24.5, 30}}, {4, {0, 0.25, 0.5, 1, 2, 3.5, 5}}});
  auto stress_bottom = [](const Inputs&, const SlabResponses& r) { return r[0].stress_bottom_x_psi; };
  groups.push_back({bottom, {}, [m](const Inputs& x) { return fe::bottom_up_case(x, false, m); }, {{"bottom_single.ttt", stress_bottom}}});
  groups.push_back({tandem, {}, [m](const Inputs& x) { return fe::bottom_up_case(x, true, m); }, {{"bottom_tandem.ttt", stress_bottom}}});
  // LTE, x, w, r, h
  groups.push_back({fe_grid(cracking_demo_models()[2].grid, {false, false, false, true, true}, points, {4, 6, 4, 5, 7}), {},
                    [m](const Inputs& x) { return fe::edge_tire_case(x, m); }, {{"edge_tire.ttt", stress_bottom}}});
  // h, y, s, LTE
  groups.push_back({fe_grid(cracking_demo_models()[3].grid, {true, false, false, false}, points, {7, 8, 5, 4}), {},
                    [m](const Inputs& x) { return fe::adjacent_axle_case(x, m); }, {{"adjacent_axle.ttt", stress_bottom}}});
  // e, l, phi (the demonstration nodes, dense about 0), q, x_p, the unused
  // sixth input; e dense towards 55 (a shoulder tied with 100 % load
  // transfer), where the top stress falls by a third over the last few units
  const GridSpec top = fe_grid(cracking_demo_models()[4].grid, {false, true, false, false, false, false}, points,
                               {6, 6, 8, 4, 4, 5}, {{0, {5, 25, 40, 48, 52, 55}}});
  auto stress_top = [](const Inputs&, const SlabResponses& r) { return r[0].stress_top_x_psi; };
  for (size_t r = 0; r < demo::top_down_slab_ft.size(); ++r) {
    for (size_t k = 0; k < 4; ++k) {
      const double slab_ft = demo::top_down_slab_ft[r], spacing = demo::top_down_spacing_ft[r][k];
      groups.push_back({top, {false, false, false, false, false, true},
                        [slab_ft, spacing, m](const Inputs& x) { return fe::top_down_case(x, slab_ft, spacing, m); },
                        {{"top" + std::to_string(static_cast<int>(slab_ft)) + "d" + std::to_string(k + 1) + ".ttt",
                          stress_top}}});
    }
  }
  return groups;
}

inline std::vector<FeModelGroup> faulting_fe_groups(int points, const Meshing& m) {
  std::vector<FeModelGroup> groups;
  // l, ES, LTE, phi, lambda, d; the two load transfers dense near 0, where a
  // stiff slab (large l) under a heavy axle deflects a sixth less with 5 %
  // than with none, and the unloaded corner of a curled slab under a heavy
  // axle deflects 6.9, 4.0, 2.9 and 2.5 times beta at LTE 0, 5, 12 and 20 %
  const GridSpec grid =
      fe_grid(faulting_demo_models()[0].grid, {true, false, false, false, false, false}, points, {6, 5, 6, 5, 4, 4},
              {{1, {0, 5, 20, 50, 100}}, {2, {0, 5, 10, 20, 50, 100}}});
  const std::array<const char*, 3> names = {"single", "tandem", "tridem"};
  for (int axles = 1; axles <= 3; ++axles) {
    for (double L : faulting_node_spacings_ft) {
      const std::string tail = "_" + std::to_string(static_cast<int>(L)) + ".ttt";
      const std::string stem = std::string("defl_") + names[static_cast<size_t>(axles - 1)];
      auto corner = [axles, L, m](size_t point) {
        return [axles, L, point, m](const Inputs& x, const SlabResponses& r) {
          return fe::dimensionless_deflection(fe::faulting_case(x, axles, L, m), r[point].deflection_in);
        };
      };
      groups.push_back({grid, {}, [axles, L, m](const Inputs& x) { return fe::faulting_case(x, axles, L, m); },
                        {{stem + "_loaded" + tail, corner(0)}, {stem + "_unloaded" + tail, corner(1)}}});
    }
  }
  return groups;
}

// Text that identifies a case: equal texts are equal cases (a node without
// load, for one, is the same case at every load position).
inline std::string case_key(const fem::SlabCase& c) {
  std::string key;
  char buffer[64];
  auto add = [&](double v) {
    std::snprintf(buffer, sizeof buffer, "%.17g,", v);
    key += buffer;
  };
  for (double v : c.lengths_ft) add(v);
  for (double v : {c.shoulder_width_ft, c.thickness_in, c.modulus_psi, c.unit_weight_pcf, c.k_pci,
                   c.temperature_difference_F, c.transverse.lte_percent, c.longitudinal.lte_percent, c.mesh_in,
                   c.refine_in, double(c.tensionless), double(c.self_weight)})
    add(v);
  for (const auto& l : c.loads) {
    if (l.pressure_psi == 0.0) continue;
    for (double v : {l.x_in, l.y_in, l.length_in, l.width_in, l.pressure_psi}) add(v);
  }
  for (const auto& p : c.points) {
    add(p.x_in);
    add(p.y_in);
  }
  return key;
}

// Responses of every case, solving each distinct case once on all cores
// (`solved`: how many were solved).
inline std::vector<SlabResponses> solve_distinct_cases(const std::vector<fem::SlabCase>& cases,
                                                       size_t* solved_count = nullptr) {
  std::map<std::string, size_t> first;
  std::vector<size_t> distinct_of(cases.size());
  std::vector<fem::SlabCase> distinct;
  for (size_t i = 0; i < cases.size(); ++i) {
    const auto [it, added] = first.emplace(case_key(cases[i]), distinct.size());
    if (added) distinct.push_back(cases[i]);
    distinct_of[i] = it->second;
  }
  // Cases of one mesh one after the other, and among them those of one
  // stiffness matrix (plate, foundation and joints), each starting from the
  // contact and the factor of the one before.
  std::vector<std::string> mesh_keys;
  for (fem::SlabCase& c : distinct) {
    c.warm_start = true;
    fem::SlabCase geometry = c;
    geometry.temperature_difference_F = geometry.k_pci = geometry.modulus_psi = 0.0;
    geometry.transverse = geometry.longitudinal = fem::JointTransfer{};
    for (auto& load : geometry.loads) load.pressure_psi = 1.0;
    char matrix[160];
    std::snprintf(matrix, sizeof matrix, "|%.17g,%.17g,%.17g,%.17g,%.17g,%.17g", c.modulus_psi, c.k_pci,
                  c.transverse.lte_percent, c.transverse.stiffness_psi, c.longitudinal.lte_percent,
                  c.longitudinal.stiffness_psi);
    mesh_keys.push_back(case_key(geometry) + matrix);
  }
  std::vector<size_t> order(distinct.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return mesh_keys[a] < mesh_keys[b]; });
  std::vector<fem::SlabCase> sorted;
  for (size_t i : order) sorted.push_back(distinct[i]);
  if (solved_count != nullptr) *solved_count = sorted.size();
  const std::vector<SlabResponses> solved_sorted = fem::solve_cases(sorted);
  std::vector<SlabResponses> solved(distinct.size());
  for (size_t i = 0; i < order.size(); ++i) solved[order[i]] = solved_sorted[i];
  std::vector<SlabResponses> out(cases.size());
  for (size_t i = 0; i < cases.size(); ++i) out[i] = solved[distinct_of[i]];
  return out;
}

}  // namespace jpcp::models
