#include "common/text/lines.h"

namespace jpcp::text {

std::vector<std::string_view> split_line_views(std::string_view contents) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  while (start < contents.size()) {
    size_t end = contents.find('\n', start);
    const size_t next = (end == std::string_view::npos) ? contents.size() : end + 1;
    if (end == std::string_view::npos) end = contents.size();
    // A carriage return before the line feed belongs to a Windows line end.
    size_t stop = end;
    if (stop > start && contents[stop - 1] == '\r') --stop;
    lines.push_back(contents.substr(start, stop - start));
    start = next;
  }
  return lines;
}

std::vector<std::string> split_lines(std::string_view contents) {
  const std::vector<std::string_view> views = split_line_views(contents);
  return {views.begin(), views.end()};
}

}  // namespace jpcp::text
