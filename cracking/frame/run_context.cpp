#include "cracking/frame/run_context.h"

#include "common/platform/paths.h"
#include "common/platform/run_reporting.h"
#include "common/text/fixed_format.h"

namespace jpcp::cracking {

void RunContext::report_error(std::string_view message, std::string_view detail) {
  platform::console_error(message, detail);
  if (error_file.is_open()) {
    error_file << text::FreeFormLine().text(message).str() << '\n';
    error_file.flush();
  }
  ++error_count;
  report_progress(-1.0f);
}

void RunContext::report_progress(float value) const {
  // Replaced whole: the calling application may read the file at any moment.
  platform::replace_small_file(platform::join(results_folder, progress_file_name), text::format_F(value, 5, 1) + '\n');
}

}  // namespace jpcp::cracking
