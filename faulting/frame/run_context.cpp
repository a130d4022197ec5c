#include "faulting/frame/run_context.h"

#include "common/platform/paths.h"
#include "common/text/fixed_format.h"

namespace jpcp::faulting {

void RunContext::report_error(std::string_view message) {
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

}  // namespace jpcp::faulting
