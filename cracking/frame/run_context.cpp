#include "cracking/frame/run_context.h"

#include "common/text/fixed_format.h"

namespace jpcp::cracking {

void RunContext::report_progress(float value) const { frame.write_progress(text::format_F(value, 5, 1) + '\n'); }

}  // namespace jpcp::cracking
