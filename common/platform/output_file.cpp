#include "common/platform/output_file.h"

#include <algorithm>

namespace jpcp::platform {

void OutputStore::write(std::string_view path, std::string_view text, bool append) {
  auto found = std::find_if(files_.begin(), files_.end(), [&](const File& f) { return f.path == path; });
  if (found == files_.end()) {
    files_.push_back(File{std::string(path), std::string(text)});
    return;
  }
  if (append) {
    found->contents += text;
  } else {
    found->contents.assign(text);
  }
}

const OutputStore::File* OutputStore::find(std::string_view path) const {
  auto found = std::find_if(files_.begin(), files_.end(), [&](const File& f) { return f.path == path; });
  return found == files_.end() ? nullptr : &*found;
}

OutputFile::OutputFile() : std::ostream(&file_) {}

OutputFile::~OutputFile() { close(); }

bool OutputFile::open_on_disk(const std::string& native, bool append) {
  close();
  if (!file_.open(native, std::ios::out | (append ? std::ios::app : std::ios::trunc))) {
    setstate(std::ios::failbit);
    return false;
  }
  rdbuf(&file_);
  clear();
  return true;
}

void OutputFile::open_in_memory(OutputStore& store, std::string path, bool append) {
  close();
  store_ = &store;
  path_ = std::move(path);
  append_ = append;
  memory_.str({});
  // An empty file exists from its opening on, as on disk.
  store_->write(path_, {}, append_);
  rdbuf(&memory_);
  clear();
}

bool OutputFile::is_open() const { return store_ != nullptr || file_.is_open(); }

void OutputFile::close() {
  if (store_ != nullptr) {
    store_->write(path_, memory_.view(), true);
    memory_.str({});
    store_ = nullptr;
  } else if (file_.is_open()) {
    if (!file_.close()) setstate(std::ios::failbit);
  }
  // Writes after closing fail, as on a closed std::ofstream; the state stays.
  const std::ios::iostate state = rdstate();
  rdbuf(&file_);
  clear(state);
}

}  // namespace jpcp::platform
