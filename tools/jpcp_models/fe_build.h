// Building a finite-element model folder model by model: each model's
// files are written whole (a temporary file renamed) and then entered in the
// folder's MANIFEST.json with their checksums, so that a build that was
// stopped resumes with the models it finished and redoes the one it was on.
// `only` rebuilds one model of a folder. One progress line per model, with
// an estimate of the time left.
#pragma once

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <nlohmann/json.hpp>

#include "common/cli/command_line.h"
#include "tools/jpcp_models/fe_models.h"
#include "tools/jpcp_models/sha256.h"

namespace jpcp::models {

enum class FeFolder { cracking, faulting };

struct FeBuildOptions {
  int points = 0;    // 0: the design grids and meshes; N: N nodes an input on the test meshes
  std::string only;  // a file name: rebuild only the model that writes it
  std::string mesh;  // "design" or "test"; empty: test with --points, else design
};

inline Meshing fe_meshing(const FeBuildOptions& o) {
  if (o.mesh == "test" || (o.mesh.empty() && o.points > 0)) return test_meshing();
  return design_meshing();
}

inline std::string read_file_bytes(const std::filesystem::path& path, bool& ok) {
  std::ifstream in(path, std::ios::binary);
  ok = static_cast<bool>(in);
  return ok ? std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()) : std::string();
}

// Writes `text` to `path` through a temporary file renamed over it, so that
// the file is either whole or absent.
inline bool write_file_whole(const std::filesystem::path& path, const std::string& text, std::string& error) {
  std::filesystem::path partial = path;
  partial += ".partial";
  if (!write_text_file(partial, text, error)) return false;
  std::error_code ec;
  std::filesystem::rename(partial, path, ec);
  if (ec) {
    error = "cannot write " + path.string();
    return false;
  }
  return true;
}

