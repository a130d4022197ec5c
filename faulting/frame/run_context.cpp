#include "faulting/frame/run_context.h"

#include "common/platform/paths.h"
#include "common/platform/run_reporting.h"
#include "common/text/fixed_format.h"

namespace jpcp::faulting {

void RunContext::report_error(std::string_view message, std::string_view detail) {
  platform::console_error(message, detail);
  if (error_file.is_open()) {
    error_file << text::FreeFormLine().text(message).str() << '\n';
    error_file.flush();
  }
  ++error_count;
}

void RunContext::report_progress(int32_t month) const {
  // Replaced whole: the calling application may read the file at any moment.
  platform::replace_small_file(platform::join(results_folder(), progress_file_name),
                               text::FreeFormLine().integer(month).str() + '\n');
}

void RunContext::report_stop(std::string_view message, std::string_view detail) {
  report_error(message, detail);
  std::ofstream progress;
  if (!platform::create_output(progress, platform::join(results_folder(), progress_file_name))) return;
  progress << text::format_F(-1.0f, 5, 1) << '\n';
}

}  // namespace jpcp::faulting
