// The not-a-knot cubic spline through a table, evaluated at points that may
// repeat (the interpolant's value at a point does not depend on the other
// points: each value is the one CSIEZ gives at that point). Defined beside
// CSIEZ, whose interpolant it shares.
#pragma once

#include <span>

namespace jpcp::splines {

// values[i] = s(points[i]) for the spline s through (x[j], f[j]); points in
// any order, repeats allowed. No points: nothing is evaluated.
void cubic_spline_values(std::span<const float> x, std::span<const float> f, std::span<const float> points,
                         std::span<float> values);

}  // namespace jpcp::splines
