// Result files of a run: on disk (the programs), or kept in memory when the
// current run scope has an OutputStore (in-process runs that write nothing).
#pragma once

#include <fstream>
#include <ostream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace jpcp::platform {

// The result files of one run, in the order they were first written.
class OutputStore {
 public:
  struct File {
    std::string path;      // as the run named it (results folder text and name)
    std::string contents;  // '\n' line ends
  };
  void write(std::string_view path, std::string_view text, bool append);
  const File* find(std::string_view path) const;
  const std::vector<File>& files() const { return files_; }
  std::vector<File> take() { return std::move(files_); }

 private:
  std::vector<File> files_;
};

// An output stream over a file on disk or over a file of the current run's
// OutputStore; opened by create_output or append_output. A file in memory
// takes its text when it is closed (or destroyed).
class OutputFile : public std::ostream {
 public:
  OutputFile();
  ~OutputFile() override;
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  bool open_on_disk(const std::string& native, bool append);
  void open_in_memory(OutputStore& store, std::string path, bool append);
  bool is_open() const;
  void close();

 private:
  std::filebuf file_;
  std::stringbuf memory_;
  OutputStore* store_ = nullptr;
  std::string path_;
  bool append_ = false;
};

}  // namespace jpcp::platform
