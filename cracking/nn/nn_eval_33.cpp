#include "cracking/nn/nn_eval_33.h"

#include <algorithm>
#include <array>
#include <numeric>
#include <vector>

#include "common/nn/model_cache.h"
#include "common/nn/staged_model.h"
#include "common/platform/paths.h"
#include "common/platform/run_reporting.h"

namespace jpcp::nn {

namespace {

constexpr int32_t passes = 3;
constexpr int32_t models_per_set = 4;

inline constexpr std::string_view too_many_results_message =
    " nn_eval_33: more results requested than a 3+3 model gives";

size_t count_of(int32_t n) { return static_cast<size_t>(std::max(n, 0)); }

// Which models of the set a call reads (1-based, lo..hi) and, per query
// point, its bracket k (1-based) and whether it takes model k unchanged.
struct SetSelection {
  int32_t lo = 1;
  int32_t hi = 1;
  std::vector<int32_t> bracket;
  std::vector<uint8_t> exact;
};

// Largest node index k (1-based) with T(k) <= value; 1 when there is none.
int32_t last_node_at_or_below(std::span<const float> T, float value) {
  int32_t k = 1;
  for (int32_t i = 1; i <= models_per_set; ++i) {
    if (T[static_cast<size_t>(i - 1)] <= value) k = i;
  }
  return k;
}

// Largest node index k with T(k) < value; 1 when there is none.
int32_t last_node_below(std::span<const float> T, float value) {
  int32_t k = 1;
  for (int32_t i = 1; i <= models_per_set; ++i) {
    if (T[static_cast<size_t>(i - 1)] < value) k = i;
  }
  return k;
}

// Query points in ascending order of value (exchange sort of an index list).
std::vector<size_t> ascending_order(std::span<const float> q) {
  std::vector<size_t> order(q.size());
  std::iota(order.begin(), order.end(), size_t{0});
  for (size_t a = 0; a + 1 < order.size(); ++a) {
    for (size_t b = a + 1; b < order.size(); ++b) {
      if (q[order[b]] < q[order[a]]) std::swap(order[a], order[b]);
    }
  }
  return order;
}

SetSelection select_models(std::span<const float> T, std::span<const float> q) {
  const size_t m = q.size();
  SetSelection s;
  s.bracket.assign(m, 1);
  s.exact.assign(m, 0);
  const float t1 = T[0];
  const float t4 = T[models_per_set - 1];
  const std::vector<size_t> order = ascending_order(q);
  if (m == 1) {
    const float value = q[0];
    int32_t k = 1;
    bool exact = true;
    if (value <= t1) {
      k = 1;
    } else if (value >= t4) {
      k = models_per_set;
    } else {
      k = last_node_at_or_below(T, value);
      exact = value == T[static_cast<size_t>(k - 1)];
    }
    s.lo = k;
    s.hi = exact ? k : k + 1;
    s.bracket[0] = k;
    s.exact[0] = exact ? 1 : 0;
    return s;
  }
  const float smallest = q[order.front()];
  const float largest = q[order.back()];
  const float q_lo = std::min(smallest, t4);
  const float q_hi = std::max(largest, t1);
  s.lo = q_lo <= t1 ? 1 : last_node_below(T, q_lo);
  const int32_t top = last_node_at_or_below(T, q_hi);
  s.hi = top < models_per_set ? top + 1 : top;
  for (size_t rank = 0; rank < m; ++rank) {
    const size_t p = order[rank];
    int32_t k = 1;
    if (rank == 0) {
      k = s.lo;
    } else if (rank + 1 == m) {
      k = top;
    } else {
      k = q[p] <= t1 ? 1 : last_node_at_or_below(T, q[p]);
    }
    bool exact = q[p] == T[static_cast<size_t>(k - 1)];
    // At or above the last node there is no model to interpolate towards:
    // such a point takes model 4 unchanged.
    if (q[p] >= t4 || k >= models_per_set) {
      k = models_per_set;
      exact = true;
    }
    s.bracket[p] = k;
    s.exact[p] = exact ? 1 : 0;
  }
  return s;
}

}  // namespace

void nn_eval_33_kernel(std::string_view file_name, int32_t J, int32_t I, int32_t Nb, float x1,
                       std::span<const float> x2, std::span<const float> x3, std::span<const float> x4,
                       std::span<const float> x5, std::span<const float> x6, std::span<float> output, float& progress,
                       float model_share, const ProgressReporter& report_progress) {
  const std::shared_ptr<const StagedModel> staged = load_model(file_name);
  const ResponseModel& model = staged->model;
  if (model.ig1 != 3 || model.ig2 != 3) platform::stop_run(not_3_and_3_message, platform::input_file_detail(file_name));
  const size_t nj = count_of(J);
  const size_t ni = count_of(I);
  const size_t nb = count_of(Nb);
  const size_t per_pass = nj * ni * nb;
  const size_t kept = output.size();
  if (kept > passes * per_pass) platform::stop_run(too_many_results_message, platform::input_file_detail(file_name));
  // Passes whose results are all beyond the kept ones are not computed.
  const size_t computed = per_pass == 0 ? 0 : (kept + per_pass - 1) / per_pass;
  const float pass_share = model_share / 3.0f;

  // Grid order: X is the last dimension of a group, Z the first.
  constexpr std::array<int32_t, 3> group1_dimensions = {2, 1, 0};
  constexpr std::array<int32_t, 3> group2_dimensions = {5, 4, 3};
  StageEvaluator group1(model, group1_dimensions);
  StageEvaluator group2(model, group2_dimensions);
  std::vector<float> stage1;
  const size_t blocks = static_cast<size_t>(staged->group2_blocks);
  if (computed > 0) {
    if (!group1.check_shape()) return;
    if (!group2.check_shape()) return;
    group1.set_coordinates(0, x3.first(ni * nj));
    group1.set_coordinates(1, x2.first(nj));
    group1.set_coordinates(2, std::span<const float>(&x1, 1));
    group2.set_coordinates(0, x6.first(passes));
    group2.set_coordinates(1, x5.first(nb));
    group2.set_coordinates(2, x4.first(nb * nj));
    // The group-1 point (x1, x2[j], x3[i,j]) is the same in every pass: the
    // first pass contracts it and the later passes reuse the values.
    stage1.resize((computed > 1 ? nj * ni : 1) * blocks);
  }

  std::vector<StageEvaluator::KeptPoint> points2(nb);
  for (size_t t = 0; t < static_cast<size_t>(passes); ++t) {
    if (t < computed) {
      for (size_t j = 0; j < nj; ++j) {
        // The group-2 point (x6[t], x5[b], x4[b,j]) is the same for every i.
        for (size_t b = 0; b < nb; ++b) group2.keep(std::array<size_t, 3>{t, b, b + nb * j}, points2[b]);
        for (size_t i = 0; i < ni; ++i) {
          const size_t slot = computed > 1 ? i + ni * j : 0;
          const std::span<float> work = std::span<float>(stage1).subspan(slot * blocks, blocks);
          group1.contract_blocks_kept(*staged, std::array<size_t, 3>{i + ni * j, j, 0}, t == 0, work);
          const size_t first = nb * (i + ni * (j + nj * t));
          const size_t count = std::min(nb, kept > first ? kept - first : 0);
          for (size_t b = 0; b < count; ++b) {
            const std::array<size_t, 3> point2 = {t, b, b + nb * j};
            output[first + b] = group2.contract(points2[b], point2, work);
          }
        }
      }
    }
    progress = progress + pass_share;
    if (report_progress) report_progress(progress);
  }
}

void nn_eval_33_set(std::span<const std::string> model_set, int32_t n, int32_t J, int32_t I, int32_t Nb, int32_t m,
                    std::span<const float> T, std::span<const float> q, float x1, std::span<const float> x2,
                    std::span<const float> x3, std::span<const float> x4, std::span<const float> x5,
                    std::span<const float> x6, std::span<float> output, float& progress, float progress_share,
                    const ProgressReporter& report_progress) {
  const size_t kept = count_of(n);
  const size_t points = count_of(m);
  if (kept > passes * count_of(J) * count_of(I) * count_of(Nb)) platform::stop_run(too_many_results_message);
  if (points == 0) return;
  const SetSelection selection = select_models(T, q.first(points));
  const size_t models_read = static_cast<size_t>(selection.hi - selection.lo + 1);
  const float model_share = progress_share / static_cast<float>(models_read);

  // Column c of the results table holds model lo + c.
  std::vector<float> results(kept * models_read);
  for (int32_t k = selection.lo; k <= selection.hi; ++k) {
    const size_t column = static_cast<size_t>(k - selection.lo);
    nn_eval_33_kernel(model_set[static_cast<size_t>(k - 1)], J, I, Nb, x1, x2, x3, x4, x5, x6,
                      std::span<float>(results).subspan(column * kept, kept), progress, model_share,
                      report_progress);
  }
  auto column_of = [&](int32_t k) {
    return std::span<const float>(results).subspan(static_cast<size_t>(k - selection.lo) * kept, kept);
  };
  for (size_t p = 0; p < points; ++p) {
    const int32_t k = selection.bracket[p];
    const std::span<float> out = output.subspan(p * kept, kept);
    const std::span<const float> low = column_of(k);
    if (selection.exact[p] != 0) {
      std::copy(low.begin(), low.end(), out.begin());
      continue;
    }
    const std::span<const float> high = column_of(k + 1);
    const float t_low = T[static_cast<size_t>(k - 1)];
    const float t_high = T[static_cast<size_t>(k)];
    const float offset = q[p] - t_low;
    const float width = t_high - t_low;
    for (size_t r = 0; r < kept; ++r) out[r] = low[r] + (high[r] - low[r]) * offset / width;
  }
}

}  // namespace jpcp::nn
