// How a reader reports a failure: through the program's error reporter, which
// writes the message line to the program's error file (and, for the
// cracking program, -1.0 to the progress file) and to standard error, where
// the detail follows it (full path, why the file could not be read, the line
// and field of a failed read).
#pragma once

#include <concepts>
#include <functional>
#include <string_view>
#include <utility>

namespace jpcp::inputs {

class ReportError {
 public:
  using Function = std::function<void(std::string_view message, std::string_view detail)>;

  ReportError() = default;
  // A reporter that takes the message and its detail.
  template <typename F>
    requires std::invocable<F&, std::string_view, std::string_view>
  ReportError(F function) : function_(std::move(function)) {}
  // A reporter of the message alone (the detail is dropped).
  template <typename F>
    requires(std::invocable<F&, std::string_view> && !std::invocable<F&, std::string_view, std::string_view>)
  ReportError(F function)
      : function_([f = std::move(function)](std::string_view message, std::string_view) mutable { f(message); }) {}

  void operator()(std::string_view message, std::string_view detail = {}) const {
    if (function_) function_(message, detail);
  }
  explicit operator bool() const { return static_cast<bool>(function_); }

 private:
  Function function_;
};

}  // namespace jpcp::inputs
