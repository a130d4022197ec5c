// Evaluators of the 3+3 models and of the four-model sets built on them.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

namespace jpcp::nn {

inline constexpr std::string_view not_3_and_3_message = " ig1 and ig2 are not 3";

// Receives the progress value after each step (the cracking program writes
// it to its progress file).
using ProgressReporter = std::function<void(float progress)>;

// One 3+3 model over three passes t = 1..3. Shapes: x1 one value; x2[J];
// x3[I x J] (I fastest); x4[Nb x J] (Nb fastest); x5[Nb]; x6[3].
// output: the leading output.size() (at most 3*J*I*Nb) of the results in the
// order t slowest, then j, i, b fastest: position b + Nb*(i + I*(j + J*t))
// holds S(x1, x2[j], x3[i,j], x4[b,j], x5[b], x6[t]); passes that fall wholly
// beyond output.size() are not computed. After each pass `progress` grows by
// a third of `model_share` and is reported.
// The group-1 point does not depend on t, so its contraction is done once per
// (j, i) and reused by the later passes.
void nn_eval_33_kernel(std::string_view file_name, int32_t J, int32_t I, int32_t Nb, float x1,
                       std::span<const float> x2, std::span<const float> x3, std::span<const float> x4,
                       std::span<const float> x5, std::span<const float> x6, std::span<float> output, float& progress,
                       float model_share, const ProgressReporter& report_progress);

// A model set of four 3+3 models at the ascending nodes T[4], interpolated
// linearly at the query values q[m].
// model_set: the four model file names, in node order.
// n: results kept per model, at most 3*J*I*Nb (3*J*I*Nb keeps all three
//   passes, J*I*Nb only the first).
// x1..x6 as for nn_eval_33_kernel. output[n x m]: column p (n values, n
// fastest) holds the set interpolated at q[p].
// progress / progress_share: the progress value grows by progress_share over
// the call, in equal steps per pass of every model read.
// Model choice: one query point uses a single model when it equals a node or
// lies at or beyond an end node, else the two models around it. With several
// points, the models from the one below the smallest point to the one above
// the largest are read, each point interpolates between its bracketing
// models, and points below T[0] extrapolate from models 1 and 2. A point at
// or above T[3] takes model 4 unchanged, also among several points (there is
// no fifth model to interpolate towards).
void nn_eval_33_set(std::span<const std::string> model_set, int32_t n, int32_t J, int32_t I, int32_t Nb, int32_t m,
                    std::span<const float> T, std::span<const float> q, float x1, std::span<const float> x2,
                    std::span<const float> x3, std::span<const float> x4, std::span<const float> x5,
                    std::span<const float> x6, std::span<float> output, float& progress, float progress_share,
                    const ProgressReporter& report_progress);

}  // namespace jpcp::nn
