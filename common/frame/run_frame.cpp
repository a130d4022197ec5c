#include "common/frame/run_frame.h"

#include <iostream>

#include "common/platform/result_guard.h"
#include "common/platform/run_reporting.h"
#include "common/text/fixed_format.h"

namespace jpcp::frame {

namespace {

constexpr std::string_view error_file_message = "The error file could not be created: ";
constexpr std::string_view progress_file_name = "Progress.tmp";

std::string_view last_component(std::string_view path) {
  const size_t slash = path.find_last_of("/\\");
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

}  // namespace

const platform::OutputStore::File* RunOutcome::file(std::string_view name) const {
  for (const platform::OutputStore::File& f : files) {
    if (last_component(f.path) == name) return &f;
  }
  return nullptr;
}

RunFrame::RunFrame(std::string_view error_file_name, bool progress_on_error, const RunSetup& setup)
    : active_(scope_),
      error_file_name_(error_file_name),
      results_folder_(setup.in_memory ? std::string() : setup.results_folder),
      in_memory_(setup.in_memory),
      progress_on_error_(progress_on_error) {
  scope_.out = setup.out;
  scope_.err = setup.err;
  scope_.models = setup.models;
  if (in_memory_) scope_.outputs = &store_;
}

std::ostream& RunFrame::out() const { return platform::run_out(); }

bool RunFrame::open_error_file() {
  if (in_memory_) return true;
  const std::string error_path = platform::join(results_folder_, error_file_name_);
  if (!platform::create_output(error_file_, error_path)) {
    // Nowhere to report to: say so on the console, and on the console
    // details with the reason, and count it as an error.
    const std::string message = std::string(error_file_message) + error_path;
    const std::string detail = platform::output_file_detail(results_folder_, error_path);
    out() << text::FreeFormLine().text(error_file_message).text(error_path).str() << '\n';
    platform::console_error(message, detail);
    diagnostics_.push_back(Diagnostic{message, detail});
    ++error_count_;
    return false;
  }
  return true;
}

void RunFrame::report_stops() {
  platform::set_stop_reporter([this](std::string_view message, std::string_view detail) {
    report_error(message, detail);
    if (!progress_on_error_) write_progress(text::format_F(-1.0f, 5, 1) + '\n');
  });
}

void RunFrame::report_error(std::string_view message, std::string_view detail) {
  platform::console_error(message, detail);
  if (error_file_.is_open()) {
    error_file_ << text::FreeFormLine().text(message).str() << '\n';
    error_file_.flush();
  }
  diagnostics_.push_back(Diagnostic{std::string(message), std::string(detail)});
  ++error_count_;
  if (progress_on_error_) write_progress(text::format_F(-1.0f, 5, 1) + '\n');
}

void RunFrame::write_progress(std::string_view text) const {
  if (in_memory_) return;
  // Replaced whole: the calling application may read the file at any moment.
  platform::replace_small_file(platform::join(results_folder_, progress_file_name), text);
}

bool RunFrame::results_fit() {
  const std::string message = platform::check_written_files(platform::join(results_folder_, error_file_name_));
  if (message.empty()) return true;
  report_error(message, "results folder " + results_folder_);
  return false;
}

bool RunFrame::step(const std::function<void()>& body) {
  if (stopped_) return false;
  try {
    body();
  } catch (const platform::RunStopped&) {
    stopped_ = true;
  }
  return !stopped_;
}

void RunFrame::finish(bool check_results) {
  platform::set_stop_reporter({});
  if (!stopped_ && check_results && error_count_ == 0) results_fit();
  error_file_.close();
  if (!stopped_ && error_count_ == 0 && !in_memory_) {
    platform::remove_file(platform::join(results_folder_, error_file_name_));
  }
}

RunOutcome RunFrame::outcome() {
  RunOutcome result;
  result.exit_status = stopped_ ? platform::exit_stopped
                       : error_count_ == 0 ? platform::exit_ok
                                           : platform::exit_error_reported;
  result.diagnostics = std::move(diagnostics_);
  result.files = store_.take();
  return result;
}

}  // namespace jpcp::frame
