// The deflection models: loading of the node files, the reduction to the
// section's joint spacing, calc_def and the curl deflection grid.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "common/platform/paths.h"
#include "faulting/deflection/calc_def.h"
#include "faulting/deflection/curl_grid.h"
#include "faulting/deflection/deflection_model.h"
#include "faulting/model/section_setup.h"
#include "tests/support/faulting_section.h"
#include "tests/support/section_folder.h"

namespace jpcp::faulting {
namespace {

using jpcp::testing::TempFolder;
using jpcp::testing::write_file;

struct Reported {
  std::vector<std::string> messages;
  inputs::ReportError reporter() {
    return [this](std::string_view m) { messages.emplace_back(m); };
  }
};

// The six models of the default closed-form response, loaded from files.
class DeflectionModels_ : public ::testing::Test {
 protected:
  DeflectionModels_() : folder_("fdefl") { jpcp::testing::write_model_folder(folder_.path()); }
  NodeSet nodes(size_t g) const {
    NodeSet set;
    for (size_t n = 0; n < joint_spacing_nodes; ++n) {
      set.paths[n] = (folder_.path() / ("defl" + std::to_string(g + 1) + "_" + std::to_string(n + 1) + ".ttt")).string();
    }
    return set;
  }
  DeflectionModels load_all() {
    DeflectionModels models;
    for (size_t g = 0; g < deflection_model_count; ++g) {
      EXPECT_TRUE(load_deflection_model(nodes(g), 1 << 20, reported_.reporter(), models[g]));
    }
    return models;
  }
  TempFolder folder_;
  Reported reported_;
};

TEST_F(DeflectionModels_, NamesOfNNinfoAreFullPathsInTheModelFolder) {
  std::array<std::string, nn_info_names> paths;
  ASSERT_TRUE(read_deflection_model_names(platform::folder_text(folder_.str()), reported_.reporter(), paths));
  EXPECT_EQ(paths[0], (folder_.path() / "defl1_1.ttt").string());
  EXPECT_EQ(paths[29], (folder_.path() / "defl6_5.ttt").string());
  write_file(folder_.path() / "NNinfo.txt", "a.ttt\nb.ttt\n");
  EXPECT_FALSE(read_deflection_model_names(platform::folder_text(folder_.str()), reported_.reporter(), paths));
  EXPECT_EQ(reported_.messages, std::vector<std::string>{"Unexpected end of file: NNinfo.txt"});
}

TEST_F(DeflectionModels_, ReductionAtANodeSpacingGivesThatNodesOwnCoefficients) {
  DeflectionModel model;
  ASSERT_TRUE(load_deflection_model(nodes(0), 1 << 20, reported_.reporter(), model));
  const auto P = static_cast<size_t>(model.coefficients);
  // Make the node blocks unrelated to each other, as real nodes are.
  for (size_t n = 0; n < joint_spacing_nodes; ++n) {
    for (size_t q = 0; q < P; ++q) model.blocks[q + n * P] = std::sin(0.37f * static_cast<float>(q) + static_cast<float>(n * n));
  }
  const std::vector<float> node2(model.blocks.begin() + static_cast<ptrdiff_t>(P),
                                 model.blocks.begin() + static_cast<ptrdiff_t>(2 * P));
  reduce_to_joint_spacing(model, 15.0f);
  ASSERT_TRUE(model.reduced);
  EXPECT_EQ(std::vector<float>(model.blocks.begin(), model.blocks.begin() + static_cast<ptrdiff_t>(P)), node2);
  EXPECT_EQ(model.staged.model.coef, node2);
}

TEST_F(DeflectionModels_, ReductionBetweenNodesFollowsTheCubicThroughTheNodes) {
  DeflectionModel model;
  ASSERT_TRUE(load_deflection_model(nodes(2), 1 << 20, reported_.reporter(), model));
  const auto P = static_cast<size_t>(model.coefficients);
  auto cubic = [](double L, size_t q) { return 0.5 + 0.01 * static_cast<double>(q % 5) * L - 0.0004 * L * L * L / 27.0; };
  for (size_t n = 0; n < joint_spacing_nodes; ++n) {
    for (size_t q = 0; q < P; ++q) model.blocks[q + n * P] = static_cast<float>(cubic(node_joint_spacings[n], q));
  }
  reduce_to_joint_spacing(model, 19.0f);
  for (size_t q = 0; q < P; ++q) EXPECT_NEAR(model.blocks[q], cubic(19.0, q), 2e-5) << q;
}

TEST_F(DeflectionModels_, CalcDefMatchesTheClosedFormAndZeroLoadsGiveZero) {
  DeflectionModels models = load_all();
  const NormalisedLoads loads = normalised_loads(150.0f / 1728.0f, 10.0f);
  const CalcDefInputs in{35.0f, 12.0f, 0.8f, 70.0f, 10.0f, 18.0f, 21.0f};
  DeflectionTable defl{};
  calc_def(in, loads, models, defl);
  for (size_t g = 0; g < deflection_model_count; ++g) EXPECT_TRUE(models[g].reduced);
  const std::array<size_t, 3> levels = {single_load_levels, tandem_load_levels, tridem_load_levels};
  const std::array<const std::array<float, load_levels>*, 3> axle_loads = {&loads.single, &loads.tandem,
                                                                             &loads.tridem};
  for (size_t t = 0; t < 3; ++t) {
    for (size_t j = 0; j < levels[t]; ++j) {
      for (size_t c : {2 * t, 2 * t + 1}) {
        const double expected = jpcp::testing::default_deflection_slope(c, 21.0f, 35.0f, 70.0f) *
                                (*axle_loads[t])[j] * 0.8;
        EXPECT_NEAR(defl[j][c], expected, 1e-5 * std::fabs(expected) + 1e-8) << t << " " << j << " " << c;
      }
    }
  }
  // Levels beyond a type's count are left alone.
  EXPECT_EQ(defl[31][tridem_loaded], 0.0f);

  // A second call with the same inputs uses the models reduced once.
  DeflectionTable again{};
  calc_def(in, loads, models, again);
  EXPECT_EQ(again, defl);

  NormalisedLoads zero;
  DeflectionTable none{};
  for (auto& row : none) row.fill(1.0f);
  calc_def(CalcDefInputs{50.0f, 80.0f, 1.3f, 10.0f, 25.0f, 30.0f, 21.0f}, zero, models, none);
  for (size_t j = 0; j < single_load_levels; ++j) {
    for (size_t c = 0; c < 4; ++c) EXPECT_EQ(none[j][c], 0.0f) << j << " " << c;
  }
  for (size_t j = 0; j < tridem_load_levels; ++j) EXPECT_EQ(none[j][tridem_unloaded], 0.0f);
}

TEST_F(DeflectionModels_, NodeFileFailuresAreReported) {
  DeflectionModel model;
  NodeSet set = nodes(1);
  set.paths[3] = (folder_.path() / "absent.ttt").string();
  EXPECT_FALSE(load_deflection_model(set, 1 << 20, reported_.reporter(), model));
  EXPECT_EQ(reported_.messages.back(), "Deflection model file could not be opened: " + set.paths[3]);

  nn::ResponseModel other = jpcp::testing::deflection_node_model(1, 21.0f, jpcp::testing::default_deflection);
  other.ig1 = 4;
  other.ig2 = 2;
  write_file(folder_.path() / "shape.ttt", jpcp::testing::model_file_text(other));
  set = nodes(1);
  set.paths[0] = (folder_.path() / "shape.ttt").string();
  EXPECT_FALSE(load_deflection_model(set, 1 << 20, reported_.reporter(), model));
  EXPECT_EQ(reported_.messages.back(),
            "Deflection model file is not a 3+3 model (ig1 and ig2 must be 3): " + set.paths[0]);
  int64_t storage = 0;
  EXPECT_FALSE(deflection_storage_size(set.paths[0], reported_.reporter(), storage));

  write_file(folder_.path() / "short.ttt", "3 3\n2 2 2 2 2 2\n2 2 2 2 2 2\n0 0 1 1\n");
  set.paths[0] = (folder_.path() / "short.ttt").string();
  EXPECT_FALSE(load_deflection_model(set, 1 << 20, reported_.reporter(), model));
  EXPECT_EQ(reported_.messages.back().rfind("Deflection model file could not be read: " + set.paths[0], 0), 0u);

  // Every model must fit the storage sized from the first model file.
  set = nodes(1);
  EXPECT_FALSE(load_deflection_model(set, 10, reported_.reporter(), model));
  EXPECT_EQ(reported_.messages.back(), "Deflection model file has more coefficients than the first model file: " +
                                           set.paths[0]);
  EXPECT_FALSE(model.reduced);
}

TEST(CurlDeflectionGrid_, FitReproducesTheQuadraticAndBadGridsAreReported) {
  TempFolder folder("fcurl");
  jpcp::testing::write_curl_grid(folder.path());
  Reported reported;
  CurlDeflectionGrid grid;
  const std::string path = (folder.path() / "defl0.csv").string();
  ASSERT_TRUE(read_curl_grid(path, reported.reporter(), grid));
  for (const auto& [L, ell, phi] : std::vector<std::array<float, 3>>{{15, 35, 3}, {33, 200, 150}, {10, 10, 0}}) {
    EXPECT_NEAR(curl_deflection(grid, L, ell, phi), jpcp::testing::default_curl(L, ell, phi), 2e-6);
  }

  const std::vector<std::pair<std::string, std::string>> cases = {
      {"3,2,3\n1,2,3\n1,2\n1,2,3\n", " -- every dimension needs at least 3 grid values"},
      {"3,3,3\n1,2,3\n1,3,2\n1,2,3\n", " -- the grid values of a dimension are not strictly increasing"},
      {"3,3,3\n1,2,3\n1,2,3\n1,2,x\n", " -- a value is not a number"},
      {"3,3\n", " -- the file ends before all grid values are given"},
      // Each count alone is within bounds; their product overflows 64 bits.
      {"2000000000,2000000000,2000000000\n", " -- the grid has more values than can be held"},
  };
  for (const auto& [contents, reason] : cases) {
    write_file(path, contents);
    reported.messages.clear();
    EXPECT_FALSE(read_curl_grid(path, reported.reporter(), grid));
    EXPECT_EQ(reported.messages, std::vector<std::string>{"Curl deflection grid cannot be fitted: " + path + reason});
  }
}

}  // namespace
}  // namespace jpcp::faulting
