// Case files: the documented layout reads into a case; each missing or
// malformed key is named in a one-line error.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "slab/case_file.h"

namespace jpcp::slab {
namespace {

const char* const basic_case = R"({"slabs": {"lengths_ft": [15, 15], "widths_ft": [12], "thickness_in": 10,
  "modulus_psi": 4e6, "poisson": 0.15, "unit_weight_pcf": 150, "cte_per_F": 5.5e-6},
  "foundation": {"k_pci": 100, "tensionless": true}, "self_weight": true, "temperature_difference_F": 0,
  "joints": {"transverse_lte_percent": 70, "longitudinal_lte_percent": 0}, "mesh_in": 6,
  "loads": [{"x_in": 0, "y_in": 0, "length_in": 10, "width_in": 10, "pressure_psi": 100}],
  "points": [{"x_in": 0, "y_in": 0}]})";

std::string error_of(const nlohmann::json& j) {
  SlabCase c;
  std::string error;
  EXPECT_FALSE(parse_case(j.dump(), c, error)) << j.dump();
  return error;
}

TEST(SlabCaseFile, ReadsTheBasicLayoutAndTheOptionalKeys) {
  nlohmann::json j = nlohmann::json::parse(basic_case);
  j["slabs"]["shoulder_width_ft"] = 10;
  j["joints"]["dowels"] = {{"stiffness_lb_per_in", 2e5}, {"spacing_in", 12}};
  j["joints"]["transverse_stiffness_psi"] = 5000;
  SlabCase c;
  std::string error;
  ASSERT_TRUE(parse_case(j.dump(), c, error)) << error;
  EXPECT_EQ(c.lengths_ft, (std::vector<double>{15, 15}));
  EXPECT_EQ(c.shoulder_width_ft, 10);
  EXPECT_TRUE(c.tensionless && c.self_weight && c.dowels.present);
  EXPECT_EQ(c.transverse.stiffness_psi, 5000);
  EXPECT_EQ(c.longitudinal.lte_percent, 0);
  ASSERT_EQ(c.loads.size(), 1u);
  EXPECT_EQ(c.loads[0].pressure_psi, 100);
  ASSERT_EQ(c.points.size(), 1u);
}

TEST(SlabCaseFile, NamesTheKeyThatIsMissingOrBad) {
  const nlohmann::json good = nlohmann::json::parse(basic_case);
  auto without = [&](const nlohmann::json::json_pointer& p) {
    nlohmann::json j = good;
    j[p.parent_pointer()].erase(p.back());
    return error_of(j);
  };
  auto with = [&](const nlohmann::json::json_pointer& p, const nlohmann::json& v) {
    nlohmann::json j = good;
    j[p] = v;
    return error_of(j);
  };
  using ptr = nlohmann::json::json_pointer;
  EXPECT_EQ(without(ptr("/slabs/thickness_in")), "slabs.thickness_in: missing");
  EXPECT_EQ(without(ptr("/foundation")), "foundation: missing");
  EXPECT_EQ(without(ptr("/joints/transverse_lte_percent")), "joints.transverse_lte_percent: missing");
  EXPECT_EQ(without(ptr("/points/0/y_in")), "points[0].y_in: missing");
  EXPECT_EQ(with(ptr("/slabs/modulus_psi"), "4e6"), "slabs.modulus_psi: not a number");
  EXPECT_EQ(with(ptr("/slabs/lengths_ft"), nlohmann::json::array()), "slabs.lengths_ft: empty list");
  EXPECT_EQ(with(ptr("/slabs/widths_ft/0"), -12), "slabs.widths_ft[0]: must be positive");
  EXPECT_EQ(with(ptr("/slabs/poisson"), 0.5), "slabs.poisson: must be below 0.5");
  EXPECT_EQ(with(ptr("/foundation/tensionless"), 1), "foundation.tensionless: not true or false");
  EXPECT_EQ(with(ptr("/foundation/k_pci"), 0), "foundation.k_pci: must be positive");
  EXPECT_EQ(with(ptr("/joints/transverse_lte_percent"), 120), "joints.transverse_lte_percent: above 100");
  EXPECT_EQ(with(ptr("/loads/0/length_in"), 0), "loads[0].length_in: must be positive");
  EXPECT_EQ(with(ptr("/loads"), nlohmann::json::object()), "loads: not a list");
  EXPECT_EQ(with(ptr("/points/0/x_in"), 361), "points[0]: outside the slabs");
  EXPECT_EQ(with(ptr("/mesh_in"), 0.01), "mesh_in: too small for the slabs (more than 4 million elements)");

  SlabCase c;
  std::string error;
  EXPECT_FALSE(parse_case("{\"slabs\": [1, 2", c, error));
  EXPECT_EQ(error.rfind("not valid JSON", 0), 0u) << error;
  EXPECT_FALSE(parse_case("[1]", c, error));
  EXPECT_EQ(error, "the case is not a JSON object");
}

}  // namespace
}  // namespace jpcp::slab
