// Building NN model files from gridded responses.
//
// A model is a tensor-product B-spline in N = ig1 + ig2 dimensions that
// interpolates values given on a full grid of nodes (one strictly increasing
// node list per dimension), on not-a-knot knots (BSNAK) per dimension. The
// coefficients come from the N-dimensional form of BS3IN, solved direction by
// direction (interpolate_tensor). The tensor is laid out with the dimensions
// of each group reversed and group 1 before group 2, so that "first index
// fastest" is exactly the order of the coefficients in a model file: within a
// group the last dimension fastest, the whole group-1 block faster than the
// group-2 index.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "common/splines/bspline_basis.h"
#include "common/splines/bsnak.h"
#include "common/splines/tensor_interpolation.h"

namespace jpcp::models {

struct ModelFile {
  int32_t ig1 = 0;
  int32_t ig2 = 0;
  std::vector<int32_t> ncoef;
  std::vector<int32_t> kord;
  std::vector<std::vector<float>> knots;
  std::vector<float> coef;  // file order
};

// A grid: nodes per dimension and the orders; the values are supplied
// separately in file order (see file_index) or by a function.
struct GridSpec {
  int32_t ig1 = 0;
  int32_t ig2 = 0;
  std::vector<std::vector<float>> nodes;
  std::vector<int32_t> orders;
};

// Dimension order of the tensor: group 1 reversed, then group 2 reversed.
inline std::vector<size_t> file_dimension_order(int32_t ig1, int32_t ig2) {
  std::vector<size_t> order;
  for (int32_t d = ig1 - 1; d >= 0; --d) order.push_back(static_cast<size_t>(d));
  for (int32_t d = ig1 + ig2 - 1; d >= ig1; --d) order.push_back(static_cast<size_t>(d));
  return order;
}

// Position in file order of the node (or coefficient) with 0-based indices idx.
inline size_t file_index(const GridSpec& grid, const std::vector<size_t>& idx) {
  size_t position = 0;
  size_t stride = 1;
  for (size_t d : file_dimension_order(grid.ig1, grid.ig2)) {
    position += stride * idx[d];
    stride *= grid.nodes[d].size();
  }
  return position;
}

// Checks the shape of a grid; empty when fine, otherwise the reason.
inline std::string grid_problem(const GridSpec& grid) {
  const size_t n = grid.nodes.size();
  if (grid.ig1 < 1 || grid.ig2 < 1) return "both groups need at least one dimension";
  if (static_cast<size_t>(grid.ig1 + grid.ig2) != n) return "ig1 + ig2 differs from the number of input dimensions";
  if (grid.orders.size() != n) return "one order per input dimension is needed";
  for (size_t d = 0; d < n; ++d) {
    const std::string dim = "dimension " + std::to_string(d + 1);
    if (grid.orders[d] < 2) return dim + ": order below 2";
    if (grid.nodes[d].size() < static_cast<size_t>(grid.orders[d])) return dim + ": fewer nodes than its order";
    if (grid.nodes[d].size() + static_cast<size_t>(grid.orders[d]) > 100) return dim + ": more than 100 knots";
    for (size_t i = 1; i < grid.nodes[d].size(); ++i) {
      if (!(grid.nodes[d][i - 1] < grid.nodes[d][i])) return dim + ": nodes not strictly increasing";
    }
  }
  return {};
}

// The interpolating model of `values` (file order, one per grid node).
// False (with `error`) when the grid is malformed or the spline routines
// stopped.
inline bool build_model(const GridSpec& grid, std::vector<float> values, ModelFile& model, std::string& error) {
  error = grid_problem(grid);
  if (!error.empty()) return false;
  size_t total = 1;
  for (const auto& v : grid.nodes) total *= v.size();
  if (values.size() != total) {
    error = "the grid has " + std::to_string(total) + " nodes but " + std::to_string(values.size()) + " values";
    return false;
  }
  model = ModelFile{};
  model.ig1 = grid.ig1;
  model.ig2 = grid.ig2;
  const size_t n = grid.nodes.size();
  for (size_t d = 0; d < n; ++d) {
    const int32_t count = static_cast<int32_t>(grid.nodes[d].size());
    model.ncoef.push_back(count);
    model.kord.push_back(grid.orders[d]);
    std::vector<float> t(static_cast<size_t>(count + grid.orders[d]));
    splines::BSNAK(count, grid.nodes[d], grid.orders[d], t);
    model.knots.push_back(std::move(t));
  }
  static const char* const letters[] = {"D1", "D2", "D3", "D4", "D5", "D6", "D7", "D8", "D9", "D10", "D11", "D12"};
  if (n > 12) {
    error = "more than 12 dimensions";
    return false;
  }
  std::vector<splines::InterpolationDirection> directions;
  for (size_t d : file_dimension_order(grid.ig1, grid.ig2)) {
    directions.push_back({letters[d], grid.nodes[d], model.knots[d], grid.orders[d]});
  }
  if (!splines::interpolate_tensor("BSNIN", directions, values)) {
    error = "the interpolation stopped";
    return false;
  }
  model.coef = std::move(values);
  return true;
}

// Model of a function sampled at every grid node.
inline bool build_model(const GridSpec& grid, const std::function<double(const std::vector<double>&)>& f,
                        ModelFile& model, std::string& error) {
  error = grid_problem(grid);
  if (!error.empty()) return false;
  const size_t n = grid.nodes.size();
  size_t total = 1;
  for (const auto& v : grid.nodes) total *= v.size();
  std::vector<float> values(total);
  std::vector<size_t> idx(n, 0);
  std::vector<double> x(n);
  for (size_t done = 0; done < total; ++done) {
    for (size_t d = 0; d < n; ++d) x[d] = grid.nodes[d][idx[d]];
    values[file_index(grid, idx)] = static_cast<float>(f(x));
    for (size_t d = 0; d < n && ++idx[d] == grid.nodes[d].size(); ++d) idx[d] = 0;
  }
  return build_model(grid, std::move(values), model, error);
}

// Value of a model at one point (double precision, for checks); NaN outside
// the knot range of any dimension.
inline double evaluate_model(const ModelFile& model, const std::vector<double>& x) {
  const size_t n = model.ncoef.size();
  std::vector<int32_t> first(n);
  std::vector<std::vector<float>> basis(n);
  for (size_t d = 0; d < n; ++d) {
    const float xd = static_cast<float>(x[d]);
    if (!splines::in_knot_range(model.knots[d], model.kord[d], model.ncoef[d], xd)) return std::nan("");
    const int32_t left = splines::find_knot_interval(model.knots[d], model.kord[d], model.ncoef[d], xd);
    basis[d].resize(static_cast<size_t>(model.kord[d]));
    splines::bspline_values(model.knots[d], model.kord[d], left, xd, basis[d]);
    first[d] = left - model.kord[d] + 1;
  }
  GridSpec shape{model.ig1, model.ig2, {}, model.kord};
  for (size_t d = 0; d < n; ++d) shape.nodes.emplace_back(static_cast<size_t>(model.ncoef[d]));
  std::vector<size_t> r(n, 0), idx(n);
  double sum = 0.0;
  for (;;) {
    double w = 1.0;
    for (size_t d = 0; d < n; ++d) {
      w *= basis[d][r[d]];
      idx[d] = static_cast<size_t>(first[d]) + r[d];
    }
    sum += w * model.coef[file_index(shape, idx)];
    size_t d = 0;
    while (d < n && ++r[d] == static_cast<size_t>(model.kord[d])) r[d++] = 0;
    if (d == n) break;
  }
  return sum;
}

// Model file text: every item on its own lines, eight values a line, reals
// with 8 significant digits.
inline std::string model_file_text(const ModelFile& model) {
  std::string text = std::to_string(model.ig1) + " " + std::to_string(model.ig2) + "\n";
  char buffer[32];
  auto ints = [&](const std::vector<int32_t>& values) {
    for (size_t i = 0; i < values.size(); ++i) text += (i ? " " : "") + std::to_string(values[i]);
    text += "\n";
  };
  auto reals = [&](const std::vector<float>& values) {
    for (size_t i = 0; i < values.size(); ++i) {
      std::snprintf(buffer, sizeof buffer, "%.8g", static_cast<double>(values[i]));
      text += buffer;
      text += (i % 8 == 7 || i + 1 == values.size()) ? "\n" : " ";
    }
  };
  ints(model.ncoef);
  ints(model.kord);
  for (const auto& t : model.knots) reals(t);
  reals(model.coef);
  return text;
}

}  // namespace jpcp::models
