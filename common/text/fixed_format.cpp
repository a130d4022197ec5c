#include "common/text/fixed_format.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <string>
#include <system_error>

#include "common/text/free_form_reader.h"

namespace jpcp::text {

namespace {

// Binary fraction digits of a finite magnitude: the k of magnitude = m / 2^k
// with m odd, or 0 for a whole number. The exact decimal expansion of such a
// value has exactly k fraction digits, the last of them a 5 when k > 0; so
// rounding it to d decimals can meet a tie only when k == d + 1.
int fraction_bits(double magnitude) {
  if (magnitude == 0.0) return 0;
  int exponent = 0;
  const double mantissa = std::frexp(magnitude, &exponent);  // in [0.5, 1)
  const auto significand = static_cast<uint64_t>(std::ldexp(mantissa, 53));  // exact
  const int lowest_bit = exponent - 53 + std::countr_zero(significand);
  return lowest_bit >= 0 ? 0 : -lowest_bit;
}

// std::to_chars with a precision into a stack buffer, or into `spill` for the
// rare text that does not fit (whole numbers of hundreds of digits, values of
// hundreds of fraction digits). Rounds ties to even: callers handle ties.
std::string_view to_chars_with_precision(double magnitude, std::chars_format format, int precision,
                                         std::array<char, 400>& buffer, std::string& spill) {
  const std::to_chars_result fitted =
      std::to_chars(buffer.data(), buffer.data() + buffer.size(), magnitude, format, precision);
  if (fitted.ec == std::errc()) return {buffer.data(), static_cast<size_t>(fitted.ptr - buffer.data())};
  // The largest double has 309 integer digits; the smallest 1074 fraction digits.
  spill.assign(static_cast<size_t>(precision) + 340, '\0');
  const std::to_chars_result spilled =
      std::to_chars(spill.data(), spill.data() + spill.size(), magnitude, format, precision);
  return {spill.data(), static_cast<size_t>(spilled.ptr - spill.data())};
}

// Exact decimal digits of |value|: digits[0..] with the decimal point after
// integer_digits of them. Every binary value has a finite decimal expansion:
// `fraction_bits` fraction digits written out in full lose nothing.
struct ExactDecimal {
  std::string digits;
  int integer_digits = 0;
};

ExactDecimal exact_decimal(double magnitude) {
  std::array<char, 400> buffer;
  std::string spill;
  const std::string_view text =
      to_chars_with_precision(magnitude, std::chars_format::fixed, fraction_bits(magnitude), buffer, spill);
  const size_t point = text.find('.');
  ExactDecimal result;
  if (point == std::string_view::npos) {
    result.digits = text;
    result.integer_digits = static_cast<int>(text.size());
  } else {
    result.integer_digits = static_cast<int>(point);
    result.digits.reserve(text.size() - 1);
    result.digits.append(text.substr(0, point)).append(text.substr(point + 1));
  }
  return result;
}

// Adds one unit in the last place of a digit string; returns true when the
// carry added a new leading digit.
bool increment_digits(std::string& digits) {
  for (size_t i = digits.size(); i-- > 0;) {
    if (digits[i] == '9') {
      digits[i] = '0';
    } else {
      ++digits[i];
      return false;
    }
  }
  digits.insert(digits.begin(), '1');
  return true;
}

// Rounds the digit string to keep `keep` leading digits, ties away from zero
// (a tie needs every dropped digit after the leading 5 to be 0). Returns true
// when the carry added a new leading digit.
bool round_digits(std::string& digits, int keep) {
  if (keep < 0) {
    digits.clear();
    return false;
  }
  if (static_cast<size_t>(keep) >= digits.size()) {
    digits.append(static_cast<size_t>(keep) - digits.size(), '0');
    return false;
  }
  const bool round_up = digits[static_cast<size_t>(keep)] >= '5';
  digits.resize(static_cast<size_t>(keep));
  if (!round_up) return false;
  return increment_digits(digits);
}

// |value| rounded to `decimals` fraction digits, ties away from zero: the
// digits without the point and the count of integer digits among them.
void fixed_digits(double magnitude, int decimals, std::string& digits, int& integer_digits) {
  std::array<char, 400> buffer;
  std::string spill;
  // Only a value of exactly decimals + 1 fraction digits can be a tie; it is
  // written exactly and rounded up here. Every other value is rounded
  // correctly by to_chars.
  const bool tie = fraction_bits(magnitude) == decimals + 1;
  const std::string_view text =
      to_chars_with_precision(magnitude, std::chars_format::fixed, tie ? decimals + 1 : decimals, buffer, spill);
  const size_t point = text.find('.');
  integer_digits = static_cast<int>(point == std::string_view::npos ? text.size() : point);
  digits.assign(text.substr(0, static_cast<size_t>(integer_digits)));
  if (point != std::string_view::npos) digits.append(text.substr(point + 1));
  if (tie) {
    digits.pop_back();  // the 5 of the tie
    if (increment_digits(digits)) ++integer_digits;
  }
}

std::string stars(int width) { return std::string(static_cast<size_t>(width > 0 ? width : 0), '*'); }

std::string right_aligned(const std::string& text, int width) {
  if (static_cast<int>(text.size()) > width) return stars(width);
  return std::string(static_cast<size_t>(width) - text.size(), ' ') + text;
}

// Infinity and NaN are never meant to reach a result file; if one does, it
// shows as such rather than as a plausible number.
std::string non_finite(double value, int width) {
  const std::string text = std::isnan(value) ? "NaN" : (value < 0 ? "-Inf" : "Inf");
  return right_aligned(text, width);
}

bool all_zero(const std::string& digits) { return digits.find_first_not_of('0') == std::string::npos; }

// Decimal digits and exponent of a non-zero magnitude rounded to `significant`
// digits (ties away from zero): magnitude ~ 0.d1d2...dn x 10^exponent.
void significant_digits(double magnitude, int significant, std::string& digits, int& exponent) {
  // A tie needs an exact expansion of significant + 1 digits ending in 5:
  // a whole number of more than `significant` digits, or a value whose
  // fraction digits end right after the kept digits. Those (and their
  // neighbours, the decimal exponent being estimated) go the exact way.
  const int bits = fraction_bits(magnitude);
  const int decimal_exponent = static_cast<int>(std::floor(std::log10(magnitude)));  // may be off by one
  const bool maybe_tie = bits == 0 ? decimal_exponent >= significant - 2
                                   : std::abs(bits - (significant - decimal_exponent)) <= 2;
  if (maybe_tie) {
    ExactDecimal exact = exact_decimal(magnitude);
    const size_t first = exact.digits.find_first_not_of('0');
    exponent = exact.integer_digits - static_cast<int>(first);
    digits = exact.digits.substr(first);
    if (round_digits(digits, significant)) {
      digits.pop_back();
      ++exponent;
    }
    return;
  }
  // d.ddddde+xx: `significant` digits, correctly rounded (no tie possible).
  std::array<char, 400> buffer;
  std::string spill;
  const std::string_view text =
      to_chars_with_precision(magnitude, std::chars_format::scientific, significant - 1, buffer, spill);
  const size_t letter = text.find('e');
  digits.assign(text.substr(0, 1));
  if (letter > 1) digits.append(text.substr(2, letter - 2));
  int power = 0;
  const char* power_begin = text.data() + letter + 1;
  if (*power_begin == '+') ++power_begin;
  std::from_chars(power_begin, text.data() + text.size(), power);
  exponent = power + 1;
}

std::string exponent_text(int exponent, bool with_letter) {
  const int magnitude = std::abs(exponent);
  char buffer[16];
  if (magnitude <= 99) {
    std::snprintf(buffer, sizeof buffer, "%s%c%02d", with_letter ? "E" : "", exponent < 0 ? '-' : '+', magnitude);
  } else {
    std::snprintf(buffer, sizeof buffer, "%c%03d", exponent < 0 ? '-' : '+', magnitude);
  }
  return buffer;
}

}  // namespace

std::string format_I(int64_t value, int width) { return right_aligned(std::to_string(value), width); }

std::string format_F(double value, int width, int decimals) {
  if (!std::isfinite(value)) return non_finite(value, width);
  std::string digits;
  int integer_digits = 0;
  fixed_digits(std::fabs(value), decimals, digits, integer_digits);
  std::string integer_part = digits.substr(0, static_cast<size_t>(integer_digits));
  const std::string fraction = digits.substr(static_cast<size_t>(integer_digits));
  const size_t nonzero = integer_part.find_first_not_of('0');
  integer_part = nonzero == std::string::npos ? "0" : integer_part.substr(nonzero);
  // A negative value that rounds to zero is written without its sign.
  const bool negative = value < 0 && !all_zero(digits);
  std::string text = (negative ? "-" : "") + integer_part + "." + fraction;
  if (static_cast<int>(text.size()) > width && integer_part == "0") {
    text = negative ? "-." : ".";  // the optional leading zero
    text += fraction;
  }
  return right_aligned(text, width);
}

std::string format_E(double value, int width, int decimals) {
  if (!std::isfinite(value)) return non_finite(value, width);
  // The layouts always carry at least one digit after the point.
  const int kept = decimals > 0 ? decimals : 1;
  std::string digits(static_cast<size_t>(kept), '0');
  int exponent = 0;
  if (value != 0.0) significant_digits(std::fabs(value), kept, digits, exponent);
  const std::string sign = value < 0 ? "-" : "";
  std::string text = sign + "0." + digits + exponent_text(exponent, true);
  if (static_cast<int>(text.size()) > width) text = sign + "." + digits + exponent_text(exponent, true);
  return right_aligned(text, width);
}

std::string format_A(std::string_view value, int width) {
  std::string text(value.substr(0, static_cast<size_t>(width)));
  text.append(static_cast<size_t>(width) - text.size(), ' ');
  return text;
}

std::string format_X(int count) { return std::string(static_cast<size_t>(count > 0 ? count : 0), ' '); }

std::string free_form_real(float value) {
  constexpr int significant = 7;
  if (!std::isfinite(value)) return non_finite(value, 4);
  if (value == 0.0f) return "0.000000";
  std::string digits;
  int exponent = 0;
  significant_digits(std::fabs(static_cast<double>(value)), significant, digits, exponent);
  const std::string sign = value < 0 ? "-" : "";
  if (exponent >= 0 && exponent <= significant) {
    // Fixed point: 0.1 <= |value| < 1e7 after rounding.
    const std::string integer_part = exponent == 0 ? "0" : digits.substr(0, static_cast<size_t>(exponent));
    return sign + integer_part + "." + digits.substr(static_cast<size_t>(exponent));
  }
  return sign + digits.substr(0, 1) + "." + digits.substr(1) + exponent_text(exponent - 1, true);
}

std::string free_form_integer(int64_t value) { return std::to_string(value); }

namespace {

// The field's characters; columns past the end of the line read as blanks.
// Blanks around the value are dropped in place (the common case, no copy);
// `inner_blank` tells that blanks remain inside the value.
std::string_view trimmed_field(std::string_view line, int first_column, int width, bool& inner_blank) {
  const size_t begin = std::min(static_cast<size_t>(first_column - 1), line.size());
  const char* first = line.data() + begin;
  const char* last = first + std::min(static_cast<size_t>(width), line.size() - begin);
  while (first < last && (*first == ' ' || *first == '\t')) ++first;
  while (last > first && (last[-1] == ' ' || last[-1] == '\t')) --last;
  const char* inner = first;
  while (inner < last && *inner != ' ' && *inner != '\t') ++inner;
  inner_blank = inner != last;
  return {first, static_cast<size_t>(last - first)};
}

// The field's value without its inner blanks (a rare layout: "1 234").
std::string without_blanks(std::string_view field) {
  std::string squeezed;
  for (const char c : field) {
    if (c != ' ' && c != '\t') squeezed += c;
  }
  return squeezed;
}

}  // namespace

bool read_fixed_integer_general(std::string_view line, int first_column, int width, int32_t& value) {
  bool inner_blank = false;
  const std::string_view field = trimmed_field(line, first_column, width, inner_blank);
  if (field.empty()) {
    value = 0;
    return true;
  }
  return inner_blank ? parse_integer(without_blanks(field), value) : parse_integer(field, value);
}

bool read_fixed_real_general(std::string_view line, int first_column, int width, float& value) {
  bool inner_blank = false;
  const std::string_view field = trimmed_field(line, first_column, width, inner_blank);
  if (field.empty()) {
    value = 0.0f;
    return true;
  }
  return inner_blank ? parse_real(without_blanks(field), value) : parse_real(field, value);
}

}  // namespace jpcp::text
