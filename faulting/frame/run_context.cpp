#include "faulting/frame/run_context.h"

#include "common/text/fixed_format.h"

namespace jpcp::faulting {

void RunContext::report_progress(int32_t month) const {
  frame.write_progress(text::FreeFormLine().integer(month).str() + '\n');
}

}  // namespace jpcp::faulting
