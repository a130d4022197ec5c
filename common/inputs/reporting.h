// How a reader reports a failure: through the program's error reporter, which
// writes the message line to the program's error file (and, for the
// cracking program, -1.0 to the progress file).
#pragma once

#include <functional>
#include <string_view>

namespace jpcp::inputs {

using ReportError = std::function<void(std::string_view message)>;

}  // namespace jpcp::inputs
