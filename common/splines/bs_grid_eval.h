// Evaluation of 2-D and 3-D tensor-product B-splines (or their partial
// derivatives) on a grid of points.
//
// A spline has per direction an order K?ORD, a number of coefficients N?COEF
// and N?COEF+K?ORD knots ?KNOT; its coefficients BSCOEF(NXCOEF, NYCOEF[, NZCOEF])
// are stored with X fastest. Results VALUE(i, j[, l]) are stored at
// i + LDVALU*(j + MDVALU*l) (0-based i, j, l), for i < NX, j < NY, l < NZ.
// Grid coordinates must be strictly increasing in each direction and lie in
// ?KNOT(K?ORD) <= x <= ?KNOT(N?COEF+1) (1-based knot numbers); the right end
// belongs to the last knot interval. At the first coordinate outside that
// range one warning is written and every value of the call is zero.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace jpcp::splines {

// IXDER, IYDER: derivative orders (>= 0; 0 = values).
// XVEC(NX), YVEC(NY): grid coordinates.
// XKNOT(NXCOEF+KXORD), YKNOT(NYCOEF+KYORD); BSCOEF(NXCOEF*NYCOEF).
// VALUE: at least LDVALU*(NY-1)+NX entries, LDVALU >= NX.
void BS2GD(int32_t IXDER, int32_t IYDER, int32_t NX, std::span<const float> XVEC, int32_t NY,
           std::span<const float> YVEC, int32_t KXORD, int32_t KYORD, std::span<const float> XKNOT,
           std::span<const float> YKNOT, int32_t NXCOEF, int32_t NYCOEF, std::span<const float> BSCOEF,
           std::span<float> VALUE, int32_t LDVALU);

// As BS2GD with a Z direction: ZVEC(NZ), ZKNOT(NZCOEF+KZORD),
// BSCOEF(NXCOEF*NYCOEF*NZCOEF); VALUE: LDVALU >= NX, MDVALU >= NY, at least
// LDVALU*(MDVALU*(NZ-1)+NY-1)+NX entries.
void BS3GD(int32_t IXDER, int32_t IYDER, int32_t IZDER, int32_t NX, std::span<const float> XVEC, int32_t NY,
           std::span<const float> YVEC, int32_t NZ, std::span<const float> ZVEC, int32_t KXORD, int32_t KYORD,
           int32_t KZORD, std::span<const float> XKNOT, std::span<const float> YKNOT, std::span<const float> ZKNOT,
           int32_t NXCOEF, int32_t NYCOEF, int32_t NZCOEF, std::span<const float> BSCOEF, std::span<float> VALUE,
           int32_t LDVALU, int32_t MDVALU);

// One direction of a grid evaluation, for the argument checks shared with
// the model evaluators. letter: "X", "Y" or "Z".
struct GridDirection {
  std::string_view letter;
  int32_t order = 0;
  int32_t ncoef = 0;
  int32_t derivative = 0;
  std::span<const float> coordinates;  // may be empty when only the shape is checked
};

// The terminal and fatal checks of a grid evaluation, in this order: orders
// of all directions, then coefficient counts, then derivative orders, then
// strictly increasing coordinates. False after a stop has been reported.
bool check_grid_directions(std::string_view routine, std::span<const GridDirection> directions);

// The knot range check of one coordinate: writes the warning (code
// `direction`+1, coordinate number `index_1based`) and returns false when x is
// outside ?KNOT(K?ORD) <= x <= ?KNOT(N?COEF+1).
bool check_coordinate_range(std::string_view routine, int32_t direction, std::string_view letter, int32_t index_1based,
                            float x, std::span<const float> knots, int32_t order, int32_t ncoef);

}  // namespace jpcp::splines
