// Splitting file contents into lines; LF and CRLF line ends are both accepted.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace jpcp::text {

// The lines of the text without their line ends. A final line end does not
// start another (empty) line.
std::vector<std::string> split_lines(std::string_view contents);
// The same lines as views into `contents`, which must outlive them.
std::vector<std::string_view> split_line_views(std::string_view contents);

}  // namespace jpcp::text
