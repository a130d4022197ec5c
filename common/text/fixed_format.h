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

#include <cstdint>
#include <string>
#include <string_view>

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
bool read_fixed_integer(std::string_view line, int first_column, int width, int32_t& value);
bool read_fixed_real(std::string_view line, int first_column, int width, float& value);

}  // namespace jpcp::text
