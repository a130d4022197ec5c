// Fixed-width ("formatted") writing and reading of numbers and texts.
//
// Writers produce one field each, to be concatenated into a line:
//   format_I(v, w)      Iw    integer right-aligned in w characters
//   format_F(v, w, d)   Fw.d  fixed point, d decimals
//   format_E(v, w, d)   Ew.d  0.ddddE+xx exponent form, d (at least 1) digits after the point
//   format_A(s, w)      Aw    first w characters of s, blank-padded on the right
//   format_X(n)         nX    n blanks
// A number too wide for its field fills the field with asterisks. Rounding is
// to the nearest decimal of the exact binary value, ties away from zero.
//
// The free-form line writer builds the lines a program writes free-form:
// each line begins with one blank, a number item is preceded by one blank,
// a text item follows directly.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "common/text/free_form_reader.h"

namespace jpcp::text {

std::string format_I(int64_t value, int width);
std::string format_F(double value, int width, int decimals);
std::string format_E(double value, int width, int decimals);
std::string format_A(std::string_view value, int width);
std::string format_X(int count);

// The one free-form layout of a real: seven significant digits, fixed point
// for magnitudes from 0.1 up to 1e7 ("12.33333", "0.1000000"), otherwise the
// exponent form "1.234567E-03"; zero is "0.000000".
std::string free_form_real(float value);
// Free-form integer: the decimal digits with a sign when negative.
std::string free_form_integer(int64_t value);

class FreeFormLine {
 public:
  FreeFormLine() : line_(" ") {}
  FreeFormLine& text(std::string_view value) {
    line_ += value;
    return *this;
  }
  FreeFormLine& real(float value) {
    line_ += ' ';
    line_ += free_form_real(value);
    return *this;
  }
  FreeFormLine& integer(int64_t value) {
    line_ += ' ';
    line_ += free_form_integer(value);
    return *this;
  }
  const std::string& str() const { return line_; }

 private:
  std::string line_;
};

// Formatted reading of one fixed-column field (columns counted from 1).
// Columns beyond the end of the line read as blanks; blanks inside a field are
// ignored and an all-blank field is 0. A real without a decimal point is a
// whole number. False when the field holds anything else.
//
// read_fixed_integer and read_fixed_real (below) read the usual form of a
// field inline, in one pass over its columns (a temperature file holds
// millions of fields), and leave every other form to these:
bool read_fixed_integer_general(std::string_view line, int first_column, int width, int32_t& value);
bool read_fixed_real_general(std::string_view line, int first_column, int width, float& value);

namespace detail {

// The usual field, read in one pass over its columns: blanks, a sign, digits
// with at most one point (at most `max_digits` digits in all), blanks.
// False for any other field (all blank, tabs, inner blanks, exponents).
struct PlainField {
  uint32_t digits = 0;
  size_t fraction_digits = 0;
  bool negative = false;
};
inline bool plain_field(std::string_view line, int first_column, int width, size_t max_digits, bool point_allowed,
                        PlainField& field) {
  // Columns beyond the end of the line are absent.
  const size_t begin = std::min(static_cast<size_t>(first_column - 1), line.size());
  const char* p = line.data() + begin;
  const char* const end = p + std::min(static_cast<size_t>(width), line.size() - begin);
  while (p < end && *p == ' ') ++p;
  bool negative = false;
  if (p < end && (*p == '-' || *p == '+')) negative = *p++ == '-';
  // Digits, then a point and digits.
  const char* const digits_begin = p;
  uint32_t digits = 0;  // wraps beyond nine digits, when it is not used
  auto take_digits = [&] {
    for (; p < end; ++p) {
      const auto digit = static_cast<uint32_t>(static_cast<unsigned char>(*p) - '0');
      if (digit > 9) break;
      digits = digits * 10 + digit;
    }
  };
  take_digits();
  const char* const point = p;
  size_t fraction_digits = 0;
  if (point_allowed && p < end && *p == '.') {
    ++p;
    take_digits();
    fraction_digits = static_cast<size_t>(p - point - 1);
  }
  const auto digit_count = static_cast<size_t>(point - digits_begin) + fraction_digits;
  while (p < end && *p == ' ') ++p;
  if (p != end || digit_count == 0 || digit_count > max_digits) return false;
  field.digits = digits;
  field.fraction_digits = fraction_digits;
  field.negative = negative;
  return true;
}

}  // namespace detail

inline bool read_fixed_integer(std::string_view line, int first_column, int width, int32_t& value) {
  // Nine digits always fit in 32 bits.
  detail::PlainField plain;
  if (!detail::plain_field(line, first_column, width, 9, false, plain)) {
    return read_fixed_integer_general(line, first_column, width, value);
  }
  value = plain.negative ? -static_cast<int32_t>(plain.digits) : static_cast<int32_t>(plain.digits);
  return true;
}

inline bool read_fixed_real(std::string_view line, int first_column, int width, float& value) {
  // Seven digits stay below the exact float integers: the value parse_real
  // gives, without its second pass.
  detail::PlainField plain;
  if (!detail::plain_field(line, first_column, width, 7, true, plain)) {
    return read_fixed_real_general(line, first_column, width, value);
  }
  const float magnitude = exact_decimal_value(plain.digits, plain.fraction_digits);
  value = plain.negative ? -magnitude : magnitude;
  return true;
}

}  // namespace jpcp::text
