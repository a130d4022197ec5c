#include "common/text/free_form_reader.h"

#include <array>
#include <bit>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>
#include <system_error>

#include "common/platform/paths.h"
#include "common/text/lines.h"

namespace jpcp::text {

namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }

// One item of a statement: a value, a null value (target unchanged) or the
// slash that ends the statement. The text is a view into the line, or into
// the scanner's buffer for a quoted text with doubled quotes.
struct Item {
  enum Kind { value, null, slash, end_of_file } kind = value;
  std::string_view text;
};

// Walks the values of one read statement over the lines.
class StatementScanner {
 public:
  StatementScanner(const std::vector<std::string_view>& lines, size_t first_line)
      : lines_(lines), line_(first_line) {}

  Item next() {
    if (repeat_left_ > 0) {
      --repeat_left_;
      return repeat_item_;
    }
    Item item = scan();
    if (item.kind == Item::value) split_repeat(item);
    return item;
  }

  // The line after the one the statement ended on.
  size_t following_line() const { return line_ + 1; }
  // The line (0-based) the scanner is on.
  size_t current_line() const { return line_; }

 private:
  Item scan() {
    for (;;) {
      if (line_ >= lines_.size()) return {Item::end_of_file, {}};
      const std::string_view line = lines_[line_];
      while (pos_ < line.size() && is_blank(line[pos_])) ++pos_;
      if (pos_ >= line.size()) {
        // A line end separates values like a blank.
        if (line_ + 1 >= lines_.size()) return {Item::end_of_file, {}};
        ++line_;
        pos_ = 0;
        continue;
      }
      const char c = line[pos_];
      if (c == ',') {
        ++pos_;
        if (value_needs_separator_) {
          value_needs_separator_ = false;
          continue;
        }
        return {Item::null, {}};
      }
      if (c == '/') return {Item::slash, {}};
      value_needs_separator_ = true;
      return {Item::value, take_value(line)};
    }
  }

  std::string_view take_value(std::string_view line) {
    const char quote = line[pos_];
    if (quote == '\'' || quote == '"') {
      const size_t begin = ++pos_;
      // Without doubled quotes the text is the characters up to the closing
      // quote; with them it is rebuilt in the buffer.
      bool doubled = false;
      size_t end = line.size();
      while (pos_ < line.size()) {
        if (line[pos_] == quote) {
          if (pos_ + 1 < line.size() && line[pos_ + 1] == quote) {
            doubled = true;
            pos_ += 2;
            continue;
          }
          end = pos_++;
          break;
        }
        ++pos_;
      }
      quoted_ = true;
      if (!doubled) return line.substr(begin, end - begin);
      unquoted_.clear();
      for (size_t i = begin; i < end; ++i) {
        unquoted_ += line[i];
        if (line[i] == quote) ++i;  // the second of a doubled quote
      }
      return unquoted_;
    }
    quoted_ = false;
    const size_t begin = pos_;
    while (pos_ < line.size() && !is_blank(line[pos_]) && line[pos_] != ',' && line[pos_] != '/') ++pos_;
    return line.substr(begin, pos_ - begin);
  }

  // "r*c" stands for r copies of c, "r*" for r null values.
  void split_repeat(Item& item) {
    if (quoted_) return;
    const size_t star = item.text.find('*');
    if (star == std::string::npos || star == 0) return;
    for (size_t i = 0; i < star; ++i) {
      if (!is_digit(item.text[i])) return;
    }
    int32_t count = 0;
    if (!parse_integer(item.text.substr(0, star), count) || count < 1) return;
    Item repeated;
    if (star + 1 == item.text.size()) {
      repeated.kind = Item::null;
    } else {
      repeated.text = item.text.substr(star + 1);
    }
    repeat_item_ = repeated;
    repeat_left_ = count - 1;
    item = repeated;
  }

  const std::vector<std::string_view>& lines_;
  size_t line_;
  size_t pos_ = 0;
  bool value_needs_separator_ = false;
  bool quoted_ = false;
  Item repeat_item_;
  int32_t repeat_left_ = 0;
  std::string unquoted_;  // a quoted text whose doubled quotes were undone
};

// Assigns one scanned value to one element of a target.
bool assign(std::string_view text, float& target) { return parse_real(text, target); }
bool assign(std::string_view text, int32_t& target) { return parse_integer(text, target); }
bool assign(std::string_view text, std::string& target) {
  target = text;
  return true;
}

}  // namespace

FreeFormReader::FreeFormReader(std::string_view contents) {
  load(std::string(contents));
  is_open_ = true;
}

