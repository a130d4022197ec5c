// Demonstration response models for both programs, from closed-form slab
// mechanics (slab_formulas.h). They are for demonstration and testing, not
// for design.
//
// Every cracking model describes a reference slab and the programs convert
// its stress back to the section's slab:
// - bottom-up load models (3+2; inputs L ft, 12L/l, lateral position in,
//   Korenev parameter phi, load-to-slab-weight ratio lambda): the slab has
//   l = 12 L / (12L/l), the reference thickness h_r(l) (E = 4e6 psi,
//   nu = 0.15, k = 100 pci) and unit weight 0.087 pci; the axle load is
//   P = lambda * 0.087 * 1728 L h_r.
// - edge tire model (3+2) and adjacent-axle model (2+2): reference slab of
//   thickness h_r (the last and first input) with l = l_r(h_r).
// - top-down models (3+3): a 10 in slab of unit weight 0.087 pci with the
//   radius l of the second input.
// The faulting deflection models give a dimensionless corner deflection S
// with deflection = S * beta, beta = 34100596 h / (k l^4); S holds no h or k.
#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "common/nn/response_model.h"
#include "tools/jpcp_models/model_builder.h"
#include "tools/jpcp_models/slab_formulas.h"

namespace jpcp::models {

using Inputs = std::vector<double>;
using Response = std::function<double(const Inputs&)>;

struct DemoModel {
  std::string file_name;
  GridSpec grid;
  Response response;
};

// Evenly spaced nodes.
inline std::vector<float> nodes(double lo, double hi, int count) {
  std::vector<float> v;
  for (int i = 0; i < count; ++i) v.push_back(static_cast<float>(lo + (hi - lo) * i / (count - 1)));
  return v;
}

// Geometrically spaced nodes, for inputs whose responses vary like powers.
inline std::vector<float> geometric_nodes(double lo, double hi, int count) {
  std::vector<float> v;
  for (int i = 0; i < count; ++i) v.push_back(static_cast<float>(lo * std::pow(hi / lo, double(i) / (count - 1))));
  v.front() = static_cast<float>(lo);
  v.back() = static_cast<float>(hi);
  return v;
}

namespace demo {

// Contact radius of a dual wheel set in the load models that carry no tire
// geometry: 9 kip at about 80 psi.
inline constexpr double wheel_set_radius = 6.0;
inline constexpr double tandem_spacing = 51.5;  // in, axle to axle

// Bottom-up stress under one axle (single axle when tandem is false; one
// axle of a tandem with the second axle 51.5 in away otherwise):
//   l = 12 L / rho, h = h_r(l), P = lambda * 0.087 * 1728 L h,
//   s_load = edge_offset_stress(P/2, 6 in, h, l, x_p) * (1 + 0.25 exp(-51.5/l) [tandem]),
//   s = s_load * (1 + 0.2 phi/(phi + 20)) + 3 (1 - nu) C(rho) phi 0.087 l^2 / h.
// The factor on s_load is the extra stress of a loaded edge that lost support
// under daytime curl.
inline double bottom_up_stress(const Inputs& x, bool tandem) {
  const double L = x[0], rho = x[1], xp = x[2], phi = x[3], lambda = x[4];
  const double l = 12.0 * L / rho;
  const double h = slab::reference_thickness(l);
  const double P = lambda * slab::reference_gamma * 1728.0 * L * h;
  double load = slab::edge_offset_stress(P / 2.0, wheel_set_radius, h, l, xp);
  if (tandem) load *= 1.0 + 0.25 * std::exp(-tandem_spacing / l);
  return load * (1.0 + 0.2 * phi / (phi + 20.0)) + slab::curling_stress(rho, phi, slab::reference_gamma, l, h);
}

// Edge stress of one tire of pressure 100 psi on the reference slab h_r:
// inputs shoulder load transfer LTE (%), distance of the tire from the edge
// x (in), contact width w (in), contact area ratio r (area / w^2), h_r (in).
//   P = 100 r w^2, a = w sqrt(r / pi), l = l_r(h_r),
//   s = edge_offset_stress(P, a, h_r, l, x) / (1 + 0.5 LTE/100).
inline double edge_tire_stress(const Inputs& x) {
  const double lte = x[0], offset = x[1], w = x[2], r = x[3], h = x[4];
  const double P = 100.0 * r * w * w;
  const double a = w * std::sqrt(r / slab::pi);
  const double l = slab::reference_radius(h);
  return slab::edge_offset_stress(P, a, h, l, offset) / (1.0 + 0.5 * lte / 100.0);
}

// Stress at the edge from one 4900 lb tire of the adjacent axle (a 39.2 kip
// tandem has eight): inputs h_r (in), lateral distance y (in), axle spacing
// s (in), load transfer LTE (%).
//   s = 0.3 edge_stress(4900, 3.95 in, h_r, l) exp(-s/l) exp(-y/(0.6 l)) / (1 + 0.5 LTE/100).
inline double adjacent_axle_stress(const Inputs& x) {
  const double h = x[0], y = x[1], s = x[2], lte = x[3];
  const double l = slab::reference_radius(h);
  return 0.3 * slab::edge_stress(4900.0, 3.95, h, l) * std::exp(-s / l) * std::exp(-y / (0.6 * l)) /
         (1.0 + 0.5 * lte / 100.0);
}

// Model sets of the top-down models: slab length (ft) and the axle spacings
// (ft) of their four models.
inline constexpr std::array<double, 6> top_down_slab_ft = {13, 14, 15, 16, 18, 20};
inline constexpr std::array<std::array<double, 4>, 6> top_down_spacing_ft = {{{8.25, 10.0, 12.5, 20.0},
                                                                            {9.25, 10.0, 13.5, 20.0},
                                                                            {10.0, 10.25, 14.5, 20.0},
                                                                            {10.0, 11.25, 15.5, 20.0},
                                                                            {10.0, 13.25, 17.5, 20.0},
                                                                            {10.0, 15.25, 19.5, 20.0}}};

// Top-down stress at mid-slab edge, 10 in slab of 0.087 pci, slab length
// Ls (ft), axle spacing S (ft): inputs joint support e (5 + half the shoulder
// LTE), l (in), phi (night-time Korenev parameter), tandem load ratio q
// (load / twice the weight of a 12 ft x 15 ft slab), lateral position x (in),
// sixth input u.
//   curl = 3 (1 - nu) C(12 Ls / l) phi 0.087 l^2 / 10,
//   load = 0.9 (q * 45101 / 2) / 10^2 * g(phi) * w * exp(-x/l) / (1 + 0.6 e/100) * exp(-u/60),
//   g = 0.65 + 0.35 tanh(phi/8) (a curled-up slab cantilevers the axles at
//   its ends), w = 0.4 + 0.6 exp(-0.5 (12 (S - Ls)/l)^2).
inline double top_down_stress(const Inputs& x, double slab_ft, double spacing_ft) {
  constexpr double h = 10.0;
  const double e = x[0], l = x[1], phi = x[2], q = x[3], xp = x[4], u = x[5];
  const double curl = slab::curling_stress(12.0 * slab_ft / l, phi, slab::reference_gamma, l, h);
  const double axle = q * 2.0 * slab::reference_gamma * 25920.0 * h / 2.0;
  const double g = 0.65 + 0.35 * std::tanh(phi / 8.0);
  const double d = 12.0 * (spacing_ft - slab_ft) / l;
  const double w = 0.4 + 0.6 * std::exp(-0.5 * d * d);
  const double load = 0.9 * axle / (h * h) * g * w * std::exp(-xp / l) / (1.0 + 0.6 * e / 100.0) * std::exp(-u / 60.0);
  return curl + load;
}

// Dimensionless corner deflection of one axle type (axles = 1, 2, 3) at the
// joint of a slab of length L (ft): inputs l (in), edge support ES (%), joint
// LTE (%), phi, normalised axle load lambda, edge distance d (in).
//   delta = P/(k l^2) (1.205 - 0.69 * 1.772 * 6 / l) with P = lambda W / 2
//   (one wheel set), times
//   axles: 1 + 0.5 (exp(-51.5/l) [+ exp(-103/l)]),
//   edge distance: 0.25 + 0.75 exp(-d/l), edge support: 1 / (1 + 0.3 ES/100),
//   load transfer: loaded 1/(1 + f), unloaded f/(1 + f), f = LTE/100,
//   curl: 1 + 0.4 (L/33) phi/(phi + 10) (a curled corner sits on less support);
//   S = delta / beta = lambda * 0.0868 * 25920 / 2 * l^2 / 34100596 * (product of the factors).
inline double corner_deflection_s(const Inputs& x, int axles, bool loaded, double L) {
  const double l = x[0], es = x[1], lte = x[2], phi = x[3], lambda = x[4], d = x[5];
  double axle = 1.0;
  if (axles >= 2) axle += 0.5 * std::exp(-tandem_spacing / l);
  if (axles >= 3) axle += 0.5 * std::exp(-2.0 * tandem_spacing / l);
  const double f = lte / 100.0;
  const double transfer = loaded ? 1.0 / (1.0 + f) : f / (1.0 + f);
  const double shape = 1.205 - 0.69 * 1.772 * wheel_set_radius / l;
  const double factors = axle * (0.25 + 0.75 * std::exp(-d / l)) / (1.0 + 0.3 * es / 100.0) * transfer *
                         (1.0 + 0.4 * (L / 33.0) * phi / (phi + 10.0));
  return lambda * slab::faulting_gamma * 25920.0 / 2.0 * l * l / slab::deflection_scale_constant * shape * factors;
}

// Curl grid value w(L, l, phi), the dimensionless corner position of the
// curled slab without load (lifting corners give w falling with phi):
//   corner lift = alpha dT l^2 / h * 2 (1 - exp(-12 L / (4 l))), so
//   w = -phi * 0.0868 * l^4 / (2 (1 + nu) 34100596) * 2 (1 - exp(-3 L / l)).
inline double curl_grid_value(double L, double l, double phi) {
  return -phi * slab::faulting_gamma * std::pow(l, 4.0) / (2.0 * (1.0 + slab::nu) * slab::deflection_scale_constant) *
         2.0 * (1.0 - std::exp(-3.0 * L / l));
}

}  // namespace demo

// Cracking row-1 models in NNinfo.txt order, then the 24 top-down models
// (model set r, node k: "top<13..20>d<k>.ttt").
inline std::vector<DemoModel> cracking_demo_models() {
  std::vector<DemoModel> list;
  const GridSpec bottom{3, 2,
                        {nodes(8, 30, 5), nodes(1.0, 14.5, 10), nodes(0, 24, 6), nodes(0, 90, 7), nodes(0, 5, 5)},
                        {4, 4, 4, 4, 4}};
  list.push_back({"bottom_single.ttt", bottom, [](const Inputs& x) { return demo::bottom_up_stress(x, false); }});
  list.push_back({"bottom_tandem.ttt", bottom, [](const Inputs& x) { return demo::bottom_up_stress(x, true); }});
  list.push_back({"edge_tire.ttt",
                  {3, 2,
                   {nodes(0, 100, 5), nodes(0, 40, 7), nodes(4, 12, 5), geometric_nodes(0.2, 2.6, 7), geometric_nodes(4, 32, 10)},
                   {4, 4, 4, 4, 4}},
                  demo::edge_tire_stress});
  list.push_back({"adjacent_axle.ttt",
                  {2, 2, {geometric_nodes(4, 32, 10), nodes(0, 120, 12), nodes(30, 80, 7), nodes(0, 100, 6)}, {4, 4, 4, 4}},
                  demo::adjacent_axle_stress});
  const GridSpec top{3, 3,
                     {nodes(5, 55, 5), geometric_nodes(22.5, 110, 10), std::vector<float>{-10, -5, 0, 5, 10, 20, 35, 50}, nodes(0, 3.5, 5), nodes(0, 40, 6),
                      nodes(0, 30, 5)},
                     {4, 4, 4, 4, 4, 4}};
  for (size_t r = 0; r < demo::top_down_slab_ft.size(); ++r) {
    for (size_t k = 0; k < 4; ++k) {
      const double slab_ft = demo::top_down_slab_ft[r];
      const double spacing = demo::top_down_spacing_ft[r][k];
      list.push_back({"top" + std::to_string(static_cast<int>(slab_ft)) + "d" + std::to_string(k + 1) + ".ttt", top,
                      [slab_ft, spacing](const Inputs& x) { return demo::top_down_stress(x, slab_ft, spacing); }});
    }
  }
  return list;
}

inline constexpr std::array<double, 5> faulting_node_spacings_ft = {12, 15, 21, 27, 33};

// Faulting deflection node files in NNinfo.txt order: six models (single,
// tandem, tridem; loaded then unloaded), five joint-spacing nodes each.
inline std::vector<DemoModel> faulting_demo_models() {
  std::vector<DemoModel> list;
  const GridSpec grid{3, 3,
                      {geometric_nodes(22.5, 120, 7), nodes(0, 100, 4), nodes(0, 100, 6), nodes(0, 60, 6), nodes(0, 4, 5),
                       nodes(0, 48, 6)},
                      {4, 4, 4, 4, 4, 4}};
  const std::array<const char*, 3> axle_names = {"single", "tandem", "tridem"};
  for (int axles = 1; axles <= 3; ++axles) {
    for (bool loaded : {true, false}) {
      for (double L : faulting_node_spacings_ft) {
        list.push_back({std::string("defl_") + axle_names[static_cast<size_t>(axles - 1)] +
                            (loaded ? "_loaded_" : "_unloaded_") + std::to_string(static_cast<int>(L)) + ".ttt",
                        grid, [axles, loaded, L](const Inputs& x) {
                          return demo::corner_deflection_s(x, axles, loaded, L);
                        }});
      }
    }
  }
  return list;
}

// Curl grid axes of defl0.csv.
inline std::vector<float> curl_grid_spacings() { return nodes(12, 33, 8); }
inline std::vector<float> curl_grid_radii() { return nodes(20, 110, 10); }
inline std::vector<float> curl_grid_phis() { return nodes(0, 80, 9); }

inline bool write_text_file(const std::filesystem::path& path, const std::string& text, std::string& error) {
  // Text mode: the platform's line ends, like every other written file.
  std::ofstream out(path, std::ios::out | std::ios::trunc);
  out << text;
  out.close();
  if (!out) {
    error = "cannot write " + path.string();
    return false;
  }
  return true;
}

// Builds a model, checks that its text parses back into the same shape, and
// writes it.
inline bool write_demo_model(const std::filesystem::path& dir, const DemoModel& demo, std::string& error) {
  ModelFile model;
  if (!build_model(demo.grid, demo.response, model, error)) {
    error = demo.file_name + ": " + error;
    return false;
  }
  const std::string text = model_file_text(model);
  nn::ResponseModel parsed;
  std::string reason;
  if (!nn::parse_response_model(text, parsed, reason) || parsed.coef.size() != model.coef.size()) {
    error = demo.file_name + ": the written model does not read back (" + reason + ")";
    return false;
  }
  return write_text_file(dir / demo.file_name, text, error);
}

inline bool prepare_folder(const std::filesystem::path& dir, std::string& error) {
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  if (!std::filesystem::is_directory(dir)) {
    error = "cannot create the folder " + dir.string();
    return false;
  }
  // Marker read by the report, which then says that results made with
  // these models are for demonstration, not design.
  return write_text_file(dir / "DEMONSTRATION.txt",
                         "Demonstration models: for demonstration and testing, not for design.\n", error);
}

inline bool write_cracking_demo(const std::filesystem::path& dir, std::string& error) {
  if (!prepare_folder(dir, error)) return false;
  const std::vector<DemoModel> list = cracking_demo_models();
  std::string info;
  for (size_t i = 0; i < list.size(); ++i) {
    if (!write_demo_model(dir, list[i], error)) return false;
    if (i < 4) info += list[i].file_name + "\n";
  }
  return write_text_file(dir / "NNinfo.txt", info, error);
}

// defl0.csv: the three axis sizes, the axes (joint spacings, radii of
// relative stiffness, curl parameters), then one row "L,l,phi,value" per
// grid point, phi slowest and L fastest; value(index, L, l, phi) gives the
// point's value, index counting the points in that order.
inline std::string curl_grid_csv(const std::vector<float>& Ls, const std::vector<float>& ls,
                                 const std::vector<float>& ps,
                                 const std::function<double(size_t, float, float, float)>& value) {
  std::string text = std::to_string(Ls.size()) + " " + std::to_string(ls.size()) + " " + std::to_string(ps.size()) + "\n";
  char buffer[96];
  auto row = [&](const std::vector<float>& v) {
    for (size_t i = 0; i < v.size(); ++i) {
      std::snprintf(buffer, sizeof buffer, "%s%.8g", i ? "," : "", static_cast<double>(v[i]));
      text += buffer;
    }
    text += "\n";
  };
  row(Ls);
  row(ls);
  row(ps);
  size_t index = 0;
  for (float p : ps) {
    for (float l : ls) {
      for (float L : Ls) {
        std::snprintf(buffer, sizeof buffer, "%.8g,%.8g,%.8g,%.8g\n", static_cast<double>(L), static_cast<double>(l),
                      static_cast<double>(p), value(index++, L, l, p));
        text += buffer;
      }
    }
  }
  return text;
}

inline std::string curl_grid_text() {
  return curl_grid_csv(curl_grid_spacings(), curl_grid_radii(), curl_grid_phis(),
                       [](size_t, float L, float l, float p) { return demo::curl_grid_value(L, l, p); });
}

inline bool write_faulting_demo(const std::filesystem::path& dir, std::string& error) {
  if (!prepare_folder(dir, error)) return false;
  std::string info;
  for (const DemoModel& m : faulting_demo_models()) {
    if (!write_demo_model(dir, m, error)) return false;
    info += m.file_name + "\n";
  }
  if (!write_text_file(dir / "NNinfo.txt", info, error)) return false;
  return write_text_file(dir / "defl0.csv", curl_grid_text(), error);
}

}  // namespace jpcp::models
