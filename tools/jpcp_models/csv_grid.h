// Gridded responses from a CSV file: one row per grid node, one column per
// input dimension (in model dimension order) and the response last. Blank
// lines and lines starting with '#' are skipped; a first line that is not
// numeric is a heading. The rows may come in any order but must cover the
// full grid (every combination of the distinct values of each column) once.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tools/jpcp_models/model_builder.h"

namespace jpcp::models {

inline bool split_numbers(const std::string& line, std::vector<double>& values) {
  values.clear();
  std::string cell;
  std::stringstream in(line);
  while (std::getline(in, cell, ',')) {
    const size_t b = cell.find_first_not_of(" \t\r");
    const size_t e = cell.find_last_not_of(" \t\r");
    if (b == std::string::npos) return false;
    const std::string text = cell.substr(b, e - b + 1);
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    if (end != text.c_str() + text.size() || !std::isfinite(v)) return false;
    values.push_back(v);
  }
  return !values.empty();
}

// Fills grid.nodes and `values` (file order) from the CSV text; grid.ig1,
// grid.ig2 and grid.orders are the caller's. False with `error` naming the
// line or the gap.
inline bool read_csv_grid(const std::string& text, GridSpec& grid, std::vector<float>& values, std::string& error) {
  const size_t n = static_cast<size_t>(std::max(grid.ig1 + grid.ig2, 0));
  std::vector<std::vector<double>> rows;
  std::stringstream in(text);
  std::string line;
  size_t number = 0;
  bool first = true;
  std::vector<double> v;
  while (std::getline(in, line)) {
    ++number;
    if (line.find_first_not_of(" \t\r") == std::string::npos || line[line.find_first_not_of(" \t")] == '#') continue;
    const bool numeric = split_numbers(line, v);
    if (!numeric && first) {
      first = false;
      continue;
    }
    first = false;
    if (!numeric) {
      error = "line " + std::to_string(number) + ": not a row of numbers";
      return false;
    }
    if (v.size() != n + 1) {
      error = "line " + std::to_string(number) + ": " + std::to_string(v.size()) + " columns, expected " +
              std::to_string(n + 1) + " (" + std::to_string(n) + " inputs and the response)";
      return false;
    }
    rows.push_back(v);
  }
  if (rows.empty()) {
    error = "no data rows";
    return false;
  }
  grid.nodes.assign(n, {});
  for (size_t d = 0; d < n; ++d) {
    std::vector<float> column;
    for (const auto& r : rows) column.push_back(static_cast<float>(r[d]));
    std::sort(column.begin(), column.end());
    column.erase(std::unique(column.begin(), column.end()), column.end());
    grid.nodes[d] = column;
  }
  size_t total = 1;
  for (const auto& c : grid.nodes) total *= c.size();
  if (total != rows.size()) {
    error = std::to_string(rows.size()) + " rows do not form a full grid of " + std::to_string(total) + " nodes";
    return false;
  }
  values.assign(total, 0.0f);
  std::vector<bool> seen(total, false);
  std::vector<size_t> idx(n);
  for (const auto& r : rows) {
    for (size_t d = 0; d < n; ++d) {
      const auto& c = grid.nodes[d];
      idx[d] = static_cast<size_t>(std::lower_bound(c.begin(), c.end(), static_cast<float>(r[d])) - c.begin());
    }
    const size_t position = file_index(grid, idx);
    if (seen[position]) {
      error = "a grid node appears twice, so another is missing";
      return false;
    }
    seen[position] = true;
    values[position] = static_cast<float>(r[n]);
  }
  return true;
}

}  // namespace jpcp::models
