#include "common/text/fixed_format.h"

#include <cmath>
#include <cstdio>
#include <vector>

#include "common/text/free_form_reader.h"

namespace jpcp::text {

namespace {

// Exact decimal digits of |value|: digits[0..] with the decimal point after
// integer_digits of them. A 4-byte or 8-byte binary value has a finite
// decimal expansion; 400 fraction digits cover every value that can round to
// something other than zero at the precisions the layouts use.
struct ExactDecimal {
  std::string digits;
  int integer_digits = 0;
};

ExactDecimal exact_decimal(double magnitude) {
  std::vector<char> buffer(720);
  int n = std::snprintf(buffer.data(), buffer.size(), "%.400f", magnitude);
  if (n >= static_cast<int>(buffer.size())) {
    buffer.resize(static_cast<size_t>(n) + 1);
    std::snprintf(buffer.data(), buffer.size(), "%.400f", magnitude);
  }
  std::string text(buffer.data());
  const size_t point = text.find('.');
  ExactDecimal result;
  result.integer_digits = static_cast<int>(point);
  result.digits = text.substr(0, point) + text.substr(point + 1);
  return result;
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
  for (int i = keep - 1; i >= 0; --i) {
    if (digits[static_cast<size_t>(i)] == '9') {
      digits[static_cast<size_t>(i)] = '0';
    } else {
      ++digits[static_cast<size_t>(i)];
      return false;
    }
  }
  digits.insert(digits.begin(), '1');
  return true;
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
// digits: magnitude ~ 0.d1d2...dn x 10^exponent.
void significant_digits(double magnitude, int significant, std::string& digits, int& exponent) {
  ExactDecimal exact = exact_decimal(magnitude);
  const size_t first = exact.digits.find_first_not_of('0');
  exponent = exact.integer_digits - static_cast<int>(first);
  digits = exact.digits.substr(first);
  if (round_digits(digits, significant)) {
    digits.pop_back();
    ++exponent;
  }
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
  ExactDecimal exact = exact_decimal(std::fabs(value));
  std::string digits = exact.digits;
  int integer_digits = exact.integer_digits;
  if (round_digits(digits, integer_digits + decimals)) ++integer_digits;
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

// The field's characters without blanks; columns past the end of the line
// read as blanks.
std::string field_without_blanks(std::string_view line, int first_column, int width) {
  std::string field;
  const size_t begin = static_cast<size_t>(first_column - 1);
  for (size_t i = begin; i < begin + static_cast<size_t>(width) && i < line.size(); ++i) {
    if (line[i] != ' ' && line[i] != '\t') field += line[i];
  }
  return field;
}

}  // namespace

bool read_fixed_integer(std::string_view line, int first_column, int width, int32_t& value) {
  const std::string field = field_without_blanks(line, first_column, width);
  if (field.empty()) {
    value = 0;
    return true;
  }
  return parse_integer(field, value);
}

bool read_fixed_real(std::string_view line, int first_column, int width, float& value) {
  const std::string field = field_without_blanks(line, first_column, width);
  if (field.empty()) {
    value = 0.0f;
    return true;
  }
  return parse_real(field, value);
}

}  // namespace jpcp::text
