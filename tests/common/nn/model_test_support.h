// Model files written by the tests: order-2 models whose value is known in
// closed form (an order-2 tensor spline interpolates multilinearly between
// its nodes, so a function that is linear in each input separately is
// reproduced exactly), and models of any order with given coefficients.
#pragma once

#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <functional>
#include <string>
#include <vector>

namespace jpcp::nn::testing {

struct ModelDefinition {
  int32_t ig1 = 0;
  int32_t ig2 = 0;
  std::vector<int32_t> ncoef;
  std::vector<int32_t> kord;
  std::vector<std::vector<float>> knots;
  std::vector<float> coef;  // file order
};

// Position in the file order of the coefficient with 0-based indices idx:
// within each group the last dimension fastest, group 1 faster than group 2.
inline size_t file_position(const ModelDefinition& model, const std::vector<int32_t>& idx) {
  const size_t n = model.ncoef.size();
  const size_t g1 = static_cast<size_t>(model.ig1);
  size_t group1 = 0;
  size_t group1_size = 1;
  for (size_t d = 0; d < g1; ++d) {
    group1 = group1 * static_cast<size_t>(model.ncoef[d]) + static_cast<size_t>(idx[d]);
    group1_size *= static_cast<size_t>(model.ncoef[d]);
  }
  size_t group2 = 0;
  for (size_t d = g1; d < n; ++d) group2 = group2 * static_cast<size_t>(model.ncoef[d]) + static_cast<size_t>(idx[d]);
  return group1 + group1_size * group2;
}

// Order-2 model with the given nodes per dimension; coefficient = f(nodes).
inline ModelDefinition linear_model(int32_t ig1, int32_t ig2, const std::vector<std::vector<float>>& nodes,
                              const std::function<double(const std::vector<float>&)>& f) {
  ModelDefinition model;
  model.ig1 = ig1;
  model.ig2 = ig2;
  size_t total = 1;
  for (const std::vector<float>& v : nodes) {
    model.ncoef.push_back(static_cast<int32_t>(v.size()));
    model.kord.push_back(2);
    std::vector<float> t = {v.front()};
    t.insert(t.end(), v.begin(), v.end());
    t.push_back(v.back());
    model.knots.push_back(t);
    total *= v.size();
  }
  model.coef.assign(total, 0.0f);
  std::vector<int32_t> idx(nodes.size(), 0);
  std::vector<float> x(nodes.size());
  for (;;) {
    for (size_t d = 0; d < nodes.size(); ++d) x[d] = nodes[d][static_cast<size_t>(idx[d])];
    model.coef[file_position(model, idx)] = static_cast<float>(f(x));
    size_t d = 0;
    while (d < nodes.size() && ++idx[d] == model.ncoef[d]) idx[d++] = 0;
    if (d == nodes.size()) break;
  }
  return model;
}

// The model file text; long items are spread over lines of five values.
inline std::string model_text(const ModelDefinition& model) {
  std::string text = std::to_string(model.ig1) + " " + std::to_string(model.ig2) + "\n";
  auto item = [&](const auto& values) {
    for (size_t i = 0; i < values.size(); ++i) {
      text += i % 5 == 0 ? (i == 0 ? "" : "\n") : ", ";
      std::ostringstream number;
      number.precision(9);
      number << values[i];
      text += number.str();
    }
    text += "\n";
  };
  item(model.ncoef);
  item(model.kord);
  for (const std::vector<float>& t : model.knots) item(t);
  item(model.coef);
  return text;
}

// A folder of its own under the system temporary folder, removed at the end.
class TempDir {
 public:
  TempDir() {
    static std::atomic<int> counter{0};
    path_ = std::filesystem::temp_directory_path() /
            ("jpcp_nn_" + std::to_string(::getpid()) + "_" + std::to_string(counter++));
    std::filesystem::create_directories(path_);
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  std::string file(const std::string& name) const { return (path_ / name).string(); }
  std::string write(const std::string& name, const std::string& contents) const {
    std::ofstream out(file(name), std::ios::binary | std::ios::trunc);
    out << contents;
    return file(name);
  }
  std::string write(const std::string& name, const ModelDefinition& model) const { return write(name, model_text(model)); }

 private:
  std::filesystem::path path_;
};

// A 260-character, blank-padded file name field.
inline std::string padded(const std::string& name) { return name + std::string(260 - name.size(), ' '); }

}  // namespace jpcp::nn::testing
