// Reading an input file line by line without holding it: one buffer of a few
// tens of kilobytes, whatever the file's size. LF and CRLF line ends are
// both accepted, as by split_lines.
#pragma once

#include <cstddef>
#include <fstream>
#include <string_view>
#include <vector>

namespace jpcp::text {

class LineStream {
 public:
  // Opens an input file as platform::find_input_file finds it; false when it
  // cannot be found or opened (nothing is created).
  bool open(std::string_view path);

  // The next line without its line end; false at the end of the file. A final
  // line end does not start another (empty) line. The view stays valid until
  // the next call.
  bool next(std::string_view& line);

  // Lines handed out so far.
  size_t line_count() const { return line_count_; }

 private:
  // Moves the unread rest to the front and reads more; false when nothing
  // more could be read.
  bool refill();

  std::ifstream file_;
  std::vector<char> buffer_ = std::vector<char>(size_t{1} << 16);
  size_t begin_ = 0;  // first unread character
  size_t end_ = 0;    // end of the characters read
  bool at_end_ = false;
  size_t line_count_ = 0;
};

}  // namespace jpcp::text
