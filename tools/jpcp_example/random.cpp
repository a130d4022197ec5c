#include "tools/jpcp_example/random.h"

#include <cmath>
#include <numbers>

namespace jpcp::example {

double SeededRandom::uniform() {
  constexpr double two_to_32 = 4294967296.0;
  return (static_cast<double>(engine_()) + 0.5) / two_to_32;
}

double SeededRandom::normal() {
  if (has_spare_) {
    has_spare_ = false;
    return spare_;
  }
  const double radius = std::sqrt(-2.0 * std::log(uniform()));
  const double angle = 2.0 * std::numbers::pi * uniform();
  spare_ = radius * std::sin(angle);
  has_spare_ = true;
  return radius * std::cos(angle);
}

}  // namespace jpcp::example
