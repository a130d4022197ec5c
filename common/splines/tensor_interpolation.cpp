#include "common/splines/tensor_interpolation.h"

#include <string>

#include "common/splines/spline_messages.h"

namespace jpcp::splines {

namespace {

constexpr int32_t code_order_below_one = 1;
constexpr int32_t code_fewer_data = 2;
constexpr int32_t code_not_increasing = 5;
constexpr int32_t code_knots_decreasing = 6;
constexpr int32_t code_multiplicity = 7;
constexpr int32_t code_smallest = 8;
constexpr int32_t code_largest = 9;
constexpr int32_t code_interior = 10;
constexpr int32_t code_nearly_singular = 11;
constexpr int32_t code_refinement_failed = 12;

int64_t one_based(size_t index) { return static_cast<int64_t>(index) + 1; }

}  // namespace

bool check_interpolation_shapes(std::string_view routine, std::span<const InterpolationDirection> directions) {
  for (const InterpolationDirection& d : directions) {
    if (d.order < 1) {
      report_spline_error(ErrorKind::terminal, code_order_below_one, routine, message::order_below_one,
                          {{d.order}, {}, {std::string(d.letter)}});
      return false;
    }
  }
  for (const InterpolationDirection& d : directions) {
    if (static_cast<int64_t>(d.data.size()) < d.order) {
      report_spline_error(ErrorKind::terminal, code_fewer_data, routine, message::fewer_data_than_order_in_direction,
                          {{static_cast<int64_t>(d.data.size()), d.order}, {}, {std::string(d.letter)}});
      return false;
    }
  }
  return true;
}

bool check_interpolation_direction(std::string_view routine, const InterpolationDirection& direction) {
  const std::string letter(direction.letter);
  const std::string order_name = "K" + letter + "ORD";
  const std::span<const float> x = direction.data;
  const std::span<const float> t = direction.knots;
  const size_t n = x.size();
  const size_t k = static_cast<size_t>(direction.order);
  for (size_t i = 1; i < n; ++i) {
    if (!(x[i - 1] < x[i])) {
      report_spline_error(ErrorKind::fatal, code_not_increasing, routine, message::not_strictly_increasing,
                          {{one_based(i - 1), one_based(i)}, {x[i - 1], x[i]}, {letter, letter + "DATA"}});
      return false;
    }
  }
  for (size_t i = 1; i < n + k; ++i) {
    if (t[i] < t[i - 1]) {
      report_spline_error(ErrorKind::fatal, code_knots_decreasing, routine, message::knots_decreasing,
                          {{one_based(i - 1), one_based(i)}, {t[i - 1], t[i]}, {letter}});
      return false;
    }
  }
  for (size_t start = 0; start < n + k;) {
    size_t end = start + 1;
    while (end < n + k && t[end] == t[start]) ++end;
    if (end - start > k) {
      report_spline_error(ErrorKind::fatal, code_multiplicity, routine, message::knot_multiplicity_too_high,
                          {{one_based(start), static_cast<int64_t>(end - start), direction.order},
                           {t[start]},
                           {letter, order_name}});
      return false;
    }
    start = end;
  }
  if (!(t[0] <= x[0] && x[0] < t[k])) {
    report_spline_error(ErrorKind::fatal, code_smallest, routine, message::smallest_data_outside_knots,
                        {{1, one_based(k)}, {x[0], t[0], t[k]}, {letter, order_name}});
    return false;
  }
  if (n >= 2 && !(t[n - 1] < x[n - 1] && x[n - 1] <= t[n + k - 1])) {
    report_spline_error(ErrorKind::fatal, code_largest, routine, message::largest_data_outside_knots,
                        {{static_cast<int64_t>(n), static_cast<int64_t>(n + k)},
                         {x[n - 1], t[n - 1], t[n + k - 1]},
                         {letter, order_name}});
    return false;
  }
  for (size_t i = 1; i + 1 < n; ++i) {
    if (!(t[i] < x[i] && x[i] < t[i + k])) {
      report_spline_error(ErrorKind::fatal, code_interior, routine, message::interior_data_outside_knots,
                          {{one_based(i), one_based(i + k)}, {x[i], t[i], t[i + k]}, {letter}});
      return false;
    }
  }
  return true;
}

bool interpolate_along_direction(std::span<float> tensor, std::span<const int32_t> extents, size_t direction,
                                 const CollocationSolver& solver, std::vector<float>& line,
                                 CollocationSolver::RefinementWork& work) {
  size_t stride = 1;
  for (size_t d = 0; d < direction; ++d) stride *= static_cast<size_t>(extents[d]);
  const size_t count = static_cast<size_t>(extents[direction]);
  size_t outer = 1;
  for (size_t d = direction + 1; d < extents.size(); ++d) outer *= static_cast<size_t>(extents[d]);
  bool refined = true;
  line.resize(count);
  for (size_t o = 0; o < outer; ++o) {
    for (size_t s = 0; s < stride; ++s) {
      const size_t base = s + stride * count * o;
      if (stride == 1) {
        refined = solver.solve(tensor.subspan(base, count), work) && refined;
        continue;
      }
      for (size_t r = 0; r < count; ++r) line[r] = tensor[base + stride * r];
      refined = solver.solve(line, work) && refined;
      for (size_t r = 0; r < count; ++r) tensor[base + stride * r] = line[r];
    }
  }
  return refined;
}

bool interpolate_tensor(std::string_view routine, std::span<const InterpolationDirection> directions,
                        std::span<float> values) {
  if (!check_interpolation_shapes(routine, directions)) return false;
  for (const InterpolationDirection& d : directions) {
    if (!check_interpolation_direction(routine, d)) return false;
  }
  std::vector<int32_t> extents;
  for (const InterpolationDirection& d : directions) extents.push_back(static_cast<int32_t>(d.data.size()));
  CollocationSolver solver;
  std::vector<float> line;
  CollocationSolver::RefinementWork work;
  for (size_t d = 0; d < directions.size(); ++d) {
    solver.factor(directions[d].data, directions[d].knots, directions[d].order);
    const bool refined = interpolate_along_direction(values, extents, d, solver, line, work);
    if (solver.nearly_singular()) {
      const MessageFields fields{{}, {}, {std::string(directions[d].letter)}};
      if (refined) {
        report_spline_error(ErrorKind::warning, code_nearly_singular, routine, message::nearly_singular, fields);
      } else {
        report_spline_error(ErrorKind::warning, code_refinement_failed, routine,
                            message::nearly_singular_refinement_failed, fields);
      }
    }
  }
  return true;
}

}  // namespace jpcp::splines
