// jpcp_models: builds NN model files from gridded responses and writes the
// demonstration model folders of both programs.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "common/cli/command_line.h"
#include "common/platform/paths.h"
#include "tools/jpcp_models/csv_grid.h"
#include "tools/jpcp_models/demo_models.h"
#include "tools/jpcp_models/fe_build.h"
#include "tools/jpcp_models/fe_models.h"
#include "tools/jpcp_models/model_builder.h"

namespace {

constexpr const char* help_text = R"(Usage:
  jpcp_models build --grid GRID.csv --groups IG1,IG2 [--order K | --orders K1,..,KN] --out MODEL
  jpcp_models demo-cracking DIR
  jpcp_models demo-faulting DIR
  jpcp_models fe-cracking DIR [--points N] [--only FILE] [--mesh design|test]
  jpcp_models fe-faulting DIR [--points N] [--only FILE] [--mesh design|test]
  jpcp_models fe-point DIR FILE X1,X2,...
  jpcp_models fe-direct cracking|faulting FILE X1,X2,... [--points N] [--mesh-scale S]
  jpcp_models install [DIR]
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
  Write the design-grade folders: the same files with every response
  computed by the slab finite-element solver on all cores, on the design
  grids and meshes, with MANIFEST.json (program, solver settings, grids,
  element sizes, build times, SHA-256 of every file). A build that was
  stopped resumes: the models it finished are kept, the one it was on is
  redone. One line per model with the time left. --only FILE rebuilds the
  model that writes FILE. --points N builds a small test folder instead
  (N nodes on every input, coarser meshes; marked as not for design);
  --mesh design|test chooses the meshes apart from the grids.

fe-point DIR FILE X1,X2,...
  For one input point of one model file of a folder built by fe-cracking or
  fe-faulting: the folder's spline value and the direct solve of the same
  slab system, as one line "spline VALUE direct VALUE".

fe-direct cracking|faulting FILE X1,X2,...
  The direct solve alone ("direct VALUE element_in SIZE"), on the design
  meshes (--points N: the test meshes) with the element sizes times
  --mesh-scale S; for convergence studies.

install [DIR]
  Builds (or completes) both design-grade folders in
  DIR/{cracking,faulting}; DIR defaults to
  $XDG_DATA_HOME/jpcp/models/VERSION (~/.local/share/jpcp/models/VERSION),
  where the example, jpcp batch, the section builder and the report find
  them.

The demonstration models (demo-cracking, demo-faulting) are for
demonstration and testing, not for design. They interpolate closed-form slab-on-dense-liquid responses (see
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

// The version alone ("1.2.3") from the version line.
std::string program_version() {
  std::string line = jpcp::cli::version_line("jpcp_models");
  line = line.substr(line.find(' ') + 1);
  return line.substr(0, line.find(' '));
}

// Where `install` puts the design-grade folders by default.
std::filesystem::path default_install_folder() {
  std::filesystem::path base;
  if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg != nullptr && *xdg != '\0') base = xdg;
  else if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0')
    base = std::filesystem::path(home) / ".local" / "share";
  else if (const char* local = std::getenv("LOCALAPPDATA"); local != nullptr && *local != '\0') base = local;
  else base = ".";
  return base / "jpcp" / "models" / program_version();
}

bool parse_real_list(const std::string& text, std::vector<double>& out) {
  out.clear();
  std::stringstream in(text);
  std::string item;
  while (std::getline(in, item, ',')) {
    char* end = nullptr;
    const double v = std::strtod(item.c_str(), &end);
    if (item.empty() || *end != '\0' || !std::isfinite(v)) return false;
    out.push_back(v);
  }
  return !out.empty();
}

int parse_points(const std::string& text, int& points) {
  char* end = nullptr;
  const long v = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || v < 3 || v > 90) return usage_error("--points needs an integer from 3 to 90");
  points = static_cast<int>(v);
  return 0;
}

std::string value_text(double v) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.7g", v);
  return buffer;
}

int run_fe_point(const std::vector<std::string>& args) {
  if (args.size() != 4) return usage_error("fe-point needs DIR FILE X1,X2,...");
  const std::filesystem::path dir = args[1];
  bool read = false;
  const std::string text = jpcp::models::read_file_bytes(dir / "MANIFEST.json", read);
  if (!read) return fail((dir / "MANIFEST.json").string() + ": cannot open (not a folder built by fe-cracking or fe-faulting)");
  nlohmann::json manifest;
  try {
    manifest = nlohmann::json::parse(text);
  } catch (const nlohmann::json::exception&) {
    return fail((dir / "MANIFEST.json").string() + ": not JSON");
  }
  const nlohmann::json settings = manifest.value("settings", nlohmann::json::object());
  const std::string kind = settings.value("folder", "");
  jpcp::models::FeBuildOptions options;
  options.points = settings.value("points", 0);
  options.mesh = settings.value("meshing", nlohmann::json::object()).value("name", "");
  if (kind != "cracking" && kind != "faulting") return fail((dir / "MANIFEST.json").string() + ": settings.folder: missing");
  const auto folder = kind == "cracking" ? jpcp::models::FeFolder::cracking : jpcp::models::FeFolder::faulting;
  jpcp::models::FeModelGroup group;
  size_t output = 0;
  if (!jpcp::models::find_fe_output(folder, options, 1.0, args[2], group, output))
    return fail(args[2] + ": not a model file of the " + kind + " folder");
  std::vector<double> x;
  if (!parse_real_list(args[3], x) || x.size() != group.grid.nodes.size())
    return usage_error(args[2] + " takes " + std::to_string(group.grid.nodes.size()) + " inputs, comma-separated");
  jpcp::models::ModelFile model;
  std::string error;
  if (!jpcp::models::read_model_file(dir / args[2], model, error)) return fail(error);
  for (size_t d = 0; d < x.size(); ++d) {
    if (x[d] < group.grid.nodes[d].front() || x[d] > group.grid.nodes[d].back())
      return fail("input " + std::to_string(d + 1) + " = " + value_text(x[d]) + " lies outside the grid (" +
                  value_text(group.grid.nodes[d].front()) + " to " + value_text(group.grid.nodes[d].back()) + ")");
  }
  const double spline = jpcp::models::evaluate_model(model, x);
  double element = 0;
  const double direct = jpcp::models::fe_direct(group, output, jpcp::models::Inputs(x.begin(), x.end()), element);
  std::cout << "spline " << value_text(spline) << " direct " << value_text(direct) << "\n";
  return 0;
}

