// Cubic spline interpolation of a one-dimensional table, evaluated at a list
// of points in one call.
#pragma once

#include <cstdint>
#include <span>

namespace jpcp::splines {

// Values at XVEC(N) of the cubic spline through (XDATA(i), FDATA(i)),
// i = 1..NDATA, with the not-a-knot end conditions (two points: the straight
// line; three: the parabola). XDATA may come in any order but must be
// distinct; XVEC in any order but distinct. VALUE(N) out, in the order of
// XVEC. Points outside the data range are extrapolated with the end cubics.
void CSIEZ(int32_t NDATA, std::span<const float> XDATA, std::span<const float> FDATA, int32_t N,
           std::span<const float> XVEC, std::span<float> VALUE);

}  // namespace jpcp::splines
