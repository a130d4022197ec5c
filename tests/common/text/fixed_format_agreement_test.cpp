// The formatter against a reference that rounds the full decimal expansion
// written by printf (every binary value has a finite one), over random values
// at every width and decimal count the result layouts use. Ties (values of
// few binary fraction digits), carries and overflow are drawn on purpose.
// JPCP_AGREEMENT_COUNT sets the number of values (default keeps the suite fast).
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "common/text/fixed_format.h"

namespace jpcp::text {
namespace {

int agreement_count() {
  const char* text = std::getenv("JPCP_AGREEMENT_COUNT");
  return text ? std::atoi(text) : 60000;
}

// Digits of |value| rounded to `keep` digits of the exact expansion
// digits[0..], ties away from zero; true when a carry adds a leading digit.
bool reference_round(std::string& digits, size_t keep) {
  const bool up = keep < digits.size() && digits[keep] >= '5';
  digits.resize(keep, '0');
  if (!up) return false;
  for (size_t i = keep; i-- > 0;) {
    if (digits[i] != '9') {
      ++digits[i];
      return false;
    }
    digits[i] = '0';
  }
  digits.insert(digits.begin(), '1');
  return true;
}

std::string fit(std::string text, int width) {
  if (static_cast<int>(text.size()) > width) return std::string(static_cast<size_t>(width), '*');
  return std::string(static_cast<size_t>(width) - text.size(), ' ') + text;
}

// The full expansions of |value| written by printf, once per value: fixed
// ("%.1100f") and exponent ("%.1100e") form.
struct Expansions {
  std::string fixed, exponent;
  explicit Expansions(double value) {
    std::vector<char> buffer(1500);
    std::snprintf(buffer.data(), buffer.size(), "%.1100f", std::fabs(value));
    fixed = buffer.data();
    std::snprintf(buffer.data(), buffer.size(), "%.1100e", std::fabs(value));
    exponent = buffer.data();
  }
};

std::string reference_F(double value, const Expansions& expansions, int width, int decimals) {
  const std::string& text = expansions.fixed;
  size_t integer_digits = text.find('.');
  std::string digits = text.substr(0, integer_digits) + text.substr(integer_digits + 1);
  if (reference_round(digits, integer_digits + static_cast<size_t>(decimals))) ++integer_digits;
  std::string whole = digits.substr(0, integer_digits);
  whole.erase(0, std::min(whole.find_first_not_of('0'), whole.size()));
  const bool negative = value < 0 && digits.find_first_not_of('0') != std::string::npos;
  const std::string sign = negative ? "-" : "";
  const std::string fraction = "." + digits.substr(integer_digits);
  std::string out = sign + (whole.empty() ? "0" : whole) + fraction;
  if (static_cast<int>(out.size()) > width && whole.empty()) out = sign + fraction;
  return fit(out, width);
}

// Significant digits and exponent e of |value| ~ 0.d1d2... x 10^e.
std::pair<std::string, int> reference_significant(const std::string& text, int significant) {
  const size_t letter = text.find('e');
  std::string digits = text.substr(0, 1) + text.substr(2, letter - 2);
  int exponent = std::atoi(text.c_str() + letter + 1) + 1;
  if (reference_round(digits, static_cast<size_t>(significant))) {
    digits.pop_back();
    ++exponent;
  }
  return {digits, exponent};
}

std::string exponent_field(int exponent) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, std::abs(exponent) <= 99 ? "E%+03d" : "%+04d", exponent);
  return buffer;
}

std::string reference_E(double value, const Expansions& expansions, int width, int decimals) {
  auto [digits, exponent] = value == 0 ? std::pair{std::string(static_cast<size_t>(decimals), '0'), 0}
                                       : reference_significant(expansions.exponent, decimals);
  const std::string sign = value < 0 ? "-" : "";
  std::string out = sign + "0." + digits + exponent_field(exponent);
  if (static_cast<int>(out.size()) > width) out = sign + "." + digits + exponent_field(exponent);
  return fit(out, width);
}

