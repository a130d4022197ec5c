// List-directed (free-form) reading of the section input files.
//
// A file is read statement by statement. Every statement starts at the
// beginning of the next unread line; values are separated by blanks, commas
// or line ends; a statement that needs more values than its line holds goes
// on over the following lines, and whatever its last line holds beyond the
// values it took is ignored. So a statement of one value takes the first
// value of the next line and skips the rest of that line.
//
// Further list-directed rules honoured here:
//   - blank lines are skipped while a statement looks for values;
//   - two commas with nothing but blanks between them (or a comma at the start
//     of a statement) give a null value: the target keeps its value;
//   - r*c repeats c r times, r* gives r null values;
//   - a slash ends the statement: the targets not reached keep their values;
//   - a text value ends at the first blank, comma or slash unless it is
//     enclosed in apostrophes or quotation marks (a doubled quote inside
//     stands for one);
//   - integers are whole numbers with an optional sign; reals may carry a
//     decimal point and an exponent (E, D, or a bare sign: 1.5+3).
// Line ends may be LF or CRLF.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace jpcp::text {

// Outcome of one read statement.
enum class ReadStatus {
  ok,
  end_of_file,  // the file ended before every target had a value
  bad_value,    // a value could not be read as the target's type
};

// One target of a read statement.
using ReadTarget = std::variant<float*, int32_t*, std::string*, std::span<float>, std::span<int32_t>,
                                std::span<std::string>>;

class FreeFormReader {
 public:
  FreeFormReader() = default;
  // Reads from the given text (used by tests and in-memory hand-offs).
  explicit FreeFormReader(std::string_view contents);
  // Reads from text that the caller keeps alive and unchanged for as long as
  // the reader is used, without a copy (a model file of some 600 KB).
  static FreeFormReader viewing(std::string_view contents);

  // Loads the whole file; false (and an empty reader) when it cannot be opened.
  // The file is never created.
  bool open(const std::string& path);
  bool is_open() const { return is_open_; }

  // One read statement with the given targets, filled in order.
  ReadStatus read(std::span<const ReadTarget> targets);

  // Convenience form: reader.read_values(a, b, span_of_c, ...).
  template <typename... Targets>
  ReadStatus read_values(Targets&&... targets) {
    const ReadTarget list[] = {to_target(targets)...};
    return read(std::span<const ReadTarget>(list, sizeof...(Targets)));
  }

  // Skips the next line without reading anything from it.
  // Returns end_of_file when no line is left.
  ReadStatus skip_line();

  // True when every line has been consumed.
  bool at_end() const { return line_index_ >= lines_.size(); }
  // Lines not yet consumed (a bound on the values a count may announce).
  size_t lines_left() const { return line_index_ >= lines_.size() ? 0 : lines_.size() - line_index_; }

  // Where the last statement failed, for the console: "line 12, value 3 of
  // the read: found 'x1'" or "line 12: the file ends before value 3 of the
  // read". Empty when the last statement succeeded.
  const std::string& failure_detail() const { return failure_detail_; }

 private:
  static ReadTarget to_target(float& v) { return &v; }
  static ReadTarget to_target(int32_t& v) { return &v; }
  static ReadTarget to_target(std::string& v) { return &v; }
  static ReadTarget to_target(std::span<float> v) { return v; }
  static ReadTarget to_target(std::span<int32_t> v) { return v; }
  static ReadTarget to_target(std::span<std::string> v) { return v; }
  static ReadTarget to_target(std::vector<float>& v) { return std::span<float>(v); }
  static ReadTarget to_target(std::vector<int32_t>& v) { return std::span<int32_t>(v); }

  void load(std::string contents);

  // The whole file, held where copies and moves of the reader leave it, so
  // that the line views stay valid.
  std::shared_ptr<const std::string> contents_;
  std::vector<std::string_view> lines_;  // its lines, without line ends
  size_t line_index_ = 0;  // next line a statement starts on
  std::string failure_detail_;
  bool is_open_ = false;
};

// Parses a whole integer (optional sign, digits only); false when the text is
// not one or does not fit in 32 bits. Neither parser allocates.
bool parse_integer(std::string_view text, int32_t& value);
// Parses a real in any of the list-directed forms; false when the text is not
// one, or when it is not a finite single-precision value.
bool parse_real(std::string_view text, float& value);

// Whole numbers up to this value are exact floats.
inline constexpr uint64_t exact_float_integer_limit = uint64_t{1} << 24;
// Powers of ten that are exact floats (5^10 < 2^24).
inline constexpr size_t max_exact_fraction_digits = 10;
inline constexpr std::array<float, max_exact_fraction_digits + 1> exact_float_powers_of_ten = {
    1e0f, 1e1f, 1e2f, 1e3f, 1e4f, 1e5f, 1e6f, 1e7f, 1e8f, 1e9f, 1e10f};

// The decimal digits / 10^fraction_digits, for digits <= exact_float_integer_limit
// and fraction_digits <= max_exact_fraction_digits: both are then exact
// floats, so their one correctly rounded quotient is the correctly rounded
// value of the decimal, the float strtof gives. Checks nothing.
inline float exact_decimal_value(uint32_t digits, size_t fraction_digits) {
  return static_cast<float>(digits) / exact_float_powers_of_ten[fraction_digits];
}

}  // namespace jpcp::text