// Process CPU time (s) of all threads.
inline double cpu_seconds() { return static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

inline std::string utc_now() {
  const std::time_t t = std::time(nullptr);
  char buffer[32];
  std::strftime(buffer, sizeof buffer, "%Y-%m-%dT%H:%M:%SZ", std::gmtime(&t));
  return buffer;
}

// What a model's build reports for the manifest.
struct FeStepResult {
  size_t grid_cases = 0, solved_cases = 0;
  double element_min_in = 0, element_max_in = 0;
  nlohmann::json response_range = nlohmann::json::object();  // file: [least, largest grid value]
};

// One model of a folder: the files it writes, its grid and how it is built.
struct FeStep {
  std::vector<std::string> files;
  size_t work = 0;  // grid cases, for the estimate of the time left
  nlohmann::json grid;
  std::function<bool(const std::filesystem::path&, FeStepResult&, std::string&)> build;
};

inline void element_range(const std::vector<fem::SlabCase>& cases, FeStepResult& r) {
  for (size_t i = 0; i < cases.size(); ++i) {
    r.element_min_in = i ? std::min(r.element_min_in, cases[i].mesh_in) : cases[i].mesh_in;
    r.element_max_in = i ? std::max(r.element_max_in, cases[i].mesh_in) : cases[i].mesh_in;
  }
}

// The cases of a group's grid: one per node whose unused inputs sit at their
// first value (case_inputs: that node's inputs).
inline std::vector<fem::SlabCase> group_cases(const FeModelGroup& group, std::vector<Inputs>& case_inputs,
                                              size_t& total) {
  const GridSpec& grid = group.grid;
  const size_t n = grid.nodes.size();
  std::vector<bool> unused = group.unused;
  unused.resize(n, false);
  std::vector<fem::SlabCase> cases;
  std::vector<size_t> idx(n, 0);
  total = 1;
  for (const auto& v : grid.nodes) total *= v.size();
  for (size_t done = 0; done < total; ++done) {
    Inputs x(n);
    bool first = true;
    for (size_t d = 0; d < n; ++d) {
      x[d] = grid.nodes[d][idx[d]];
      if (unused[d] && idx[d] != 0) first = false;
    }
    if (first) {
      cases.push_back(group.make_case(x));
      case_inputs.push_back(x);
    }
    for (size_t d = 0; d < n && ++idx[d] == grid.nodes[d].size(); ++d) idx[d] = 0;
  }
  return cases;
}

// Solves every case of a group on all cores and builds its model files into `dir`.
inline bool write_fe_group(const std::filesystem::path& dir, const FeModelGroup& group, FeStepResult& result,
                           std::string& error) {
  const GridSpec& grid = group.grid;
  error = grid_problem(grid);
  if (!error.empty()) return false;
  const size_t n = grid.nodes.size();
  std::vector<bool> unused = group.unused;
  unused.resize(n, false);
  std::vector<Inputs> case_inputs;
  size_t total = 0;
  const std::vector<fem::SlabCase> cases = group_cases(group, case_inputs, total);
  element_range(cases, result);
  result.grid_cases = cases.size();
  const std::vector<SlabResponses> responses = solve_distinct_cases(cases, &result.solved_cases);
  std::vector<size_t> idx(n, 0);
  for (const auto& [name, response] : group.outputs) {
    std::vector<float> values(total);
    std::fill(idx.begin(), idx.end(), 0);
    for (size_t done = 0; done < total; ++done) {
      // The case of this node: the same node with its unused inputs at their first value.
      size_t case_index = 0, stride = 1;
      for (size_t d = 0; d < n; ++d) {
        if (!unused[d]) case_index += stride * idx[d];
        if (!unused[d]) stride *= grid.nodes[d].size();
      }
      const double v = response(case_inputs[case_index], responses[case_index]);
      if (!std::isfinite(v)) {
        error = name + ": the solver gave no response at a grid node";
        return false;
      }
      values[file_index(grid, idx)] = static_cast<float>(v);
      for (size_t d = 0; d < n && ++idx[d] == grid.nodes[d].size(); ++d) idx[d] = 0;
    }
    const auto [least, largest] = std::minmax_element(values.begin(), values.end());
    result.response_range[name] = {*least, *largest};
    ModelFile model;
    if (!build_model(grid, std::move(values), model, error)) {
      error = name + ": " + error;
      return false;
    }
    if (!write_file_whole(dir / name, model_file_text(model), error)) return false;
  }
  return true;
}

// Axes of the curl grid defl0.csv: joint spacing, radius, curl parameter.
inline std::array<std::vector<float>, 3> fe_curl_axes(int points) {
  std::array<std::vector<float>, 3> a = {curl_grid_spacings(), curl_grid_radii(), curl_grid_phis()};
  if (points > 0) {
    const int count = std::max(points, 3);
    for (auto& v : a) v = fe::axis(v.front(), v.back(), count, false);
  }
  return a;
}

inline std::vector<fem::SlabCase> fe_curl_cases(int points, const Meshing& m) {
  const auto [Ls, ls, ps] = fe_curl_axes(points);
  std::vector<fem::SlabCase> cases;
  for (float p : ps)
    for (float l : ls)
      for (float L : Ls) cases.push_back(fe::curl_case(L, l, p, m));
  return cases;
}

inline std::string fe_curl_grid_text(int points, const Meshing& m, FeStepResult& result) {
  const auto [Ls, ls, ps] = fe_curl_axes(points);
  const std::vector<fem::SlabCase> cases = fe_curl_cases(points, m);
  element_range(cases, result);
  result.grid_cases = cases.size();
  const std::vector<SlabResponses> responses = solve_distinct_cases(cases, &result.solved_cases);
  double least = 0, largest = 0;
  for (size_t i = 0; i < cases.size(); ++i) {
    const double v = fe::dimensionless_deflection(cases[i], responses[i][0].deflection_in);
    least = i ? std::min(least, v) : v;
    largest = i ? std::max(largest, v) : v;
  }
  result.response_range["defl0.csv"] = {least, largest};
  return curl_grid_csv(Ls, ls, ps, [&](size_t i, float, float, float) {
    return fe::dimensionless_deflection(cases[i], responses[i][0].deflection_in);
  });
}

inline nlohmann::json grid_json(const GridSpec& g, const std::vector<bool>& unused) {
  nlohmann::json inputs = nlohmann::json::array();
  for (size_t d = 0; d < g.nodes.size(); ++d) {
    nlohmann::json axis = {{"nodes", g.nodes[d]}, {"order", g.orders[d]}};
    if (d < unused.size() && unused[d]) axis["unused"] = true;
    inputs.push_back(axis);
  }
  return {{"groups", {g.ig1, g.ig2}}, {"inputs", inputs}};
}

inline std::vector<FeStep> fe_steps(FeFolder folder, const FeBuildOptions& options) {
  const int points = options.points;
  const Meshing m = fe_meshing(options);
  std::vector<FeStep> steps;
  const std::vector<FeModelGroup> groups =
      folder == FeFolder::cracking ? cracking_fe_groups(points, m) : faulting_fe_groups(points, m);
  for (const FeModelGroup& g : groups) {
    FeStep step;
    for (const auto& output : g.outputs) step.files.push_back(output.first);
    step.work = 1;
    for (size_t d = 0; d < g.grid.nodes.size(); ++d)
      if (d >= g.unused.size() || !g.unused[d]) step.work *= g.grid.nodes[d].size();
    step.grid = grid_json(g.grid, g.unused);
    step.build = [g](const std::filesystem::path& dir, FeStepResult& r, std::string& error) {
      return write_fe_group(dir, g, r, error);
    };
    steps.push_back(std::move(step));
  }
  if (folder == FeFolder::faulting) {
    const auto axes = fe_curl_axes(points);
    FeStep curl;
    curl.files = {"defl0.csv"};
    curl.work = axes[0].size() * axes[1].size() * axes[2].size();
    curl.grid = {{"joint_spacing_ft", axes[0]}, {"radius_in", axes[1]}, {"phi", axes[2]}};
    curl.build = [points, m](const std::filesystem::path& dir, FeStepResult& r, std::string& error) {
      return write_file_whole(dir / "defl0.csv", fe_curl_grid_text(points, m, r), error);
    };
    steps.push_back(std::move(curl));
  }
  return steps;
}

inline nlohmann::json rule_json(const fe::MeshRule& r) {
  return {{"element_in", "clamp(radius / " + std::to_string(r.per_radius) + ", max(" + std::to_string(r.min_in) +
                             ", longest side / " + std::to_string(r.per_longest) + "), " +
                             std::to_string(r.max_in) + ")"},
          {"per_radius", r.per_radius},
          {"min_in", r.min_in},
          {"max_in", r.max_in},
          {"per_longest_side", r.per_longest}};
}

// What must agree for a folder's finished models to be kept by a resumed
// build: the folder, its grids and meshes, and the program that built them.
inline nlohmann::json fe_settings(FeFolder folder, const FeBuildOptions& options) {
  const Meshing m = fe_meshing(options);
  nlohmann::json grids = nlohmann::json::array();
  for (const FeStep& s : fe_steps(folder, options)) grids.push_back(s.grid);
  return {{"folder", folder == FeFolder::cracking ? "cracking" : "faulting"},
          {"grids_sha256", sha256_hex(grids.dump())},
          {"grade", options.points > 0 || m.name != "design" ? "test" : "design"},
          {"points", options.points},
          {"program", cli::version_line("jpcp_models")},
          {"meshing", {{"name", m.name},
                       {"stress", rule_json(m.stress)},
                       {"deflection", rule_json(m.deflection)},
                       {"far_stress", rule_json(m.far_stress)}}}};
}

inline nlohmann::json solver_json(FeFolder folder, const FeBuildOptions& options) {
  return {{"factorisation", fem::backend_available(fem::SparseBackend::cholmod_ldlt) ? "CHOLMOD" : "Eigen"},
          {"element", "Kirchhoff plate, 4-node rectangle, 12 dofs"},
          {"foundation", folder == FeFolder::cracking ? "dense liquid; tensionless except the edge-tire and adjacent-axle systems (bonded)"
                                                     : "dense liquid, tensionless"},
          {"contact_iteration_limit", fem::SlabCase{}.max_contact_iterations},
          {"released_spring_fraction", 1e-9},
          {"poisson", slab::nu},
          {"meshing", fe_settings(folder, options)["meshing"]},
          {"threads", std::max(1u, std::thread::hardware_concurrency())}};
}

inline std::string minutes_text(double seconds) {
  char buffer[48];
  if (seconds < 90) std::snprintf(buffer, sizeof buffer, "%.0f s", seconds);
  else std::snprintf(buffer, sizeof buffer, "%.0f min", seconds / 60.0);
  return buffer;
}

// Builds (or resumes, or with options.only rebuilds one model of) a folder.
inline bool write_fe_folder(FeFolder folder, const std::filesystem::path& dir, const FeBuildOptions& options,
                            std::string& error) {
  const nlohmann::json settings = fe_settings(folder, options);
  const std::vector<FeStep> steps = fe_steps(folder, options);
  if (!options.only.empty()) {
    bool found = false;
    for (const FeStep& s : steps) found |= std::find(s.files.begin(), s.files.end(), options.only) != s.files.end();
    if (!found) {
      error = "--only: no model " + options.only + " in the " + settings["folder"].get<std::string>() + " folder";
      return false;
    }
  }
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  if (!std::filesystem::is_directory(dir)) {
    error = "cannot create the folder " + dir.string();
    return false;
  }
  // The manifest of an earlier build of the same settings: its models whose
  // files are whole (their checksums agree) are kept.
  nlohmann::json manifest;
  bool ok = false;
  const std::string old_text = read_file_bytes(dir / "MANIFEST.json", ok);
  if (ok) {
    try {
      manifest = nlohmann::json::parse(old_text);
    } catch (const nlohmann::json::exception&) {
      manifest = nullptr;
    }
  }
  if (!manifest.is_object() || manifest.value("settings", nlohmann::json()) != settings) manifest = nlohmann::json::object();
  nlohmann::json models = manifest.value("models", nlohmann::json::object());
  nlohmann::json checksums = manifest.value("files", nlohmann::json::object());
  auto finished = [&](const FeStep& s) {
    if (!models.contains(s.files.front())) return false;
    for (const std::string& f : s.files) {
      bool read = false;
      const std::string bytes = read_file_bytes(dir / f, read);
      if (!read || !checksums.contains(f) || checksums[f] != sha256_hex(bytes)) return false;
    }
    return true;
  };
  // Test folders carry the marker the report reads; design folders none.
  const std::filesystem::path marker = dir / "DEMONSTRATION.txt";
  if (settings["grade"] != "design") {
    if (!write_text_file(marker, "Test models (jpcp_models --points " + std::to_string(options.points) +
                                     "): coarse grids, for testing, not for design.\n",
                         error))
      return false;
  } else {
    std::filesystem::remove(marker, ec);
  }
  manifest["settings"] = settings;
  manifest["program"] = cli::version_line("jpcp_models");
  manifest["solver"] = solver_json(folder, options);
  if (!manifest.contains("build_started")) manifest["build_started"] = utc_now();
  auto save_manifest = [&](bool complete) {
    manifest["models"] = models;
    manifest["files"] = checksums;
    manifest["complete"] = complete;
    double wall = 0, cpu = 0;
    for (const auto& [name, m] : models.items()) {
      wall += m.value("wall_s", 0.0);
      cpu += m.value("cpu_s", 0.0);
    }
    manifest["build_time"] = {{"wall_s", std::round(wall * 10) / 10}, {"cpu_s", std::round(cpu * 10) / 10},
                              {"note", "sum over the models of the builds that made them"}};
    if (complete) manifest["build_finished"] = utc_now();
    return write_file_whole(dir / "MANIFEST.json", manifest.dump(1) + "\n", error);
  };
  std::vector<size_t> todo;
  size_t work_left = 0;
  for (size_t i = 0; i < steps.size(); ++i) {
    const FeStep& s = steps[i];
    const bool wanted = options.only.empty() ? !finished(s)
                                             : std::find(s.files.begin(), s.files.end(), options.only) != s.files.end();
    if (wanted) {
      todo.push_back(i);
      work_left += s.work;
    }
  }
  if (options.only.empty() && todo.size() < steps.size())
    std::printf("resuming: %zu of %zu models already built\n", steps.size() - todo.size(), steps.size());
  std::fflush(stdout);
  const auto started = std::chrono::steady_clock::now();
  size_t work_done = 0;
  for (size_t t = 0; t < todo.size(); ++t) {
    const FeStep& s = steps[todo[t]];
    const auto wall0 = std::chrono::steady_clock::now();
    const double cpu0 = cpu_seconds();
    FeStepResult r;
    models.erase(s.files.front());
    if (!s.build(dir, r, error)) return false;
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wall0).count();
    const double cpu = cpu_seconds() - cpu0;
    nlohmann::json entry = {{"files", s.files},
                            {"grid", s.grid},
                            {"grid_cases", r.grid_cases},
                            {"solved_cases", r.solved_cases},
                            {"element_in", {std::round(r.element_min_in * 1000) / 1000, std::round(r.element_max_in * 1000) / 1000}},
                            {"response_range", r.response_range},
                            {"wall_s", std::round(wall * 10) / 10},
                            {"cpu_s", std::round(cpu * 10) / 10},
                            {"built", utc_now()}};
    models[s.files.front()] = entry;
    for (const std::string& f : s.files) {
      bool read = false;
      const std::string bytes = read_file_bytes(dir / f, read);
      if (!read) {
        error = "cannot read back " + (dir / f).string();
        return false;
      }
      checksums[f] = sha256_hex(bytes);
    }
    if (!save_manifest(false)) return false;
    work_done += s.work;
    const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    const double left = work_done > 0 ? elapsed * static_cast<double>(work_left - work_done) / work_done : 0.0;
    std::printf("[%zu/%zu] %s: %zu grid cases, %.1f s (CPU %.1f s)%s\n", t + 1, todo.size(), s.files.front().c_str(),
                r.grid_cases, wall, cpu, t + 1 < todo.size() ? ("; about " + minutes_text(left) + " left").c_str() : "");
    std::fflush(stdout);
  }
  // NNinfo.txt: the cracking folder lists its four bottom-up and edge
  // models; the faulting folder its 30 node files, single loaded (5
  // spacings), single unloaded, tandem loaded, ...
  std::string info;
  if (folder == FeFolder::cracking) {
    for (size_t i = 0; i < 4 && i < steps.size(); ++i) info += steps[i].files.front() + "\n";
  } else {
    for (const char* axle : {"single", "tandem", "tridem"})
      for (const char* side : {"_loaded_", "_unloaded_"})
        for (double L : faulting_node_spacings_ft)
          info += std::string("defl_") + axle + side + std::to_string(static_cast<int>(L)) + ".ttt\n";
  }
  if (!write_file_whole(dir / "NNinfo.txt", info, error)) return false;
  bool read = false;
  checksums["NNinfo.txt"] = sha256_hex(read_file_bytes(dir / "NNinfo.txt", read));
  bool complete = true;
  for (const FeStep& s : steps) complete = complete && finished(s);
  return save_manifest(complete);
}

