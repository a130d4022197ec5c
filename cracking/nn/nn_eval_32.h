// Evaluators of the 3+2 models (group 1: three dimensions, group 2: two).
//
// S(x1..x5) is the model's tensor-product spline. Each evaluator reads the
// model, checks its group sizes (stops with its one-line message when they do
// not fit) and evaluates in two stages: the group-1 contraction once per
// group-1 point, reused for every group-2 point. A coordinate outside the knot
// range of its dimension writes the spline evaluator's warning and gives
// zero for that evaluation. Counts of zero give no results, but the file is
// still read and its group sizes checked.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace jpcp::nn {

inline constexpr std::string_view wrong_nn_message = " Wrong NN";
inline constexpr std::string_view wrong_nn_file_message = " Wrong NN file";

// file_name: model file (blank-padded text). total_results: not used.
// x1: one value; x2[J]; x3[I]; x4, x5[Np x J], point index fastest.
// output[Np x I x J]: position p + Np*(i + I*j) (0-based) holds
// S(x1, x2[j], x3[i], x4[p,j], x5[p,j]).
// Requires ig1 = 3 (and at least two group-2 dimensions; a model with more
// group-2 dimensions passes, its stage 2 then uses the first two).
void nn_eval_32_grid(std::string_view file_name, int32_t total_results, int32_t J, int32_t I, int32_t Np, float x1,
                     std::span<const float> x2, std::span<const float> x3, std::span<const float> x4,
                     std::span<const float> x5, std::span<float> output);

// x1[I], x2[I] (paired by the middle index); x3: one value; x4[Np]; x5[J].
// output[Np x I x J]: position p + Np*(i + I*j) holds
// S(x1[i], x2[i], x3, x4[p], x5[j]). Requires ig1 = 3 and ig2 = 2.
void nn_eval_32_paired(std::string_view file_name, int32_t total_results, int32_t J, int32_t I, int32_t Np,
                       std::span<const float> x1, std::span<const float> x2, float x3, std::span<const float> x4,
                       std::span<const float> x5, std::span<float> output);

}  // namespace jpcp::nn
