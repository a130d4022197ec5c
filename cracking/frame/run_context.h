// Run-wide state of a cracking run and its two reporting routines; the
// run protocol itself (error file, Progress.tmp, stops, result guard) is the
// shared frame's (common/frame/run_frame.h).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "common/frame/run_frame.h"
#include "common/inputs/nn_info.h"
#include "common/platform/output_file.h"

namespace jpcp::cracking {

inline constexpr std::string_view error_file_name = "JPCP Errors.txt";
inline constexpr std::string_view progress_file_name = "Progress.tmp";

struct RunContext {
  explicit RunContext(frame::RunFrame& run_frame) : frame(run_frame) {}

  frame::RunFrame& frame;
  std::string source_folder;   // each folder text ends in a separator
  std::string results_folder;  // empty in an in-memory run
  std::string nn_folder;
  std::string summary_path;    // calibration summary file
  bool calibration_mode = false;
  bool detail_switch = true;   // per-section detail files are written
  int32_t response_switch = 0; // Response.txt value plus one; 0 when absent
  float bgcal = 999.0f;        // BGCal.txt value; 999 when absent
  platform::OutputFile summary_file;
  inputs::ModelNameTable model_names;  // NN model files, full paths

  // Appends " message" to the error file, counts it and writes -1.0 to the
  // progress file. It stops nothing: the caller ends its work.
  // The line also goes to standard error, followed there by `detail`.
  void report_error(std::string_view message, std::string_view detail = {}) { frame.report_error(message, detail); }
  // report_error as the readers take it.
  inputs::ReportError reporter() { return frame.reporter(); }
  int32_t error_count() const { return frame.error_count(); }
  // Rewrites Progress.tmp with the value in five characters, one decimal.
  void report_progress(float value) const;
};

}  // namespace jpcp::cracking
