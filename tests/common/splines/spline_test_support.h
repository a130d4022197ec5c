// Collects the blocks the spline routines write, so that tests can check
// warnings and stop messages without ending the test process.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "common/splines/spline_messages.h"

namespace jpcp::splines::testing {

class MessageCapture {
 public:
  MessageCapture()
      : scoped_(SplineMessageSink{&out_, [this](const std::string& block) { stops_.push_back(block); }}) {}

  std::string written() const { return out_.str(); }
  const std::vector<std::string>& stops() const { return stops_; }
  bool quiet() const { return out_.str().empty() && stops_.empty(); }
  // The only stop block, or "" when there was not exactly one.
  std::string stop() const { return stops_.size() == 1 ? stops_.front() : std::string(); }

 private:
  std::ostringstream out_;
  std::vector<std::string> stops_;
  ScopedSplineMessageSink scoped_;
};

// The block's lines joined back into one line (continuation prefixes
// removed), for comparing a wrapped block with the message it carries.
inline std::string unwrapped(const std::string& block) {
  std::string joined;
  std::istringstream lines(block);
  std::string line;
  bool first = true;
  while (std::getline(lines, line)) {
    if (first) {
      joined = line;
      first = false;
      continue;
    }
    const std::string prefix(continuation_prefix);
    joined += ' ';
    joined += line.compare(0, prefix.size(), prefix) == 0 ? line.substr(prefix.size()) : line;
  }
  return joined;
}

// A real as the messages write it.
inline std::string text_of(float value) { return fill_message("%(R1)", {{}, {value}}); }

// Runs of blanks reduced to one blank (a line break may fall on the double
// blank after a period).
inline std::string single_blanks(const std::string& text) {
  std::string result;
  for (char c : text) {
    if (c == ' ' && !result.empty() && result.back() == ' ') continue;
    result += c;
  }
  return result;
}

// True when the block carries exactly this heading and message, however it
// was wrapped.
inline bool block_says(const std::string& block, const std::string& heading, const std::string& message) {
  return single_blanks(unwrapped(block)) == single_blanks(" *** " + heading + ".  " + message);
}

}  // namespace jpcp::splines::testing
