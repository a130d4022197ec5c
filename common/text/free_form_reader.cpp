#include "common/text/free_form_reader.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <string>

#include "common/platform/paths.h"
#include "common/text/lines.h"

namespace jpcp::text {

namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }

// One item of a statement: a value, a null value (target unchanged) or the
// slash that ends the statement.
struct Item {
  enum Kind { value, null, slash, end_of_file } kind = value;
  std::string text;
};

// Walks the values of one read statement over the lines.
class StatementScanner {
 public:
  StatementScanner(const std::vector<std::string>& lines, size_t first_line)
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
      const std::string& line = lines_[line_];
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

  std::string take_value(const std::string& line) {
    std::string text;
    const char quote = line[pos_];
    if (quote == '\'' || quote == '"') {
      ++pos_;
      while (pos_ < line.size()) {
        if (line[pos_] == quote) {
          if (pos_ + 1 < line.size() && line[pos_ + 1] == quote) {
            text += quote;
            pos_ += 2;
            continue;
          }
          ++pos_;
          break;
        }
        text += line[pos_++];
      }
      quoted_ = true;
      return text;
    }
    quoted_ = false;
    while (pos_ < line.size() && !is_blank(line[pos_]) && line[pos_] != ',' && line[pos_] != '/') {
      text += line[pos_++];
    }
    return text;
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
    if (!parse_integer(std::string_view(item.text).substr(0, star), count) || count < 1) return;
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

  const std::vector<std::string>& lines_;
  size_t line_;
  size_t pos_ = 0;
  bool value_needs_separator_ = false;
  bool quoted_ = false;
  Item repeat_item_;
  int32_t repeat_left_ = 0;
};

// Assigns one scanned value to one element of a target.
bool assign(const std::string& text, float& target) { return parse_real(text, target); }
bool assign(const std::string& text, int32_t& target) { return parse_integer(text, target); }
bool assign(const std::string& text, std::string& target) {
  target = text;
  return true;
}

}  // namespace

FreeFormReader::FreeFormReader(std::string_view contents) {
  load(contents);
  is_open_ = true;
}

void FreeFormReader::load(std::string_view contents) {
  lines_ = split_lines(contents);
  line_index_ = 0;
}

bool FreeFormReader::open(const std::string& path) {
  lines_.clear();
  line_index_ = 0;
  const auto contents = platform::read_input_file(path);
  is_open_ = contents.has_value();
  if (is_open_) load(*contents);
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
                            item.text.substr(0, 40) + "'";
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

bool parse_real(std::string_view text, float& value) {
  // Accepted: [sign] digits [. [digits]] | [sign] . digits, then optionally an
  // exponent: (E|e|D|d|Q|q) [sign] digits, or a bare sign and digits.
  std::string normalized;
  size_t i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) normalized += text[i++];
  size_t mantissa_digits = 0;
  while (i < text.size() && is_digit(text[i])) {
    normalized += text[i++];
    ++mantissa_digits;
  }
  if (i < text.size() && text[i] == '.') {
    normalized += text[i++];
    while (i < text.size() && is_digit(text[i])) {
      normalized += text[i++];
      ++mantissa_digits;
    }
  }
  if (mantissa_digits == 0) return false;
  if (i < text.size()) {
    const char c = text[i];
    const bool letter = c == 'E' || c == 'e' || c == 'D' || c == 'd' || c == 'Q' || c == 'q';
    if (!letter && c != '+' && c != '-') return false;
    if (letter) ++i;
    normalized += 'e';
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) normalized += text[i++];
    size_t exponent_digits = 0;
    while (i < text.size() && is_digit(text[i])) {
      normalized += text[i++];
      ++exponent_digits;
    }
    if (exponent_digits == 0 || i != text.size()) return false;
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

}  // namespace jpcp::text
