// The state of one run that the routines deep inside it reach without its
// being passed down: the console streams, the stop reporter, the files
// written since the last result check, the in-memory result files and the
// model cache. All of it belongs to a RunScope object that the caller holds
// (the run frame, an in-process caller); ActiveRunScope makes it the current
// one of the calling thread for its lifetime. Two runs on two threads each
// have their own: nothing here is shared between threads.
//
// Code that runs with no scope of its own (tools, unit tests) gets a scope
// of its thread, with the standard streams, no reporter, files on disk and
// no model cache.
#pragma once

#include <functional>
#include <iosfwd>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "common/platform/result_layout.h"

namespace jpcp::nn {
class ModelCache;
}

namespace jpcp::platform {

class OutputStore;

// Called by stop_run before the stop reaches the caller: message as one
// line (the lines of a multi-line block joined by blanks) and its detail.
using StopReporter = std::function<void(std::string_view message, std::string_view detail)>;

struct RunScope {
  std::ostream* out = nullptr;          // console lines; nullptr: standard output
  std::ostream* err = nullptr;          // console details; nullptr: standard error
  StopReporter stop_reporter;           // taken (and cleared) by the first stop
  std::vector<std::string> written_files;  // noted since the last result check
  std::map<std::string, ResultLayout> result_layouts;  // by file path, for the whole run
  OutputStore* outputs = nullptr;       // result files kept in memory; nullptr: on disk
  nn::ModelCache* models = nullptr;     // nullptr: every model file is parsed afresh
};

// The calling thread's current scope.
RunScope& current_run_scope();

// Makes `scope` the calling thread's current scope for its lifetime.
class ActiveRunScope {
 public:
  explicit ActiveRunScope(RunScope& scope);
  ~ActiveRunScope();
  ActiveRunScope(const ActiveRunScope&) = delete;
  ActiveRunScope& operator=(const ActiveRunScope&) = delete;

 private:
  RunScope* saved_;
};

// The current scope's console streams.
std::ostream& run_out();
std::ostream& run_err();

}  // namespace jpcp::platform
