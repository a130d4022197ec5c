// Stops as the tests see them: the statement throws platform::RunStopped and
// its stop line goes to the run's console, captured here.
#pragma once

#include <gtest/gtest.h>

#include <regex>
#include <sstream>
#include <string>

#include "common/platform/paths.h"
#include "common/platform/run_scope.h"

namespace jpcp::testing {

// A run scope of its own whose console is a string.
class ConsoleCapture {
 public:
  ConsoleCapture() : active_(scope_) {
    scope_.out = &out_;
    scope_.err = &err_;
  }
  std::string out() const { return out_.str(); }
  platform::RunScope& scope() { return scope_; }

 private:
  std::ostringstream out_;
  std::ostringstream err_;
  platform::RunScope scope_;
  platform::ActiveRunScope active_;
};

}  // namespace jpcp::testing

// The statement stops the run (RunStopped) with a console text that matches
// the regular expression.
#define EXPECT_STOPS_WITH(statement, text)                                                    \
  do {                                                                                        \
    ::jpcp::testing::ConsoleCapture stop_console_;                                            \
    EXPECT_THROW(statement, ::jpcp::platform::RunStopped);                                    \
    EXPECT_TRUE(std::regex_search(stop_console_.out(), std::regex(text))) << stop_console_.out(); \
  } while (false)
