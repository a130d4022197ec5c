#include "common/text/line_stream.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>

#include "common/platform/paths.h"

namespace jpcp::text {

bool LineStream::open(std::string_view path) {
  const std::optional<std::string> found = platform::find_input_file(path);
  if (!found) return false;
  file_.open(*found, std::ios::binary);
  begin_ = end_ = 0;
  at_end_ = false;
  line_count_ = 0;
  return file_.is_open();
}

bool LineStream::refill() {
  if (at_end_ || !file_.is_open()) return false;
  if (begin_ > 0) {
    std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
    end_ -= begin_;
    begin_ = 0;
  }
  // A line longer than the buffer doubles it.
  if (end_ == buffer_.size()) buffer_.resize(buffer_.size() * 2);
  file_.read(buffer_.data() + end_, static_cast<std::streamsize>(buffer_.size() - end_));
  const auto got = static_cast<size_t>(file_.gcount());
  end_ += got;
  if (got == 0) at_end_ = true;
  return got > 0;
}

bool LineStream::next(std::string_view& line) {
  size_t searched = begin_;
  for (;;) {
    const char* start = buffer_.data() + searched;
    const void* feed = std::memchr(start, '\n', end_ - searched);
    size_t stop = 0;
    size_t after = 0;
    if (feed) {
      stop = static_cast<size_t>(static_cast<const char*>(feed) - buffer_.data());
      after = stop + 1;
    } else {
      const size_t scanned = end_ - begin_;
      if (refill()) {
        searched = begin_ + scanned;
        continue;
      }
      if (begin_ == end_) return false;  // the end of the file
      stop = after = end_;               // a last line without a line end
    }
    // A carriage return before the line feed belongs to a Windows line end.
    size_t last = stop;
    if (last > begin_ && buffer_[last - 1] == '\r') --last;
    line = std::string_view(buffer_.data() + begin_, last - begin_);
    begin_ = after;
    ++line_count_;
    return true;
  }
}

}  // namespace jpcp::text