FreeFormReader FreeFormReader::viewing(std::string_view contents) {
  FreeFormReader reader;
  reader.lines_ = split_line_views(contents);
  reader.is_open_ = true;
  return reader;
}

void FreeFormReader::load(std::string contents) {
  contents_ = std::make_shared<const std::string>(std::move(contents));
  lines_ = split_line_views(*contents_);
  line_index_ = 0;
}

bool FreeFormReader::open(const std::string& path) {
  lines_.clear();
  contents_.reset();
  line_index_ = 0;
  auto contents = platform::read_input_file(path);
  is_open_ = contents.has_value();
  if (is_open_) load(std::move(*contents));
  return is_open_;
}

ReadStatus FreeFormReader::skip_line() {
  if (line_index_ >= lines_.size()) return ReadStatus::end_of_file;
  ++line_index_;
  return ReadStatus::ok;
}

ReadStatus FreeFormReader::read(std::span<const ReadTarget> targets) {
  failure_detail_.clear();
  if (line_index_ >= lines_.size()) {
    failure_detail_ = "line " + std::to_string(lines_.size() + 1) + ": the file ends before value 1 of the read";
    return ReadStatus::end_of_file;
  }
  StatementScanner scanner(lines_, line_index_);
  ReadStatus status = ReadStatus::ok;
  bool ended = false;  // slash met, or a failure
  size_t value_number = 0;

  // Fills one element; false ends the statement.
  auto fill = [&](auto& element) {
    const Item item = scanner.next();
    ++value_number;
    // Built only on a failure: reads must stay cheap.
    const auto where = [&] { return "line " + std::to_string(scanner.current_line() + 1); };
    switch (item.kind) {
      case Item::end_of_file:
        status = ReadStatus::end_of_file;
        failure_detail_ = where() + ": the file ends before value " + std::to_string(value_number) + " of the read";
        return false;
      case Item::slash:
        return false;
      case Item::null:
        return true;
      case Item::value:
        if (!assign(item.text, element)) {
          status = ReadStatus::bad_value;
          failure_detail_ = where() + ", value " + std::to_string(value_number) + " of the read: found '" +
                            std::string(item.text.substr(0, 40)) + "'";
          return false;
        }
        return true;
    }
    return false;
  };

  bool any_target = false;
  for (const ReadTarget& target : targets) {
    if (ended) break;
    std::visit(
        [&](auto&& t) {
          using T = std::decay_t<decltype(t)>;
          if constexpr (std::is_pointer_v<T>) {
            any_target = true;
            if (!fill(*t)) ended = true;
          } else {
            for (auto& element : t) {
              any_target = true;
              if (!fill(element)) {
                ended = true;
                break;
              }
            }
          }
        },
        target);
  }
  // A statement without targets still consumes its line.
  line_index_ = any_target ? scanner.following_line() : line_index_ + 1;
  return status;
}

bool parse_integer(std::string_view text, int32_t& value) {
  size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (i >= text.size()) return false;
  int64_t magnitude = 0;
  for (; i < text.size(); ++i) {
    if (!is_digit(text[i])) return false;
    magnitude = magnitude * 10 + (text[i] - '0');
    if (magnitude > int64_t{2147483648}) return false;
  }
  const int64_t signed_value = negative ? -magnitude : magnitude;
  if (signed_value > INT32_MAX || signed_value < INT32_MIN) return false;
  value = static_cast<int32_t>(signed_value);
  return true;
}

