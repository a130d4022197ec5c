// A complete NN model folder for end-to-end runs: NNinfo.txt, the four
// row-1 models and the 24 top-down models, each an order-2 (multilinear)
// spline whose value is known in closed form:
//   model 1 and 2 (3+2):   S = curl_slope * x4 + load_slope * x5
//   model 3 (3+2):         S = edge_value
//   model 4 (2+2):         S = edge_value
//   top-down (3+3):        S = top_slope * x3 + top_value
// Every input of the programs' calls lies inside the node range.
#pragma once

#include <filesystem>

namespace jpcp::testing {

struct TestModelValues {
  float curl_slope = 10.0f;   // psi per unit of the curling parameter
  float load_slope = 100.0f;  // psi per unit of the load parameter
  float edge_value = 100.0f;
  float top_slope = 5.0f;
  float top_value = 20.0f;
};

inline constexpr float test_model_range = 500.0f;  // nodes at -range and +range

void write_test_models(const std::filesystem::path& nn_folder, const TestModelValues& values = {});

}  // namespace jpcp::testing