// A model file read back (the text model_file_text writes).
inline bool read_model_file(const std::filesystem::path& path, ModelFile& m, std::string& error) {
  bool ok = false;
  std::istringstream in(read_file_bytes(path, ok));
  if (!ok) {
    error = "cannot open " + path.string();
    return false;
  }
  in >> m.ig1 >> m.ig2;
  const auto n = static_cast<size_t>(std::max(0, m.ig1 + m.ig2));
  m.ncoef.resize(n);
  m.kord.resize(n);
  for (auto& v : m.ncoef) in >> v;
  for (auto& v : m.kord) in >> v;
  m.knots.resize(n);
  size_t coefs = 1;
  for (size_t d = 0; d < n; ++d) {
    m.knots[d].resize(static_cast<size_t>(m.ncoef[d] + m.kord[d]));
    for (auto& v : m.knots[d]) in >> v;
    coefs *= static_cast<size_t>(m.ncoef[d]);
  }
  m.coef.resize(coefs);
  for (auto& v : m.coef) in >> v;
  if (!in || n == 0) {
    error = path.string() + ": not a model file";
    return false;
  }
  return true;
}

// The group of a folder that writes `file`, and which of its outputs.
inline bool find_fe_output(FeFolder folder, const FeBuildOptions& options, double mesh_scale, const std::string& file,
                           FeModelGroup& group, size_t& output) {
  const int points = options.points;
  Meshing m = fe_meshing(options);
  m.stress.scale = m.deflection.scale = m.far_stress.scale = mesh_scale;
  const std::vector<FeModelGroup> groups =
      folder == FeFolder::cracking ? cracking_fe_groups(points, m) : faulting_fe_groups(points, m);
  for (const FeModelGroup& g : groups) {
    for (size_t o = 0; o < g.outputs.size(); ++o) {
      if (g.outputs[o].first == file) {
        group = g;
        output = o;
        return true;
      }
    }
  }
  return false;
}

// The direct solve of a model's slab system at one input point (inputs
// that do not change the case at their first grid value); the element size
// used in `element_in`.
inline double fe_direct(const FeModelGroup& group, size_t output, Inputs x, double& element_in) {
  for (size_t d = 0; d < x.size() && d < group.unused.size(); ++d)
    if (group.unused[d]) x[d] = group.grid.nodes[d].front();
  fem::SlabCase c = group.make_case(x);
  element_in = c.mesh_in;
  const fem::SlabSolution s = fem::solve_case(c);
  SlabResponses r;
  for (const fem::ResponsePoint& p : c.points) {
    fem::PointResponse pr;
    if (!fem::response_at(s, p.x_in, p.y_in, pr)) pr.deflection_in = pr.stress_bottom_x_psi = pr.stress_top_x_psi = std::nan("");
    r.push_back(pr);
  }
  return group.outputs[output].second(x, r);
}

}  // namespace jpcp::models