namespace {

// strtof on a normalised copy: the exponent letter D or Q or a bare exponent
// sign made an E, and values beyond the float range, which from_chars leaves
// to its caller. `mantissa_end` is where the exponent part starts.
bool parse_real_by_strtof(std::string_view text, size_t mantissa_end, float& value) {
  std::string normalized(text.substr(0, mantissa_end));
  if (mantissa_end < text.size()) {
    size_t i = mantissa_end;
    if (text[i] != '+' && text[i] != '-') ++i;  // the letter
    normalized += 'e';
    normalized.append(text.substr(i));
  }
  errno = 0;
  char* end = nullptr;
  const float parsed = std::strtof(normalized.c_str(), &end);
  if (end != normalized.c_str() + normalized.size()) return false;
  // A value beyond the single-precision range is not a usable number.
  if (!std::isfinite(parsed) || (errno == ERANGE && parsed != 0.0f && std::fabs(parsed) > 1.0f)) return false;
  value = parsed;
  return true;
}

// Digits taken into the whole number: 19 fit in 64 bits.
constexpr size_t max_whole_digits = 19;
// Whole numbers below this are exact doubles; so are the powers of ten up to
// 10^22 (5^22 < 2^53).
constexpr uint64_t exact_double_integer_limit = uint64_t{1} << 53;
constexpr std::array<double, 23> exact_double_powers_of_ten = {
    1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
    1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// digits / 10^fraction_digits as the nearest float, through the one correctly
// rounded double quotient q of exact operands. Rounding q to float gives the
// float nearest the decimal unless q lies exactly halfway between two floats
// (a float midpoint is a double, so none can lie between q and the decimal):
// then, and for operands beyond the exact ones, false (nothing set).
bool decimal_by_double(uint64_t digits, size_t fraction_digits, float& value) {
  if (digits >= exact_double_integer_limit || fraction_digits >= exact_double_powers_of_ten.size()) return false;
  const double quotient = static_cast<double>(digits) / exact_double_powers_of_ten[fraction_digits];
  // The quotient lies between 1e-22 and 2^53, well inside the normal floats:
  // it is a float midpoint when its 29 significand bits below a float's 24
  // are exactly one half.
  constexpr uint64_t below_float = (uint64_t{1} << 29) - 1;
  constexpr uint64_t half = uint64_t{1} << 28;
  if (digits != 0 && (std::bit_cast<uint64_t>(quotient) & below_float) == half) return false;
  value = static_cast<float>(quotient);
  return true;
}

}  // namespace

bool parse_real(std::string_view text, float& value) {
  // Accepted: [sign] digits [. [digits]] | [sign] . digits, then optionally an
  // exponent: (E|e|D|d|Q|q) [sign] digits, or a bare sign and digits.
  const char* p = text.data();
  const char* const end = p + text.size();
  const bool negative = p < end && *p == '-';
  if (p < end && (*p == '+' || *p == '-')) ++p;
  // The digits as one whole number (wrapping when there are more than 19,
  // when it is not used) and the count of those after the point.
  uint64_t digits_value = 0;
  const char* const mantissa_begin = p;
  while (p < end && is_digit(*p)) digits_value = digits_value * 10 + static_cast<uint64_t>(*p++ - '0');
  const auto integer_digits = static_cast<size_t>(p - mantissa_begin);
  size_t fraction_digits = 0;
  if (p < end && *p == '.') {
    const char* const fraction_begin = ++p;
    while (p < end && is_digit(*p)) digits_value = digits_value * 10 + static_cast<uint64_t>(*p++ - '0');
    fraction_digits = static_cast<size_t>(p - fraction_begin);
  }
  const size_t mantissa_digits = integer_digits + fraction_digits;
  if (mantissa_digits == 0) return false;
  if (p == end && mantissa_digits <= max_whole_digits && digits_value <= exact_float_integer_limit &&
      fraction_digits <= max_exact_fraction_digits) {
    // The common case of the input files.
    const float magnitude = exact_decimal_value(static_cast<uint32_t>(digits_value), fraction_digits);
    value = negative ? -magnitude : magnitude;
    return true;
  }
  if (p == end && mantissa_digits <= max_whole_digits) {
    float magnitude = 0.0f;
    if (decimal_by_double(digits_value, fraction_digits, magnitude)) {
      value = negative ? -magnitude : magnitude;
      return true;
    }
  }
  size_t i = static_cast<size_t>(p - text.data());
  const size_t mantissa_end = i;
  bool e_letter = true;  // no exponent, or one from_chars reads as written
  if (i < text.size()) {
    const char c = text[i];
    const bool letter = c == 'E' || c == 'e' || c == 'D' || c == 'd' || c == 'Q' || c == 'q';
    if (!letter && c != '+' && c != '-') return false;
    e_letter = c == 'E' || c == 'e';
    if (letter) ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    size_t exponent_digits = 0;
    while (i < text.size() && is_digit(text[i])) {
      ++i;
      ++exponent_digits;
    }
    if (exponent_digits == 0 || i != text.size()) return false;
  }
  if (!e_letter) return parse_real_by_strtof(text, mantissa_end, value);
  // from_chars reads the checked text in place, rounding exactly as strtof
  // does; it takes no leading plus.
  const char* begin = text.data() + (text[0] == '+' ? 1 : 0);
  float parsed = 0.0f;
  const std::from_chars_result result = std::from_chars(begin, text.data() + text.size(), parsed);
  if (result.ec == std::errc::result_out_of_range) return parse_real_by_strtof(text, mantissa_end, value);
  if (result.ec != std::errc() || result.ptr != text.data() + text.size()) return false;
  value = parsed;
  return true;
}

}  // namespace jpcp::text
