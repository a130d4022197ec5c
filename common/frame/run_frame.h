// The run protocol both engines share: where a run writes and whom it tells,
// its error file, Progress.tmp, stops, the result guard and the removal of an
// empty error file.
//
// A run is made of an engine's own steps (read, analyse, write) inside a
// RunFrame. The frame owns the run's scope (common/platform/run_scope.h):
// the console streams, the stop reporter, the files written since the last
// result check and, for an in-memory run, the result files themselves; it
// makes that scope the current one of its thread for its lifetime. A stop
// (platform::RunStopped) thrown by a step ends the run with exit status 3;
// nothing in the frame ends the process.
#pragma once

#include <functional>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include "common/inputs/reporting.h"
#include "common/platform/output_file.h"
#include "common/platform/paths.h"
#include "common/platform/run_scope.h"

namespace jpcp::frame {

// One line of the error file and the detail that the console shows after it.
struct Diagnostic {
  std::string message;  // the error-file line without its leading blank
  std::string detail;
};

// What a run gives its caller.
struct RunOutcome {
  int exit_status = platform::exit_ok;  // 0, 1 (an error reported) or 3 (a stop)
  std::vector<Diagnostic> diagnostics;  // every error reported, in order
  // The result files of an in-memory run, in the order first written (none
  // for a run on disk).
  std::vector<platform::OutputStore::File> files;
  // The file of `files` with this name (its path's last component); null
  // when there is none.
  const platform::OutputStore::File* file(std::string_view name) const;
};

// Where a run writes and whom it tells.
struct RunSetup {
  std::string results_folder;  // folder text ending in a separator; ignored in memory
  bool in_memory = false;      // result files kept in the outcome, nothing written to disk
  std::ostream* out = nullptr;  // console lines; nullptr: standard output
  std::ostream* err = nullptr;  // console details; nullptr: standard error
  nn::ModelCache* models = nullptr;  // nullptr: model files parsed at each use
};

class RunFrame {
 public:
  // `progress_on_error`: every error also writes -1.0 to Progress.tmp (the
  // cracking program); otherwise only a stop does.
  RunFrame(std::string_view error_file_name, bool progress_on_error, const RunSetup& setup);
  RunFrame(const RunFrame&) = delete;
  RunFrame& operator=(const RunFrame&) = delete;

  bool in_memory() const { return in_memory_; }
  const std::string& results_folder() const { return results_folder_; }
  std::ostream& out() const;

  // Creates the error file; when it cannot be created the line
  // "The error file could not be created: PATH" goes to the console, the
  // run counts an error and false ends it. An in-memory run has no file.
  bool open_error_file();
  // From here on a stop is reported like an error, with -1.0 in Progress.tmp.
  void report_stops();

  // Appends " message" to the error file, counts it and keeps it in the
  // outcome; the line also goes to the console details, followed there by
  // `detail`. It stops nothing: the caller ends its work.
  void report_error(std::string_view message, std::string_view detail = {});
  inputs::ReportError reporter() {
    return [this](std::string_view message, std::string_view detail) { report_error(message, detail); };
  }
  int32_t error_count() const { return error_count_; }

  // Replaces Progress.tmp with the text (nothing in memory).
  void write_progress(std::string_view text) const;

  // The result guard: the files written since the last check hold no NaN,
  // infinity or asterisk-filled field; false (reported) otherwise.
  bool results_fit();

  // Runs one step of the run; a stop it throws ends the run (exit status 3).
  // False when the step stopped.
  bool step(const std::function<void()>& body);
  bool stopped() const { return stopped_; }

  // Ends the run: the guard when `check_results` and no error was reported,
  // then the error file closed, and removed when it holds no line. After a
  // stop only the error file is closed.
  void finish(bool check_results);

  // The exit status and diagnostics; the in-memory result files are moved
  // out.
  RunOutcome outcome();

 private:
  platform::RunScope scope_;
  platform::ActiveRunScope active_;
  platform::OutputStore store_;
  std::string error_file_name_;
  std::string results_folder_;
  bool in_memory_ = false;
  bool progress_on_error_ = false;
  bool stopped_ = false;
  int32_t error_count_ = 0;
  platform::OutputFile error_file_;
  std::vector<Diagnostic> diagnostics_;
};

}  // namespace jpcp::frame
