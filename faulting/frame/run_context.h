// Run-wide state of a faulting run; the run protocol itself (error file,
// Progress.tmp, stops, result guard) is the shared frame's
// (common/frame/run_frame.h).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "common/frame/run_frame.h"
#include "common/platform/output_file.h"

namespace jpcp::faulting {

inline constexpr std::string_view error_file_name = "ErrorsFAULT.txt";
inline constexpr std::string_view progress_file_name = "Progress.tmp";

struct RunContext {
  explicit RunContext(frame::RunFrame& run_frame) : frame(run_frame) {}

  frame::RunFrame& frame;
  std::string source_folder;   // ends in a separator
  std::string results_folder;  // the source folder; empty in an in-memory run
  std::string model_folder;    // ends in a separator
  int32_t response_switch = 0;  // Response.txt value plus one; 0 when absent
  platform::OutputFile detail_file;      // JPCP_faulting.csv
  platform::OutputFile summary_file;     // JPCP_faulting2.csv
  platform::OutputFile deflection_file;  // _Deflection.csv, when the response switch asks for it

  // Appends " message" to the error file and counts it. It stops nothing:
  // the caller ends its work.
  // The line also goes to standard error, followed there by `detail`.
  void report_error(std::string_view message, std::string_view detail = {}) { frame.report_error(message, detail); }
  inputs::ReportError reporter() { return frame.reporter(); }
  int32_t error_count() const { return frame.error_count(); }
  // Rewrites Progress.tmp with the month counter (free-form).
  void report_progress(int32_t month) const;
};

}  // namespace jpcp::faulting
