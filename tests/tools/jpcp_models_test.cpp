// jpcp_models: models built from grids, read back through the project's own
// evaluators; the demonstration models against their closed forms; the
// magnitudes the programs see at typical slabs.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "common/nn/response_model.h"
#include "cracking/nn/nn_eval_22.h"
#include "cracking/nn/nn_eval_32.h"
#include "cracking/nn/nn_eval_33.h"
#include "tests/common/nn/model_test_support.h"
#include "tools/jpcp_models/csv_grid.h"
#include "tools/jpcp_models/demo_models.h"
#include "tools/jpcp_models/model_builder.h"

namespace jpcp::models {
namespace {

using nn::testing::TempDir;

// Value of a model file through the evaluator that serves its group split.
float evaluate_file(const std::string& path, const ModelFile& shape, const std::vector<double>& x) {
  std::vector<float> f(x.begin(), x.end());
  std::vector<float> out(3, 0.0f);
  const std::string name = nn::testing::padded(path);
  if (shape.ig1 == 3 && shape.ig2 == 2) {
    nn::nn_eval_32_grid(name, 1, 1, 1, 1, f[0], std::span(&f[1], 1), std::span(&f[2], 1), std::span(&f[3], 1),
                        std::span(&f[4], 1), std::span(out.data(), 1));
  } else if (shape.ig1 == 2 && shape.ig2 == 2) {
    nn::nn_eval_22(name, 1, 1, 1, std::span(&f[0], 1), std::span(&f[1], 1), f[2], std::span(&f[3], 1),
                   std::span(out.data(), 1));
  } else {
    float progress = 0.0f;
    const std::vector<float> x6(3, f[5]);
    nn::nn_eval_33_kernel(name, 1, 1, 1, f[0], std::span(&f[1], 1), std::span(&f[2], 1), std::span(&f[3], 1),
                          std::span(&f[4], 1), x6, out, progress, 0.0f, nullptr);
  }
  return out[0];
}

std::vector<double> random_point(const GridSpec& grid, std::mt19937& rng) {
  std::vector<double> x;
  for (const auto& v : grid.nodes) x.push_back(std::uniform_real_distribution<double>(v.front(), v.back())(rng));
  return x;
}

// A polynomial of degree at most 3 in each input, not symmetric in any pair.
double cubic(const std::vector<double>& x) {
  double v = 1.0;
  for (size_t d = 0; d < x.size(); ++d) {
    const double t = x[d];
    v += (1.0 + 0.3 * static_cast<double>(d)) * t - 0.1 * t * t * static_cast<double>(d % 3) +
         0.01 * t * t * t * static_cast<double>(d == 1);
  }
  return v + 0.5 * x[0] * x[x.size() - 1] - 0.2 * x[1] * x[2];
}

TEST(ModelBuilder, CubicModelsReproduceGridAndPolynomialThroughEvaluators) {
  TempDir dir;
  std::mt19937 rng(7);
  const std::vector<GridSpec> grids = {
      {3, 2, {nodes(0, 2, 5), nodes(-1, 1, 6), nodes(1, 3, 7), nodes(0, 1, 5), nodes(2, 4, 8)}, {4, 4, 4, 4, 4}},
      {2, 2, {nodes(0, 2, 6), nodes(-1, 1, 5), nodes(1, 3, 7), nodes(0, 1, 4)}, {4, 4, 4, 4}},
      {3, 3, {nodes(0, 2, 4), nodes(-1, 1, 5), nodes(1, 3, 6), nodes(0, 1, 4), nodes(2, 4, 5), nodes(0, 3, 6)},
       {4, 4, 4, 4, 4, 4}}};
  for (const GridSpec& grid : grids) {
    SCOPED_TRACE(std::to_string(grid.ig1) + "+" + std::to_string(grid.ig2));
    ModelFile model;
    std::string error;
    ASSERT_TRUE(build_model(grid, cubic, model, error)) << error;
    const std::string path = dir.write("m.ttt", model_file_text(model));
    // Every grid node (corners and a diagonal) and random points.
    for (size_t i = 0; i < 4; ++i) {
      std::vector<double> x;
      for (const auto& v : grid.nodes) x.push_back(v[std::min(i, v.size() - 1)]);
      EXPECT_NEAR(evaluate_file(path, model, x), cubic(x), 2e-4 * std::abs(cubic(x)) + 1e-4);
    }
    for (int r = 0; r < 30; ++r) {
      const std::vector<double> x = random_point(grid, rng);
      EXPECT_NEAR(evaluate_file(path, model, x), cubic(x), 2e-4 * std::abs(cubic(x)) + 1e-4);
      EXPECT_NEAR(evaluate_model(model, x), cubic(x), 2e-4 * std::abs(cubic(x)) + 1e-4);
    }
  }
}

TEST(ModelBuilder, CoefficientOrderIsTheFileOrderOfEveryGroupSplit) {
  // file_index against the tests' independent rule, for all three splits.
  for (auto [ig1, ig2] : {std::pair{3, 2}, std::pair{2, 2}, std::pair{3, 3}}) {
    GridSpec grid{ig1, ig2, {}, {}};
    nn::testing::ModelDefinition def;
    def.ig1 = ig1;
    def.ig2 = ig2;
    for (int d = 0; d < ig1 + ig2; ++d) {
      grid.nodes.push_back(nodes(0, 1, 2 + d));
      def.ncoef.push_back(2 + d);
    }
    std::vector<size_t> idx(grid.nodes.size(), 0);
    std::vector<int32_t> idx32(idx.size(), 0);
    std::vector<bool> hit(720 * 7 * 8, false);
    for (;;) {
      const size_t p = file_index(grid, idx);
      EXPECT_EQ(p, nn::testing::file_position(def, idx32));
      EXPECT_FALSE(hit[p]);
      hit[p] = true;
      size_t d = 0;
      while (d < idx.size() && ++idx[d] == grid.nodes[d].size()) idx32[d] = 0, idx[d++] = 0;
      if (d == idx.size()) break;
      idx32[d] = static_cast<int32_t>(idx[d]);
    }
  }
  // A model whose group-2 dimensions are written in swapped order evaluates
  // differently, so a transposed order cannot go unnoticed.
  TempDir dir;
  const GridSpec grid{3, 2, {nodes(0, 1, 4), nodes(0, 1, 4), nodes(0, 1, 4), nodes(0, 1, 5), nodes(0, 1, 6)},
                      {4, 4, 4, 4, 4}};
  ModelFile model;
  std::string error;
  ASSERT_TRUE(build_model(grid, cubic, model, error)) << error;
  ModelFile swapped = model;
  const size_t block = 64;
  for (size_t i4 = 0; i4 < 5; ++i4)
    for (size_t i5 = 0; i5 < 6; ++i5)
      for (size_t o = 0; o < block; ++o) swapped.coef[o + block * (i4 + 5 * i5)] = model.coef[o + block * (i5 + 6 * i4)];
  const std::vector<double> x = {0.3, 0.6, 0.2, 0.7, 0.1};
  const std::string good = dir.write("good.ttt", model_file_text(model));
  const std::string bad = dir.write("bad.ttt", model_file_text(swapped));
  EXPECT_NEAR(evaluate_file(good, model, x), cubic(x), 1e-4);
  EXPECT_GT(std::abs(evaluate_file(bad, model, x) - cubic(x)), 0.05);
}

TEST(ModelBuilder, RejectsMalformedGrids) {
  ModelFile model;
  std::string error;
  GridSpec grid{3, 2, {nodes(0, 1, 5), nodes(0, 1, 5), nodes(0, 1, 5), nodes(0, 1, 5), nodes(0, 1, 3)}, {4, 4, 4, 4, 4}};
  EXPECT_FALSE(build_model(grid, cubic, model, error));
  EXPECT_NE(error.find("dimension 5: fewer nodes than its order"), std::string::npos) << error;
  grid.nodes[4] = {0.0f, 0.5f, 0.5f, 1.0f};
  EXPECT_FALSE(build_model(grid, cubic, model, error));
  EXPECT_NE(error.find("not strictly increasing"), std::string::npos) << error;
  grid.nodes[4] = nodes(0, 1, 5);
  grid.ig2 = 3;
  EXPECT_FALSE(build_model(grid, cubic, model, error));
  EXPECT_NE(error.find("ig1 + ig2"), std::string::npos) << error;
}

std::string grid_csv(const GridSpec& grid, bool shuffled, size_t drop_row, bool duplicate_first) {
  std::vector<std::string> rows;
  const size_t n = grid.nodes.size();
  std::vector<size_t> idx(n, 0);
  for (;;) {
    std::ostringstream row;
    row.precision(9);
    std::vector<double> x;
    for (size_t d = 0; d < n; ++d) {
      x.push_back(grid.nodes[d][idx[d]]);
      row << x.back() << ", ";
    }
    row << cubic(x);
    rows.push_back(row.str());
    size_t d = 0;
    while (d < n && ++idx[d] == grid.nodes[d].size()) idx[d++] = 0;
    if (d == n) break;
  }
  if (shuffled) std::shuffle(rows.begin(), rows.end(), std::mt19937(3));
  if (duplicate_first) rows[drop_row] = rows[0];
  else if (drop_row < rows.size()) rows.erase(rows.begin() + static_cast<long>(drop_row));
  std::string text = "# a comment\nx1,x2,x3,x4,value\n";
  for (const auto& r : rows) text += r + "\n";
  return text;
}

TEST(CsvGrid, ShuffledRowsGiveTheModelOfTheFunctionAndGapsAreNamed) {
  const GridSpec reference{2, 2, {nodes(0, 2, 5), nodes(-1, 1, 6), nodes(1, 3, 4), nodes(0, 1, 5)}, {4, 4, 4, 4}};
  ModelFile expected;
  std::string error;
  ASSERT_TRUE(build_model(reference, cubic, expected, error));
  GridSpec grid{2, 2, {}, {4, 4, 4, 4}};
  std::vector<float> values;
  ASSERT_TRUE(read_csv_grid(grid_csv(reference, true, 100000, false), grid, values, error)) << error;
  ModelFile model;
  ASSERT_TRUE(build_model(grid, values, model, error)) << error;
  ASSERT_EQ(model.coef.size(), expected.coef.size());
  for (size_t i = 0; i < model.coef.size(); ++i) EXPECT_NEAR(model.coef[i], expected.coef[i], 1e-4) << i;

  EXPECT_FALSE(read_csv_grid(grid_csv(reference, true, 17, false), grid, values, error));
  EXPECT_NE(error.find("do not form a full grid"), std::string::npos) << error;
  EXPECT_FALSE(read_csv_grid(grid_csv(reference, false, 17, true), grid, values, error));
  EXPECT_NE(error.find("appears twice"), std::string::npos) << error;
  EXPECT_FALSE(read_csv_grid("x,y\n1,2,3,4,5\n1,2,x,4,5\n", grid, values, error));
  EXPECT_NE(error.find("line 3"), std::string::npos) << error;
  EXPECT_FALSE(read_csv_grid("1,2,3\n", grid, values, error));
  EXPECT_NE(error.find("3 columns, expected 5"), std::string::npos) << error;
}

// Each demonstration model, written and read back through its evaluator,
// follows its closed form at random points inside its range: within 2 % of
// the value plus 0.5 % of the largest value met.
void check_demo(const DemoModel& demo, const TempDir& dir, int points) {
  SCOPED_TRACE(demo.file_name);
  ModelFile model;
  std::string error;
  ASSERT_TRUE(build_model(demo.grid, demo.response, model, error)) << error;
  const std::string path = dir.write(demo.file_name, model_file_text(model));
  std::mt19937 rng(11);
  std::vector<std::vector<double>> xs;
  double largest = 0.0;
  for (int r = 0; r < points; ++r) {
    xs.push_back(random_point(demo.grid, rng));
    largest = std::max(largest, std::abs(demo.response(xs.back())));
  }
  for (const auto& x : xs) {
    const double exact = demo.response(x);
    EXPECT_NEAR(evaluate_file(path, model, x), exact, 0.02 * std::abs(exact) + 0.005 * largest);
  }
}

TEST(DemoModels, CrackingModelsFollowTheirClosedForms) {
  TempDir dir;
  const std::vector<DemoModel> list = cracking_demo_models();
  ASSERT_EQ(list.size(), 28u);
  for (size_t i = 0; i < list.size(); i += (i < 4 ? 1 : 7)) check_demo(list[i], dir, 40);
}

TEST(DemoModels, FaultingModelsFollowTheirClosedForms) {
  TempDir dir;
  const std::vector<DemoModel> list = faulting_demo_models();
  ASSERT_EQ(list.size(), 30u);
  for (size_t i = 0; i < list.size(); i += 7) check_demo(list[i], dir, 40);
}

// The section of the checks: 10 in slab, E = 4e6 psi, k = 150 pci, 150 pcf,
// 15 ft joints, 7 in wide tires at 120 psi, dual spacing 12 in.
struct Section {
  double h = 10.0, E = 4.0e6, k = 150.0, gamma = 150.0 / 1728.0, L = 15.0;
  double l() const { return std::pow(E * h * h * h / (12.0 * 0.9775 * k), 0.25); }
  double href() const { return slab::reference_thickness(l()); }
};

TEST(DemoModels, MagnitudesAtTheReferenceSlabsAreRealistic) {
  const Section s;
  // Edge stress of an 18 kip single axle at the edge, as the cracking
  // program combines the edge tire model: g2 (f31/100) (M3(x) + M3(x + 12)).
  const double r = 0.25 * 18000.0 / (120.0 * 49.0);
  const double g2 = std::pow(s.href() / s.h, 2.0);
  const double edge = g2 * 1.2 *
                      (demo::edge_tire_stress({0.01, 0.0, 7.0, r, s.href()}) +
                       demo::edge_tire_stress({0.01, 12.0, 7.0, r, s.href()}));
  EXPECT_GT(edge, 150.0);
  EXPECT_LT(edge, 450.0);
  // Load transfer lowers it, and it rises with the load.
  EXPECT_LT(demo::edge_tire_stress({50.0, 0.0, 7.0, r, s.href()}), demo::edge_tire_stress({0.01, 0.0, 7.0, r, s.href()}));
  EXPECT_GT(demo::edge_tire_stress({10.0, 0.0, 7.0, 2 * r, s.href()}), demo::edge_tire_stress({10.0, 0.0, 7.0, r, s.href()}));

  // Curling stress at 2 F/in: the bottom-up model's temperature-alone pass
  // times the program's scale q = gamma h_r / (0.087 h).
  const double phi = 2.0 * 5.5e-6 * 1.15 * s.l() * s.l() * s.k * 20.0 / (s.h * s.h * s.gamma);
  const double rho = std::min(12.0 * s.L / s.l(), 14.5);
  const double q = s.gamma * s.href() / (0.087 * s.h);
  const double curl = q * demo::bottom_up_stress({s.L, rho, 0.0, phi, 0.0}, false);
  EXPECT_GT(curl, 60.0);
  EXPECT_LT(curl, 300.0);
  const double lambda = 18000.0 / (s.gamma * s.L * 1728.0 * s.h);
  const double load = q * demo::bottom_up_stress({s.L, rho, 0.0, 0.0, lambda}, false);
  EXPECT_GT(load, 150.0);
  EXPECT_LT(load, 450.0);
  EXPECT_GT(q * demo::bottom_up_stress({s.L, rho, 0.0, phi, lambda}, false), load + curl);

  // Corner deflection of the 18 kip single axle, scaled by beta, free joint
  // and with load transfer 80 %.
  const double beta = slab::deflection_scale_constant * s.h / (s.k * std::pow(s.l(), 4.0));
  const double lam = 18000.0 / (s.gamma * 25920.0 * s.h);
  const double free_corner = beta * demo::corner_deflection_s({s.l(), 10.0, 0.0, 5.0, lam, 0.0}, 1, true, s.L);
  const double lte80 = beta * demo::corner_deflection_s({s.l(), 10.0, 80.0, 5.0, lam, 0.0}, 1, true, s.L);
  EXPECT_GT(free_corner, 0.01);
  EXPECT_LT(free_corner, 0.06);
  EXPECT_NEAR(lte80 / free_corner, 0.55, 0.02);
  EXPECT_GT(lte80, 0.01);
  // Curling lifts the corner by a few hundredths of an inch at -25 F.
  const double phi_n = 2.0 * 5.5e-6 * 1.15 * s.l() * s.l() * s.k * 25.0 / (s.h * s.h * s.gamma);
  const double lift = beta * (demo::curl_grid_value(s.L, s.l(), 0.0) - demo::curl_grid_value(s.L, s.l(), phi_n));
  EXPECT_GT(lift, 0.01);
  EXPECT_LT(lift, 0.08);

  // Top-down: a night-time 20 F difference and a 34 kip tandem, converted by
  // 10 h^2 gamma / (0.087 h^3).
  const double top = 10.0 * s.gamma / (0.087 * s.h) *
                     demo::top_down_stress({10.0, s.l(), phi, 34000.0 / (51840.0 * s.gamma * s.h), 0.0, 0.0}, 15, 14.5);
  EXPECT_GT(top, 150.0);
  EXPECT_LT(top, 450.0);
}

TEST(DemoModels, FoldersNameEveryFileAndEveryFileReadsBack) {
  TempDir dir;
  std::string error;
  ASSERT_TRUE(write_cracking_demo(dir.file("crk"), error)) << error;
  ASSERT_TRUE(write_faulting_demo(dir.file("flt"), error)) << error;
  auto lines = [](const std::string& path) {
    std::ifstream in(path);
    std::vector<std::string> out;
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
  };
  const auto crk = lines(dir.file("crk/NNinfo.txt"));
  ASSERT_EQ(crk.size(), 4u);
  const auto flt = lines(dir.file("flt/NNinfo.txt"));
  ASSERT_EQ(flt.size(), 30u);
  std::vector<std::string> files;
  for (const auto& n : crk) files.push_back("crk/" + n);
  for (const char* set : {"13", "14", "15", "16", "18", "20"})
    for (int k = 1; k <= 4; ++k) files.push_back(std::string("crk/top") + set + "d" + std::to_string(k) + ".ttt");
  for (const auto& n : flt) files.push_back("flt/" + n);
  uintmax_t total = 0;
  for (const auto& f : files) {
    SCOPED_TRACE(f);
    std::ifstream in(dir.file(f));
    ASSERT_TRUE(in.good());
    std::stringstream text;
    text << in.rdbuf();
    nn::ResponseModel model;
    std::string reason;
    ASSERT_TRUE(nn::parse_response_model(text.str(), model, reason)) << reason;
    EXPECT_GE(model.coef.size(), 2000u);
    EXPECT_LE(model.coef.size(), 100000u);
    EXPECT_LT(text.str().size(), 1500000u);
    total += text.str().size();
  }
  EXPECT_LT(total, 30000000u);
  // The curl grid: its counts, then one record per node.
  std::ifstream curl(dir.file("flt/defl0.csv"));
  int nl = 0, nr = 0, np = 0;
  curl >> nl >> nr >> np;
  EXPECT_EQ(lines(dir.file("flt/defl0.csv")).size(), static_cast<size_t>(4 + nl * nr * np));
}

}  // namespace
}  // namespace jpcp::models
