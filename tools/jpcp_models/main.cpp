// jpcp_models: builds NN model files from gridded responses and writes the
// demonstration model folders of both programs.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "common/cli/command_line.h"
#include "common/platform/paths.h"
#include "tools/jpcp_models/csv_grid.h"
#include "tools/jpcp_models/demo_models.h"
#include "tools/jpcp_models/fe_models.h"
#include "tools/jpcp_models/model_builder.h"

namespace {

constexpr const char* help_text = R"(Usage:
  jpcp_models build --grid GRID.csv --groups IG1,IG2 [--order K | --orders K1,..,KN] --out MODEL
  jpcp_models demo-cracking DIR
  jpcp_models demo-faulting DIR
  jpcp_models fe-cracking DIR [--points N]
  jpcp_models fe-faulting DIR [--points N]
  jpcp_models --help | -h | --version

build
  Writes one NN model file whose tensor-product B-spline interpolates the
  gridded responses of GRID.csv on not-a-knot knots. GRID.csv has one row per
  grid node: the N = IG1 + IG2 inputs in model dimension order, then the
  response; a first non-numeric line is a heading, '#' lines are comments.
  The rows must cover the full grid (all combinations of each column's
  distinct values). Orders (degree + 1) default to 4 (cubic); each dimension
  needs at least as many nodes as its order and at most 100 - order.

demo-cracking DIR
  Writes NNinfo.txt, its four models (bottom_single.ttt, bottom_tandem.ttt,
  edge_tire.ttt, adjacent_axle.ttt) and the 24 top-down models
  top{13,14,15,16,18,20}d{1..4}.ttt for jpcp_cracking.

demo-faulting DIR
  Writes NNinfo.txt with the 30 corner deflection node files
  defl_{single,tandem,tridem}_{loaded,unloaded}_{12,15,21,27,33}.ttt and the
  curl deflection grid defl0.csv for jpcp_faulting.

fe-cracking DIR, fe-faulting DIR
  Write the same folders with every response computed by the slab
  finite-element solver on all cores. --points N puts N nodes on every input
  (at least the order); without it the grids of the demonstration models are
  used, which takes hours.

The demonstration models are for demonstration and testing, not for design.
They interpolate closed-form slab-on-dense-liquid responses (see
tools/jpcp_models/README.md for formulas, inputs, units and ranges).
)";

bool parse_int_list(const std::string& text, std::vector<int32_t>& out) {
  out.clear();
  std::stringstream in(text);
  std::string item;
  while (std::getline(in, item, ',')) {
    char* end = nullptr;
    const long v = std::strtol(item.c_str(), &end, 10);
    if (item.empty() || *end != '\0') return false;
    out.push_back(static_cast<int32_t>(v));
  }
  return !out.empty();
}

int fail(const std::string& message) {
  std::cerr << "jpcp_models: " << message << "\n";
  return jpcp::platform::exit_error_reported;
}

// A command line the program cannot take.
int usage_error(const std::string& message) {
  std::cerr << "jpcp_models: " << message << "\n" << jpcp::cli::help_hint("jpcp_models") << "\n";
  return jpcp::platform::exit_command_line;
}

int run_build(const std::vector<std::string>& args) {
  std::string grid_path, out_path, groups, orders;
  int32_t order = 4;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (i + 1 >= args.size()) return usage_error("option " + a + " needs a value");
    const std::string& value = args[++i];
    if (a == "--grid") grid_path = value;
    else if (a == "--out") out_path = value;
    else if (a == "--groups") groups = value;
    else if (a == "--orders") orders = value;
    else if (a == "--order") {
      std::vector<int32_t> v;
      if (!parse_int_list(value, v) || v.size() != 1) return usage_error("--order needs one integer");
      order = v[0];
    } else return usage_error("unknown option " + a);
  }
  if (grid_path.empty() || out_path.empty() || groups.empty()) return usage_error("build needs --grid, --groups and --out");
  std::vector<int32_t> g;
  if (!parse_int_list(groups, g) || g.size() != 2 || g[0] < 1 || g[1] < 1)
    return usage_error("--groups needs two positive integers IG1,IG2");
  jpcp::models::GridSpec grid;
  grid.ig1 = g[0];
  grid.ig2 = g[1];
  const size_t n = static_cast<size_t>(g[0] + g[1]);
  if (orders.empty()) {
    grid.orders.assign(n, order);
  } else if (!parse_int_list(orders, grid.orders) || grid.orders.size() != n) {
    return usage_error("--orders needs " + std::to_string(n) + " integers");
  }
  std::ifstream in(grid_path, std::ios::binary);
  if (!in) return fail("cannot open " + grid_path);
  std::stringstream text;
  text << in.rdbuf();
  std::vector<float> values;
  std::string error;
  if (!jpcp::models::read_csv_grid(text.str(), grid, values, error)) return fail(grid_path + ": " + error);
  jpcp::models::ModelFile model;
  if (!jpcp::models::build_model(grid, std::move(values), model, error)) return fail(grid_path + ": " + error);
  if (!jpcp::models::write_text_file(out_path, jpcp::models::model_file_text(model), error)) return fail(error);
  std::cout << "wrote " << out_path << " (" << model.coef.size() << " coefficients)\n";
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string usage = std::string(help_text) + "\n" + std::string(jpcp::cli::sole_flag_options);
  if (jpcp::cli::answer_sole_flag(argc, argv, "jpcp_models", usage, std::cout)) return jpcp::platform::exit_ok;
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) return usage_error("no command");
  const std::string command = args[0];
  if (command == "build") return run_build(std::vector<std::string>(args.begin() + 1, args.end()));
  if (command == "demo-cracking" || command == "demo-faulting") {
    if (args.size() != 2) return usage_error(command + " needs one folder argument");
    std::string error;
    const bool ok = command == "demo-cracking" ? jpcp::models::write_cracking_demo(args[1], error)
                                               : jpcp::models::write_faulting_demo(args[1], error);
    if (!ok) return fail(error);
    std::cout << "wrote " << command.substr(5) << " demonstration models to " << args[1] << "\n";
    return 0;
  }
  if (command == "fe-cracking" || command == "fe-faulting") {
    int points = 0;
    if (args.size() == 4 && args[2] == "--points") {
      char* end = nullptr;
      const long v = std::strtol(args[3].c_str(), &end, 10);
      if (args[3].empty() || *end != '\0' || v < 3 || v > 90) return usage_error("--points needs an integer from 3 to 90");
      points = static_cast<int>(v);
    } else if (args.size() != 2) {
      return usage_error(command + " needs one folder argument and optionally --points N");
    }
    std::string error;
    const bool ok = command == "fe-cracking" ? jpcp::models::write_cracking_fe(args[1], points, error)
                                             : jpcp::models::write_faulting_fe(args[1], points, error);
    if (!ok) return fail(error);
    std::cout << "wrote " << command.substr(3) << " finite-element models to " << args[1] << "\n";
    return 0;
  }
  return usage_error("unknown command " + command);
}
