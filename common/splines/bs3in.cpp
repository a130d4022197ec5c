#include "common/splines/bs3in.h"

#include <algorithm>
#include <array>
#include <new>
#include <vector>

#include "common/splines/spline_messages.h"
#include "common/splines/tensor_interpolation.h"

namespace jpcp::splines {

namespace {

constexpr int32_t code_leading_dimension = 3;
constexpr int32_t code_middle_dimension = 4;
constexpr int32_t code_storage = 13;

size_t count_of(int32_t n) { return static_cast<size_t>(std::max(n, 0)); }

// A knot sequence of n+k knots, or an empty view when the counts make no
// sense yet (the shape checks report those first).
std::span<const float> knots_of(std::span<const float> knots, int32_t n, int32_t k) {
  if (n < 0 || k < 1) return {};
  return knots.first(static_cast<size_t>(n) + static_cast<size_t>(k));
}

}  // namespace

void BS3IN(int32_t NXDATA, std::span<const float> XDATA, int32_t NYDATA, std::span<const float> YDATA,
           int32_t NZDATA, std::span<const float> ZDATA, std::span<const float> FDATA, int32_t LDF, int32_t MDF,
           int32_t KXORD, int32_t KYORD, int32_t KZORD, std::span<const float> XKNOT, std::span<const float> YKNOT,
           std::span<const float> ZKNOT, std::span<float> BSCOEF) {
  const std::array<InterpolationDirection, 3> directions = {
      InterpolationDirection{"X", XDATA.first(count_of(NXDATA)), knots_of(XKNOT, NXDATA, KXORD), KXORD},
      InterpolationDirection{"Y", YDATA.first(count_of(NYDATA)), knots_of(YKNOT, NYDATA, KYORD), KYORD},
      InterpolationDirection{"Z", ZDATA.first(count_of(NZDATA)), knots_of(ZKNOT, NZDATA, KZORD), KZORD},
  };
  if (!check_interpolation_shapes(routine_BS3IN, directions)) return;
  if (LDF < NXDATA) {
    report_spline_error(ErrorKind::terminal, code_leading_dimension, routine_BS3IN,
                        message::leading_dimension_too_small, {{LDF, NXDATA}});
    return;
  }
  if (MDF < NYDATA) {
    report_spline_error(ErrorKind::terminal, code_middle_dimension, routine_BS3IN, message::middle_dimension_too_small,
                        {{MDF, NYDATA}});
    return;
  }
  const size_t nx = count_of(NXDATA);
  const size_t ny = count_of(NYDATA);
  const size_t nz = count_of(NZDATA);
  std::vector<float> values;
  try {
    values.resize(nx * ny * nz);
  } catch (const std::bad_alloc&) {
    report_spline_error(ErrorKind::terminal, code_storage, routine_BS3IN, message::storage_interpolation,
                        {{NXDATA, NYDATA, NZDATA, KXORD, KYORD, KZORD}});
    return;
  }
  // The data without the unused rows of FDATA's leading and middle dimensions.
  for (size_t l = 0; l < nz; ++l) {
    for (size_t j = 0; j < ny; ++j) {
      const size_t from = static_cast<size_t>(LDF) * (j + static_cast<size_t>(MDF) * l);
      std::copy_n(FDATA.begin() + static_cast<std::ptrdiff_t>(from), nx, values.begin() + static_cast<std::ptrdiff_t>(nx * (j + ny * l)));
    }
  }
  bool solved = false;
  try {
    solved = interpolate_tensor(routine_BS3IN, directions, values);
  } catch (const std::bad_alloc&) {
    report_spline_error(ErrorKind::terminal, code_storage, routine_BS3IN, message::storage_interpolation,
                        {{NXDATA, NYDATA, NZDATA, KXORD, KYORD, KZORD}});
    return;
  }
  if (solved) std::copy(values.begin(), values.end(), BSCOEF.begin());
}

}  // namespace jpcp::splines
