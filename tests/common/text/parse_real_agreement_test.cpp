// The real parser against strtof on the same text (the exponent letter D or
// Q or a bare exponent sign made an E; values beyond the float range
// refused): random integers, decimals, exponents, long digit strings, exact
// midpoints between floats, subnormals, overflow and malformed texts must give
// the same float bit for bit, or be refused by both.
// JPCP_AGREEMENT_COUNT sets the number of texts (default keeps the suite fast).
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "common/text/free_form_reader.h"

namespace jpcp::text {
namespace {

int agreement_count() {
  const char* text = std::getenv("JPCP_AGREEMENT_COUNT");
  return text ? std::atoi(text) : 200000;
}

// The float strtof reads from a well-formed text, or nothing when the text
// is malformed or beyond the float range.
std::optional<float> reference_real(const std::string& text) {
  std::string normalized;
  bool exponent = false;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    const bool letter = std::strchr("EeDdQq", c) != nullptr;
    const bool bare_sign = (c == '+' || c == '-') && i > 0 && !exponent && text[i - 1] != 'e';
    if (letter || bare_sign) {
      if (exponent) return std::nullopt;
      exponent = true;
      normalized += 'e';
      if (letter) continue;
    }
    normalized += c;
  }
  // The forms strtof takes beyond the reader's: hexadecimal, inf, nan, blanks.
  if (normalized.find_first_not_of("0123456789.+-e") != std::string::npos) return std::nullopt;
  if (normalized.find_first_of("0123456789") > normalized.find_first_of("e.") &&
      normalized.find('.') != std::string::npos && !std::isdigit(static_cast<unsigned char>(normalized[normalized.find('.') + 1]))) {
    return std::nullopt;  // "." or ".e5": no mantissa digit
  }
  errno = 0;
  char* end = nullptr;
  const float value = std::strtof(normalized.c_str(), &end);
  if (normalized.empty() || end != normalized.c_str() + normalized.size()) return std::nullopt;
  if (!std::isfinite(value) || (errno == ERANGE && std::fabs(value) > 1.0f)) return std::nullopt;
  return value;
}

std::string digits(std::mt19937_64& random, int count) {
  std::string text;
  for (int i = 0; i < count; ++i) text += static_cast<char>('0' + random() % 10);
  return text;
}

std::string random_real_text(std::mt19937_64& random) {
  const auto pick = [&](int n) { return static_cast<int>(random() % static_cast<uint64_t>(n)); };
  const std::string sign = std::string("  +-").substr(static_cast<size_t>(pick(4)), 1) == " " ? "" :
                           std::string(1, "+-"[pick(2)]);
  char buffer[96];
  switch (pick(8)) {
    case 0:  // an integer
      return sign + digits(random, 1 + pick(12));
    case 1:  // a decimal, digits on either side or both
      return sign + digits(random, pick(8)) + "." + digits(random, 1 + pick(12));
    case 2:  // a decimal with an exponent in any written form
      return sign + digits(random, 1 + pick(3)) + (pick(2) ? "." : "") + digits(random, pick(9)) +
             std::string("EeDdQq+-").substr(static_cast<size_t>(pick(8)), 1) + (pick(2) ? "-" : "") +
             std::to_string(pick(50));
    case 3: {  // the exact midpoint between two neighbouring floats: a tie
      float f;
      const auto bits = static_cast<uint32_t>(random() % 0x7f7fffffu);
      std::memcpy(&f, &bits, sizeof f);
      const double midpoint = (static_cast<double>(f) + static_cast<double>(std::nextafter(f, 1e30f))) / 2;
      std::snprintf(buffer, sizeof buffer, "%.80g", midpoint);
      return sign + buffer;
    }
    case 6: {  // a tie between floats to 15-19 significant digits, without exponent when it fits
      const double low = std::ldexp(1.0 + pick(1 << 23) / 8388608.0, pick(60) - 10);
      const double midpoint = (low + static_cast<double>(std::nextafter(static_cast<float>(low), 1e30f))) / 2;
      std::snprintf(buffer, sizeof buffer, "%.*g", 15 + pick(5), midpoint);
      return sign + buffer;
    }
    case 4:  // subnormals and the underflow to zero
      std::snprintf(buffer, sizeof buffer, "%.*e", pick(12), std::ldexp(1.0 + pick(1000) / 1000.0, -pick(30) - 126));
      return sign + buffer;
    case 5:  // overflow and the largest floats
      std::snprintf(buffer, sizeof buffer, "%.*e", pick(12), 3.0e38 + pick(1000) * 1.0e36);
      return sign + buffer;
    default: {  // malformed: a character dropped, doubled or replaced
      std::string text = sign + digits(random, 1 + pick(4)) + "." + digits(random, pick(4)) + "e" + digits(random, 1);
      const auto at = static_cast<size_t>(pick(static_cast<int>(text.size())));
      switch (pick(3)) {
        case 0: text.erase(at, 1); break;
        case 1: text.insert(at, 1, text[at]); break;
        default: text[at] = "x.e+- d"[pick(7)]; break;
      }
      return text;
    }
  }
}

TEST(ParseRealAgreement, SameFloatAsStrtofOrRefusedByBoth) {
  std::mt19937_64 random(20261208);
  int failures = 0;
  const int count = agreement_count();
  for (int i = 0; i < count && failures < 10; ++i) {
    const std::string text = random_real_text(random);
    const std::optional<float> expected = reference_real(text);
    float parsed = -12345.0f;
    const bool accepted = parse_real(text, parsed);
    if (accepted != expected.has_value() ||
        (accepted && std::memcmp(&parsed, &*expected, sizeof parsed) != 0)) {
      ++failures;
      ADD_FAILURE() << "\"" << text << "\": parsed " << (accepted ? std::to_string(parsed) : "refused")
                    << ", strtof " << (expected ? std::to_string(*expected) : "refused");
    }
  }
}

}  // namespace
}  // namespace jpcp::text
