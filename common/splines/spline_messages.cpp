#include "common/splines/spline_messages.h"

#include <iostream>
#include <utility>

#include "common/platform/paths.h"
#include "common/platform/run_scope.h"
#include "common/text/fixed_format.h"

namespace jpcp::splines {

namespace {

std::string_view kind_name(ErrorKind kind) {
  switch (kind) {
    case ErrorKind::note:
      return "NOTE";
    case ErrorKind::alert:
      return "ALERT";
    case ErrorKind::warning:
      return "WARNING";
    case ErrorKind::fatal:
      return "FATAL";
    case ErrorKind::terminal:
      return "TERMINAL";
  }
  return "TERMINAL";
}

bool is_digit(char c) { return c >= '0' && c <= '9'; }

std::string real_field(float value) {
  std::string text = text::free_form_real(value);
  // The free-form layout may carry a leading blank; a field sits after "= ".
  const size_t first = text.find_first_not_of(' ');
  return first == std::string::npos ? text : text.substr(first);
}

// Breaks the one-line block at blanks so that no line is longer than the wrap
// width; the blanks at a break are dropped and the next line starts with the
// continuation prefix.
std::string wrap_block(std::string_view line) {
  const size_t width = message_wrap_width;
  std::string block;
  // The first line keeps the block's own beginning " ***".
  std::string current(message_prefix.substr(0, message_prefix.size() - 1));
  size_t pos = current.size();
  bool line_has_word = false;
  for (;;) {
    const size_t word_start = line.find_first_not_of(' ', pos);
    if (word_start == std::string_view::npos) break;
    size_t blanks = word_start - pos;
    size_t word_end = line.find(' ', word_start);
    if (word_end == std::string_view::npos) word_end = line.size();
    const std::string_view word = line.substr(word_start, word_end - word_start);
    if (line_has_word && current.size() + blanks + word.size() > width) {
      block += current;
      block += '\n';
      current.assign(continuation_prefix);
      blanks = 0;
    }
    current.append(blanks, ' ');
    current += word;
    line_has_word = true;
    pos = word_end;
  }
  block += current;
  return block;
}

// The sink of the calling thread: by default (no stream, no handler) the
// current run's console and stop_run.
thread_local SplineMessageSink thread_sink{};

}  // namespace

std::string fill_message(std::string_view text, const MessageFields& fields) {
  std::string filled;
  filled.reserve(text.size() + 32);
  size_t pos = 0;
  while (pos < text.size()) {
    // A field is "%(" kind-letter digits ")".
    if (text.compare(pos, 2, "%(") == 0 && pos + 2 < text.size()) {
      const char kind = text[pos + 2];
      size_t digits_end = pos + 3;
      size_t number = 0;
      while (digits_end < text.size() && is_digit(text[digits_end])) {
        number = number * 10 + static_cast<size_t>(text[digits_end] - '0');
        ++digits_end;
      }
      const bool well_formed = digits_end > pos + 3 && digits_end < text.size() && text[digits_end] == ')' &&
                               number >= 1;
      if (well_formed) {
        const size_t index = number - 1;
        bool replaced = true;
        if (kind == 'I' && index < fields.integers.size()) {
          filled += text::free_form_integer(fields.integers[index]);
        } else if (kind == 'R' && index < fields.reals.size()) {
          filled += real_field(fields.reals[index]);
        } else if (kind == 'L' && index < fields.letters.size()) {
          filled += fields.letters[index];
        } else {
          replaced = false;
        }
        if (replaced) {
          pos = digits_end + 1;
          continue;
        }
      }
    }
    filled += text[pos];
    ++pos;
  }
  return filled;
}

std::string format_error_block(ErrorKind kind, int32_t code, std::string_view routine,
                               std::string_view filled_message) {
  std::string line(message_prefix);
  line += kind_name(kind);
  line += " ERROR ";
  line += text::free_form_integer(code);
  line += " from ";
  line += routine;
  line += ".  ";
  line += filled_message;
  return wrap_block(line);
}

SplineMessageSink& spline_message_sink() { return thread_sink; }

ScopedSplineMessageSink::ScopedSplineMessageSink(SplineMessageSink replacement)
    : saved_(std::exchange(spline_message_sink(), std::move(replacement))) {}

ScopedSplineMessageSink::~ScopedSplineMessageSink() { spline_message_sink() = std::move(saved_); }

bool report_spline_error(ErrorKind kind, int32_t code, std::string_view routine, std::string_view text,
                         const MessageFields& fields) {
  const std::string block = format_error_block(kind, code, routine, fill_message(text, fields));
  SplineMessageSink& sink = spline_message_sink();
  const bool stops = kind == ErrorKind::fatal || kind == ErrorKind::terminal;
  if (stops) {
    if (sink.stop) {
      sink.stop(block);
    } else {
      platform::stop_run(block);
    }
    return true;
  }
  std::ostream& out = sink.out ? *sink.out : platform::run_out();
  out << block << '\n';
  out.flush();
  return false;
}

}  // namespace jpcp::splines