std::string reference_free_form(float value) {
  if (value == 0) return "0.000000";
  auto [digits, exponent] = reference_significant(Expansions(value).exponent, 7);
  const std::string sign = value < 0 ? "-" : "";
  if (exponent >= 0 && exponent <= 7) {
    return sign + (exponent == 0 ? "0" : digits.substr(0, static_cast<size_t>(exponent))) + "." +
           digits.substr(static_cast<size_t>(exponent));
  }
  return sign + digits.substr(0, 1) + "." + digits.substr(1) + exponent_field(exponent - 1);
}

// Values of every kind the writers meet: floats and doubles of any bit
// pattern, magnitudes around the field widths, and exact ties n / 2^j.
double random_value(std::mt19937_64& random) {
  std::uniform_int_distribution<int> kind(0, 4);
  const bool negative = random() & 1;
  double value = 0;
  switch (kind(random)) {
    case 0: {  // any finite float
      float f;
      do {
        const auto bits = static_cast<uint32_t>(random());
        std::memcpy(&f, &bits, sizeof f);
      } while (!std::isfinite(f));
      return f;
    }
    case 1: {  // any finite double
      double d;
      do {
        const uint64_t bits = random();
        std::memcpy(&d, &bits, sizeof d);
      } while (!std::isfinite(d));
      return d;
    }
    case 2:  // a float of the magnitudes results carry
      value = static_cast<float>(std::ldexp(std::uniform_real_distribution<double>(1, 2)(random),
                                            std::uniform_int_distribution<int>(-30, 40)(random)));
      break;
    case 3:  // a tie or near-tie: few binary fraction digits
      value = std::ldexp(static_cast<double>(random() % (1u << 24)), -std::uniform_int_distribution<int>(1, 14)(random));
      break;
    default:  // a rounding boundary of some decimal place, nudged by an ulp or not
      value = std::pow(10.0, std::uniform_int_distribution<int>(-8, 8)(random)) *
              (static_cast<double>(random() % 100000) + 0.5);
      value = std::nextafter(value, (random() & 1) ? 0.0 : 1e300);
      break;
  }
  return negative ? -value : value;
}

TEST(FormatterAgreement, MatchesTheRoundedExactExpansionAtEveryLayoutField) {
  const std::vector<std::pair<int, int>> fixed_fields = {{5, 0}, {5, 1}, {5, 2}, {6, 1}, {6, 2},  {6, 4},
                                                         {7, 0}, {7, 1}, {7, 2}, {7, 4}, {8, 4},  {9, 2},
                                                         {9, 7}, {10, 4}, {11, 7}, {12, 3}, {20, 3}};
  const std::vector<std::pair<int, int>> exponent_fields = {{12, 6}, {15, 7}, {11, 4}};
  std::mt19937_64 random(20261208);
  int failures = 0;
  const int count = agreement_count();
  for (int i = 0; i < count && failures < 10; ++i) {
    const double value = random_value(random);
    const Expansions expansions(value);
    for (const auto& [width, decimals] : fixed_fields) {
      const std::string expected = reference_F(value, expansions, width, decimals);
      if (format_F(value, width, decimals) != expected) {
        ++failures;
        ADD_FAILURE() << "F" << width << "." << decimals << " of " << std::hexfloat << value << ": got \""
                      << format_F(value, width, decimals) << "\", expected \"" << expected << "\"";
      }
    }
    for (const auto& [width, decimals] : exponent_fields) {
      const std::string expected = reference_E(value, expansions, width, decimals);
      if (format_E(value, width, decimals) != expected) {
        ++failures;
        ADD_FAILURE() << "E" << width << "." << decimals << " of " << std::hexfloat << value << ": got \""
                      << format_E(value, width, decimals) << "\", expected \"" << expected << "\"";
      }
    }
    const auto single = static_cast<float>(value);
    if (std::isfinite(single) && free_form_real(single) != reference_free_form(single)) {
      ++failures;
      ADD_FAILURE() << "free-form real of " << std::hexfloat << single << ": got \"" << free_form_real(single)
                    << "\", expected \"" << reference_free_form(single) << "\"";
    }
  }
}

}  // namespace
}  // namespace jpcp::text
