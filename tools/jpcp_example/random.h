// Deterministic random numbers for the synthetic weather.
//
// The engine is std::mt19937, whose output sequence the C++ standard fixes;
// the distributions are written out here because the standard library's
// distributions may differ from one library to another. The same seed gives
// the same example section everywhere.
#pragma once

#include <cstdint>
#include <random>

namespace jpcp::example {

class SeededRandom {
 public:
  explicit SeededRandom(uint32_t seed) : engine_(seed) {}

  // Uniform on the open interval (0, 1): one 32-bit draw, never 0 or 1, so
  // that its logarithm is finite.
  double uniform();

  // Standard normal by the Box-Muller transform; the second value of each
  // pair is kept for the next call.
  double normal();

 private:
  std::mt19937 engine_;
  bool has_spare_ = false;
  double spare_ = 0.0;
};

}  // namespace jpcp::example
