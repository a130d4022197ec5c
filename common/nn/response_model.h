// NN model files and their in-memory form.
//
// A model file is a tensor-product B-spline in N = ig1 + ig2 dimensions,
// split into group 1 (dimensions 1..ig1) and group 2 (ig1+1..N). Free-form
// numbers; every item starts on a new line and may run over several lines:
//   1. ig1, ig2
//   2. ncoef(1..N)   coefficients per dimension
//   3. kord(1..N)    B-spline order per dimension (degree + 1)
//   4. one item per dimension d: its ncoef(d)+kord(d) knots, non-decreasing,
//      at most 100
//   5. the prod(ncoef) coefficients. Within a group the last dimension
//      varies fastest and the first slowest; the whole group-1 block varies
//      faster than the group-2 index. For a 3+2 model the file lists i3
//      fastest, then i2, i1, i5 and i4 slowest.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace jpcp::nn {

inline constexpr int32_t max_knots_per_dimension = 100;

struct ResponseModel {
  int32_t ig1 = 0;                          // dimensions of group 1
  int32_t ig2 = 0;                          // dimensions of group 2
  std::vector<int32_t> kord;                // N orders
  std::vector<int32_t> ncoef;               // N coefficient counts
  std::vector<std::vector<float>> knots;    // N sequences of ncoef(d)+kord(d) knots
  std::vector<float> coef;                  // prod(ncoef) coefficients, file order

  // N = ig1 + ig2, taken as 0 when negative.
  int32_t dimensions() const { return static_cast<int32_t>(ncoef.size()); }
};

// Parses the text of a model file. On failure returns false with `error`
// set to the reason ("ends early", ...), which model_file_message turns into
// the stop line.
bool parse_response_model(std::string_view contents, ResponseModel& model, std::string& error);

// Reads a model file; a file that cannot be opened, ends early, holds a
// non-number, has more than 100 knots in a dimension or decreasing knots
// stops the run with a one-line message naming the file.
void read_response_model(std::string_view path, ResponseModel& model);

// The one-line stop message for a model file and a reason.
std::string model_file_message(std::string_view path, std::string_view reason);

// Reasons of the stop messages.
namespace model_file_reason {
inline constexpr std::string_view cannot_open = "cannot be opened";
inline constexpr std::string_view ends_early = "ends before all its values were read";
inline constexpr std::string_view not_a_number = "holds a value that is not a number";
inline constexpr std::string_view too_many_knots = "has more than 100 knots in dimension ";
inline constexpr std::string_view decreasing_knots = "has decreasing knots in dimension ";
inline constexpr std::string_view negative_count = "has a negative coefficient count or order in dimension ";
inline constexpr std::string_view too_many_coefficients = "has more coefficients than can be held";
inline constexpr std::string_view declares_more_than_held = "declares more coefficients than the file holds";
}  // namespace model_file_reason

}  // namespace jpcp::nn
