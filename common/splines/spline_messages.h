// Error messages of the spline routines.
//
// Every error is written as one block:
//   " *** " kind " ERROR " code " from " routine ".  " message
// with the %(In), %(Rn) and %(Ln) fields of the message text replaced by the
// n-th integer, real and letter field. A block longer than
// `message_wrap_width` characters is broken at blanks onto continuation lines
// that begin with " ***          ".
//
// Kinds NOTE, ALERT and WARNING are written to the message stream and the
// computation goes on. FATAL and TERMINAL errors end the computation: the
// block is handed to the stop handler, which by default is
// platform::stop_run: the block goes to the run's console and the stop is
// thrown to the run frame (exit status 3 of the programs). A routine that
// reports a stop returns at once, so a stop handler that returns (or throws,
// as the tests do) leaves the routine's outputs untouched.
//
// Error codes (per routine; the message names the direction concerned):
//   BSNAK  1 terminal  order below 2
//          2 terminal  fewer data points than the order
//          3 fatal     two equal abscissas
//          4 terminal  work storage not obtainable
//   BS3IN  1 terminal  order below 1 in a direction
//          2 terminal  fewer data points than the order in a direction
//          3 terminal  leading dimension of FDATA too small
//          4 terminal  middle dimension of FDATA too small
//          5 fatal     data abscissas of a direction not strictly increasing
//          6 fatal     knots decreasing
//          7 fatal     knot multiplicity above the order
//          8 fatal     smallest abscissa outside its knot interval
//          9 fatal     largest abscissa outside its knot interval
//         10 fatal     interior abscissa outside its knot interval
//         11 warning   collocation matrix nearly singular
//         12 warning   nearly singular and iterative refinement failed
//         13 terminal  work storage not obtainable
//   BS2GD, BS3GD
//          1, 2, 3 warning  coordinate outside the knot range in X, Y, Z
//          4 terminal  order below 1 in a direction
//          5 terminal  fewer coefficients than the order in a direction
//          6 terminal  negative derivative order in a direction
//          7 fatal     grid coordinates of a direction not strictly increasing
//          8 terminal  work storage not obtainable
//   CSIEZ  1 terminal  fewer than two data points
//          2 terminal  no query point
//          3 terminal  two equal data abscissas
//          4 fatal     two equal query points
//          5 terminal  work storage not obtainable
#pragma once

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

