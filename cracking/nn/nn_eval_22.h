// Evaluator of the 2+2 models (see nn_eval_32.h for the common behaviour).
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace jpcp::nn {

inline constexpr std::string_view incorrect_nn_message = " Incorrect NN";

// file_name: model file (blank-padded text). total_results: not used.
// x1[J]; x2[I]; x3: one value; x4[I] (paired with x2 by the middle index).
// output[I x J]: position i + I*j (0-based) holds S(x1[j], x2[i], x3, x4[i]).
// Requires ig1 = 2 (and at least two group-2 dimensions).
void nn_eval_22(std::string_view file_name, int32_t total_results, int32_t J, int32_t I, std::span<const float> x1,
                std::span<const float> x2, float x3, std::span<const float> x4, std::span<float> output);

}  // namespace jpcp::nn
