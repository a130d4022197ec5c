// Not-a-knot knot sequences for spline interpolation.
#pragma once

#include <cstdint>
#include <span>

namespace jpcp::splines {

// Knots for interpolation of order KORDER at the abscissas XDATA(NDATA),
// which may come in any order but must be distinct. XKNOT(NDATA+KORDER) out:
// KORDER knots at the smallest abscissa; KORDER knots just right of the
// largest one, x(n)*(1 + 100 eps) (x(n)*(1 - 100 eps) when negative, 100 eps
// when zero; eps = 2^-23), so that the largest abscissa lies inside the last
// half-open knot interval; interior knots at the abscissas x(k/2+i) for even
// orders and at the midpoints of x(i+(k-1)/2) and x(i+(k+1)/2) for odd ones.
void BSNAK(int32_t NDATA, std::span<const float> XDATA, int32_t KORDER, std::span<float> XKNOT);

}  // namespace jpcp::splines
