#include "common/splines/bs_grid_eval.h"

#include <algorithm>
#include <array>
#include <new>
#include <string>
#include <vector>

#include "common/splines/bspline_basis.h"
#include "common/splines/spline_messages.h"
#include "common/splines/tensor_contraction.h"

namespace jpcp::splines {

namespace {

constexpr int32_t code_order_below_one = 4;
constexpr int32_t code_fewer_coefficients = 5;
constexpr int32_t code_negative_derivative = 6;
constexpr int32_t code_not_increasing = 7;
constexpr int32_t code_storage = 8;

std::string letter_of(std::string_view letter) { return std::string(letter); }

// Checks the range of every coordinate, direction by direction; stops at the
// first offending coordinate (after its warning).
bool all_coordinates_in_range(std::string_view routine, std::span<const GridDirection> directions,
                              std::span<const std::span<const float>> knots) {
  for (size_t d = 0; d < directions.size(); ++d) {
    const GridDirection& direction = directions[d];
    for (size_t p = 0; p < direction.coordinates.size(); ++p) {
      if (!check_coordinate_range(routine, static_cast<int32_t>(d), direction.letter, static_cast<int32_t>(p + 1),
                                  direction.coordinates[p], knots[d], direction.order, direction.ncoef)) {
        return false;
      }
    }
  }
  return true;
}

}  // namespace

bool check_grid_directions(std::string_view routine, std::span<const GridDirection> directions) {
  for (const GridDirection& d : directions) {
    if (d.order < 1) {
      report_spline_error(ErrorKind::terminal, code_order_below_one, routine, message::order_below_one,
                          {{d.order}, {}, {letter_of(d.letter)}});
      return false;
    }
  }
  for (const GridDirection& d : directions) {
    if (d.ncoef < d.order) {
      report_spline_error(ErrorKind::terminal, code_fewer_coefficients, routine, message::fewer_coefficients_than_order,
                          {{d.ncoef, d.order}, {}, {letter_of(d.letter)}});
      return false;
    }
  }
  for (const GridDirection& d : directions) {
    if (d.derivative < 0) {
      report_spline_error(ErrorKind::terminal, code_negative_derivative, routine, message::negative_derivative,
                          {{d.derivative}, {}, {letter_of(d.letter)}});
      return false;
    }
  }
  for (const GridDirection& d : directions) {
    for (size_t p = 1; p < d.coordinates.size(); ++p) {
      if (!(d.coordinates[p - 1] < d.coordinates[p])) {
        report_spline_error(ErrorKind::fatal, code_not_increasing, routine, message::not_strictly_increasing,
                            {{static_cast<int64_t>(p), static_cast<int64_t>(p + 1)},
                             {d.coordinates[p - 1], d.coordinates[p]},
                             {letter_of(d.letter), letter_of(d.letter) + "VEC"}});
        return false;
      }
    }
  }
  return true;
}

bool check_coordinate_range(std::string_view routine, int32_t direction, std::string_view letter, int32_t index_1based,
                            float x, std::span<const float> knots, int32_t order, int32_t ncoef) {
  if (in_knot_range(knots, order, ncoef, x)) return true;
  report_spline_error(ErrorKind::warning, direction + 1, routine, message::outside_knot_range,
                      {{index_1based}, {x}, {letter_of(letter)}});
  return false;
}

void BS2GD(int32_t IXDER, int32_t IYDER, int32_t NX, std::span<const float> XVEC, int32_t NY,
           std::span<const float> YVEC, int32_t KXORD, int32_t KYORD, std::span<const float> XKNOT,
           std::span<const float> YKNOT, int32_t NXCOEF, int32_t NYCOEF, std::span<const float> BSCOEF,
           std::span<float> VALUE, int32_t LDVALU) {
  const size_t nx = static_cast<size_t>(std::max(NX, 0));
  const size_t ny = static_cast<size_t>(std::max(NY, 0));
  const std::array<GridDirection, 2> directions = {
      GridDirection{"X", KXORD, NXCOEF, IXDER, XVEC.first(nx)},
      GridDirection{"Y", KYORD, NYCOEF, IYDER, YVEC.first(ny)},
  };
  if (!check_grid_directions(routine_BS2GD, directions)) return;
  const std::array<std::span<const float>, 2> knots = {XKNOT, YKNOT};
  auto result = [&](size_t i, size_t j) -> float& { return VALUE[i + static_cast<size_t>(LDVALU) * j]; };
  if (!all_coordinates_in_range(routine_BS2GD, directions, knots)) {
    for (size_t j = 0; j < ny; ++j) {
      for (size_t i = 0; i < nx; ++i) result(i, j) = 0.0f;
    }
    return;
  }
  BasisTable x_basis;
  BasisTable y_basis;
  std::vector<float> weights;
  try {
    x_basis.build(XKNOT, KXORD, NXCOEF, directions[0].coordinates, IXDER);
    y_basis.build(YKNOT, KYORD, NYCOEF, directions[1].coordinates, IYDER);
    weights.resize(static_cast<size_t>(KXORD) * static_cast<size_t>(KYORD));
  } catch (const std::bad_alloc&) {
    report_spline_error(ErrorKind::terminal, code_storage, routine_BS2GD, message::storage_2d,
                        {{NX, NY, KXORD, KYORD, IXDER, IYDER}});
    return;
  }
  for (size_t j = 0; j < ny; ++j) {
    for (size_t i = 0; i < nx; ++i) {
      tensor_weights_2d(x_basis.values(i), y_basis.values(j), weights);
      result(i, j) = contract_2d(BSCOEF, NXCOEF, x_basis.first(i), y_basis.first(j), KXORD, KYORD, weights);
    }
  }
}

void BS3GD(int32_t IXDER, int32_t IYDER, int32_t IZDER, int32_t NX, std::span<const float> XVEC, int32_t NY,
           std::span<const float> YVEC, int32_t NZ, std::span<const float> ZVEC, int32_t KXORD, int32_t KYORD,
           int32_t KZORD, std::span<const float> XKNOT, std::span<const float> YKNOT, std::span<const float> ZKNOT,
           int32_t NXCOEF, int32_t NYCOEF, int32_t NZCOEF, std::span<const float> BSCOEF, std::span<float> VALUE,
           int32_t LDVALU, int32_t MDVALU) {
  const size_t nx = static_cast<size_t>(std::max(NX, 0));
  const size_t ny = static_cast<size_t>(std::max(NY, 0));
  const size_t nz = static_cast<size_t>(std::max(NZ, 0));
  const std::array<GridDirection, 3> directions = {
      GridDirection{"X", KXORD, NXCOEF, IXDER, XVEC.first(nx)},
      GridDirection{"Y", KYORD, NYCOEF, IYDER, YVEC.first(ny)},
      GridDirection{"Z", KZORD, NZCOEF, IZDER, ZVEC.first(nz)},
  };
  if (!check_grid_directions(routine_BS3GD, directions)) return;
  const std::array<std::span<const float>, 3> knots = {XKNOT, YKNOT, ZKNOT};
  auto result = [&](size_t i, size_t j, size_t l) -> float& {
    return VALUE[i + static_cast<size_t>(LDVALU) * (j + static_cast<size_t>(MDVALU) * l)];
  };
  if (!all_coordinates_in_range(routine_BS3GD, directions, knots)) {
    for (size_t l = 0; l < nz; ++l) {
      for (size_t j = 0; j < ny; ++j) {
        for (size_t i = 0; i < nx; ++i) result(i, j, l) = 0.0f;
      }
    }
    return;
  }
  BasisTable x_basis;
  BasisTable y_basis;
  BasisTable z_basis;
  std::vector<float> weights;
  try {
    x_basis.build(XKNOT, KXORD, NXCOEF, directions[0].coordinates, IXDER);
    y_basis.build(YKNOT, KYORD, NYCOEF, directions[1].coordinates, IYDER);
    z_basis.build(ZKNOT, KZORD, NZCOEF, directions[2].coordinates, IZDER);
    weights.resize(static_cast<size_t>(KXORD) * static_cast<size_t>(KYORD) * static_cast<size_t>(KZORD));
  } catch (const std::bad_alloc&) {
    report_spline_error(ErrorKind::terminal, code_storage, routine_BS3GD, message::storage_3d,
                        {{KXORD, KYORD, KZORD, NX, NY, NZ, IXDER, IYDER, IZDER}});
    return;
  }
  for (size_t l = 0; l < nz; ++l) {
    for (size_t j = 0; j < ny; ++j) {
      for (size_t i = 0; i < nx; ++i) {
        tensor_weights_3d(x_basis.values(i), y_basis.values(j), z_basis.values(l), weights);
        result(i, j, l) = contract_3d(BSCOEF, NXCOEF, NYCOEF, x_basis.first(i), y_basis.first(j), z_basis.first(l),
                                      KXORD, KYORD, KZORD, weights);
      }
    }
  }
}

}  // namespace jpcp::splines
