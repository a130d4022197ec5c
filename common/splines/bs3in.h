// Three-dimensional tensor-product spline interpolation on a grid.
#pragma once

#include <cstdint>
#include <span>

namespace jpcp::splines {

// Coefficients of the spline s of orders (KXORD, KYORD, KZORD) on the knots
// (XKNOT, YKNOT, ZKNOT) with s(XDATA(i), YDATA(j), ZDATA(l)) = FDATA(i, j, l).
//   XDATA(NXDATA), YDATA(NYDATA), ZDATA(NZDATA): strictly increasing abscissas
//   FDATA(LDF, MDF, NZDATA): data, X fastest, entry (i, j, l) (0-based) at
//     i + LDF*(j + MDF*l); LDF >= NXDATA, MDF >= NYDATA
//   XKNOT(NXDATA+KXORD), YKNOT(NYDATA+KYORD), ZKNOT(NZDATA+KZORD)
//   BSCOEF(NXDATA*NYDATA*NZDATA) out: coefficients, X fastest, then Y
// The knots and data of each direction must satisfy the Schoenberg-Whitney
// conditions (BSNAK knots do).
void BS3IN(int32_t NXDATA, std::span<const float> XDATA, int32_t NYDATA, std::span<const float> YDATA,
           int32_t NZDATA, std::span<const float> ZDATA, std::span<const float> FDATA, int32_t LDF, int32_t MDF,
           int32_t KXORD, int32_t KYORD, int32_t KZORD, std::span<const float> XKNOT, std::span<const float> YKNOT,
           std::span<const float> ZKNOT, std::span<float> BSCOEF);

}  // namespace jpcp::splines
