#include "tests/support/test_models.h"

#include <array>
#include <string>

#include "tests/common/nn/model_test_support.h"
#include "tests/support/section_folder.h"

namespace jpcp::testing {

namespace {

using nn::testing::linear_model;
using nn::testing::model_text;

std::vector<std::vector<float>> nodes(size_t dimensions) {
  return std::vector<std::vector<float>>(dimensions, {-test_model_range, test_model_range});
}

}  // namespace

void write_test_models(const std::filesystem::path& nn_folder, const TestModelValues& v) {
  write_file(nn_folder / "NNinfo.txt", "bottom1.ttt\nbottom2.ttt\nedge32.ttt\nedge22.ttt\n");
  const auto bottom = linear_model(3, 2, nodes(5), [&](const std::vector<float>& x) {
    return static_cast<double>(v.curl_slope) * x[3] + static_cast<double>(v.load_slope) * x[4];
  });
  write_file(nn_folder / "bottom1.ttt", model_text(bottom));
  write_file(nn_folder / "bottom2.ttt", model_text(bottom));
  const auto constant = [&](const std::vector<float>&) { return static_cast<double>(v.edge_value); };
  write_file(nn_folder / "edge32.ttt", model_text(linear_model(3, 2, nodes(5), constant)));
  write_file(nn_folder / "edge22.ttt", model_text(linear_model(2, 2, nodes(4), constant)));
  const auto top = linear_model(3, 3, nodes(6), [&](const std::vector<float>& x) {
    return static_cast<double>(v.top_slope) * x[2] + static_cast<double>(v.top_value);
  });
  const std::string top_text = model_text(top);
  for (const char* spacing : {"13", "14", "15", "16", "18", "20"}) {
    for (int node = 1; node <= 4; ++node) {
      write_file(nn_folder / ("top" + std::string(spacing) + "d" + std::to_string(node) + ".ttt"), top_text);
    }
  }
}

}  // namespace jpcp::testing