namespace jpcp::splines {

enum class ErrorKind { note, alert, warning, fatal, terminal };

// Lines of a block are at most this many characters long (a single word that
// is longer stays whole on its line).
inline constexpr int message_wrap_width = 72;
inline constexpr std::string_view message_prefix = " *** ";
inline constexpr std::string_view continuation_prefix = " ***          ";

// Field values of one message: %(I1) is integers[0], %(R1) reals[0],
// %(L1) letters[0], and so on.
struct MessageFields {
  std::vector<int64_t> integers = {};
  std::vector<float> reals = {};
  std::vector<std::string> letters = {};
};

// Routine names as they appear in the blocks.
inline constexpr std::string_view routine_BSNAK = "BSNAK";
inline constexpr std::string_view routine_BS3IN = "BS3IN";
inline constexpr std::string_view routine_BS2GD = "BS2GD";
inline constexpr std::string_view routine_BS3GD = "BS3GD";
inline constexpr std::string_view routine_CSIEZ = "CSIEZ";

// Message texts. %(L1) is the direction letter (X, Y or Z) where a text has a
// form for each direction.
namespace message {
inline constexpr std::string_view order_below_one =
    "The order of the spline in the %(L1) direction must be at least 1 while K%(L1)ORD = %(I1) is given.";
inline constexpr std::string_view knot_order_below_two =
    "The order of the spline must be at least 2 while KORDER = %(I1) is given.";
inline constexpr std::string_view fewer_data_than_order =
    "The number of data points must be at least as large as the order of the spline while NDATA = %(I1) and "
    "KORDER = %(I2) are given.";
inline constexpr std::string_view abscissas_not_distinct =
    "Points in the data point abscissas array, XDATA, must be distinct, but XDATA(%(I1)) = XDATA(%(I2)) = %(R1).";
inline constexpr std::string_view fewer_data_than_order_in_direction =
    "The number of data points of the spline in the %(L1) direction must be at least as large as the order of "
    "the spline in the %(L1) direction while N%(L1)DATA = %(I1) and K%(L1)ORD = %(I2) are given.";
inline constexpr std::string_view leading_dimension_too_small =
    "The leading dimension of FDATA must be at least as large as NXDATA while LDF = %(I1) and NXDATA = %(I2) are "
    "given.";
inline constexpr std::string_view middle_dimension_too_small =
    "The middle dimension of FDATA must be at least as large as NYDATA while MDF = %(I1) and NYDATA = %(I2) are "
    "given.";
// %(L2) is the name of the order argument (KXORD, KYORD, KZORD).
inline constexpr std::string_view smallest_data_outside_knots =
    "The smallest element in %(L1)DATA must be greater than or equal to %(L1)KNOT(1) and less than "
    "%(L1)KNOT(1+%(L2)) while %(L1)DATA(1) = %(R1), %(L1)KNOT(1) = %(R2), %(L1)KNOT(%(I2)) = %(R3) are given.";
inline constexpr std::string_view largest_data_outside_knots =
    "The largest element in %(L1)DATA must be greater than %(L1)KNOT(NDATA) and less than or equal to "
    "%(L1)KNOT(NDATA+%(L2)) while %(L1)DATA(NDATA) = %(R1), %(L1)KNOT(NDATA) = %(R2), %(L1)KNOT(%(I2)) = %(R3) "
    "are given.";
inline constexpr std::string_view knots_decreasing =
    "The knot %(L1)KNOT(%(I1)) = %(R1) and %(L1)KNOT(%(I2)) = %(R2).  The knots must be nondecreasing.";
inline constexpr std::string_view interior_data_outside_knots =
    "The element %(L1)DATA(%(I1)) = %(R1) must be greater than %(L1)KNOT(%(I1)) = %(R2) and less than "
    "%(L1)KNOT(%(I2)) = %(R3).";
inline constexpr std::string_view knot_multiplicity_too_high =
    "The knot %(L1)KNOT(%(I1)) = %(R1) occurs %(I2) times, more often than the order %(L2) = %(I3) of the "
    "spline allows.";
inline constexpr std::string_view nearly_singular =
    "The interpolation matrix in the %(L1) direction is nearly singular, try higher precision if possible.";
inline constexpr std::string_view nearly_singular_refinement_failed =
    "The interpolation matrix in the %(L1) direction is nearly singular.  Iterative refinement failed, try "
    "higher precision if possible.";
inline constexpr std::string_view fewer_coefficients_than_order =
    "The number of coefficients of the spline in the %(L1) direction must be at least as large as the order of "
    "the spline in the %(L1) direction while N%(L1)COEF = %(I1) and K%(L1)ORD = %(I2) are given.";
inline constexpr std::string_view negative_derivative =
    "The order of the derivative in the %(L1) direction must be at least zero, while I%(L1)DER = %(I1) is given.";
// %(L2) is the array name (XVEC, XDATA, ...).
inline constexpr std::string_view not_strictly_increasing =
    "The %(L1) data values must be strictly increasing, but %(L2)(%(I1)) = %(R1) and %(L2)(%(I2)) = %(R2).";
inline constexpr std::string_view outside_knot_range =
    "The point %(L1)VEC(%(I1)) = %(R1) does not satisfy %(L1)KNOT(K%(L1)ORD) .LE. %(L1)VEC(%(I1)) .LE. "
    "%(L1)KNOT(N%(L1)COEF+1).  The value zero is returned in this case.";
inline constexpr std::string_view storage_2d =
    "The required storage cannot be allocated.  Workspace allocation is based on NX, NY, KXORD, KYORD, IXDER, "
    "and IYDER, where NX = %(I1), NY = %(I2), KXORD = %(I3), KYORD = %(I4), IXDER = %(I5), and  IYDER = %(I6).";
inline constexpr std::string_view storage_3d =
    "The required storage cannot be allocated.  Workspace allocation is based on KXORD, KYORD, KZORD, NX, NY, "
    "NZ, IXDER, IYDER and IZDER, where KXORD = %(I1), KYORD = %(I2), KZORD = %(I3), NX = %(I4), NY = %(I5), "
    "NZ = %(I6), IXDER = %(I7), IYDER = %(I8) and IZDER = %(I9).";
inline constexpr std::string_view storage_knots =
    "The required storage cannot be allocated.  Workspace allocation is based on NDATA = %(I1).";
inline constexpr std::string_view storage_interpolation =
    "The required storage cannot be allocated.  Workspace allocation is based on NXDATA, NYDATA, NZDATA, KXORD, "
    "KYORD and KZORD, where NXDATA = %(I1), NYDATA = %(I2), NZDATA = %(I3), KXORD = %(I4), KYORD = %(I5) and "
    "KZORD = %(I6).";
inline constexpr std::string_view cubic_fewer_than_two =
    "The number of data points must be 2 or more while NDATA = %(I1) is given.";
inline constexpr std::string_view cubic_no_query =
    "The length of XVEC must be at least one while N = %(I1) is given.";
inline constexpr std::string_view storage_cubic =
    "The required storage cannot be allocated.  Workspace allocation is based on NDATA = %(I1) and N = %(I2).";
}  // namespace message

// The message text with its fields filled in. Integers are written in
// decimal, reals in the free-form real layout. A field without a value is left
// as it stands.
std::string fill_message(std::string_view text, const MessageFields& fields);

// The whole block for an already filled message, lines separated by '\n',
// without a final line end.
std::string format_error_block(ErrorKind kind, int32_t code, std::string_view routine,
                               std::string_view filled_message);

// Where the blocks go.
struct SplineMessageSink {
  std::ostream* out = nullptr;                         // notes, alerts, warnings; nullptr: the run's console
  std::function<void(const std::string& block)> stop;  // fatal and terminal errors; empty: platform::stop_run
};

// The sink in use on the calling thread; by default the run's console
// (run_scope.h) and platform::stop_run.
SplineMessageSink& spline_message_sink();

// Replaces the sink for its lifetime (tests, tools that collect messages).
class ScopedSplineMessageSink {
 public:
  explicit ScopedSplineMessageSink(SplineMessageSink replacement);
  ~ScopedSplineMessageSink();
  ScopedSplineMessageSink(const ScopedSplineMessageSink&) = delete;
  ScopedSplineMessageSink& operator=(const ScopedSplineMessageSink&) = delete;

 private:
  SplineMessageSink saved_;
};

// Reports one error. Returns true when the kind stops the computation (fatal,
// terminal); the caller then returns at once.
bool report_spline_error(ErrorKind kind, int32_t code, std::string_view routine, std::string_view text,
                         const MessageFields& fields = {});

}  // namespace jpcp::splines