int run_fe_direct(const std::vector<std::string>& args) {
  if (args.size() < 4) return usage_error("fe-direct needs cracking|faulting FILE X1,X2,...");
  if (args[1] != "cracking" && args[1] != "faulting") return usage_error("fe-direct: cracking or faulting, not " + args[1]);
  jpcp::models::FeBuildOptions options;
  double scale = 1.0;
  for (size_t i = 4; i < args.size(); i += 2) {
    if (i + 1 >= args.size()) return usage_error("option " + args[i] + " needs a value");
    if (args[i] == "--points") {
      if (const int status = parse_points(args[i + 1], options.points)) return status;
    } else if (args[i] == "--mesh-scale") {
      std::vector<double> v;
      if (!parse_real_list(args[i + 1], v) || v.size() != 1 || v[0] < 0.1 || v[0] > 4)
        return usage_error("--mesh-scale needs a number from 0.1 to 4");
      scale = v[0];
    } else {
      return usage_error("unknown option " + args[i]);
    }
  }
  const auto folder = args[1] == "cracking" ? jpcp::models::FeFolder::cracking : jpcp::models::FeFolder::faulting;
  jpcp::models::FeModelGroup group;
  size_t output = 0;
  if (!jpcp::models::find_fe_output(folder, options, scale, args[2], group, output))
    return fail(args[2] + ": not a model file of the " + args[1] + " folder");
  std::vector<double> x;
  if (!parse_real_list(args[3], x) || x.size() != group.grid.nodes.size())
    return usage_error(args[2] + " takes " + std::to_string(group.grid.nodes.size()) + " inputs, comma-separated");
  double element = 0;
  const double direct = jpcp::models::fe_direct(group, output, jpcp::models::Inputs(x.begin(), x.end()), element);
  std::cout << "direct " << value_text(direct) << " element_in " << value_text(element) << "\n";
  return 0;
}

int run_install(const std::vector<std::string>& args) {
  if (args.size() > 2) return usage_error("install takes at most one folder argument");
  const std::filesystem::path base = args.size() == 2 ? std::filesystem::path(args[1]) : default_install_folder();
  std::string error;
  for (const auto& [name, folder] : {std::pair{"cracking", jpcp::models::FeFolder::cracking},
                                     std::pair{"faulting", jpcp::models::FeFolder::faulting}}) {
    std::cout << "building the design-grade " << name << " models in " << (base / name).string() << "\n";
    std::cout.flush();
    if (!jpcp::models::write_fe_folder(folder, base / name, {}, error)) return fail(error);
  }
  std::cout << "installed the design-grade models in " << base.string() << "\n";
  return 0;
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
    if (args.size() < 2 || args[1].rfind("--", 0) == 0) return usage_error(command + " needs one folder argument");
    jpcp::models::FeBuildOptions options;
    for (size_t i = 2; i < args.size(); i += 2) {
      if (i + 1 >= args.size()) return usage_error("option " + args[i] + " needs a value");
      if (args[i] == "--points") {
        if (const int status = parse_points(args[i + 1], options.points)) return status;
      } else if (args[i] == "--only") {
        options.only = args[i + 1];
      } else if (args[i] == "--mesh") {
        if (args[i + 1] != "design" && args[i + 1] != "test") return usage_error("--mesh needs design or test");
        options.mesh = args[i + 1];
      } else {
        return usage_error("unknown option " + args[i]);
      }
    }
    std::string error;
    const auto folder = command == "fe-cracking" ? jpcp::models::FeFolder::cracking : jpcp::models::FeFolder::faulting;
    if (!jpcp::models::write_fe_folder(folder, args[1], options, error)) return fail(error);
    std::cout << "wrote " << command.substr(3) << " finite-element models to " << args[1] << "\n";
    return 0;
  }
  if (command == "fe-point") return run_fe_point(args);
  if (command == "fe-direct") return run_fe_direct(args);
  if (command == "install") return run_install(args);
  return usage_error("unknown command " + command);
}
