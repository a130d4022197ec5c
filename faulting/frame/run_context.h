// Run-wide state of jpcp_faulting and its two reporting routines.
#pragma once

#include <cstdint>
#include <fstream>
#include <functional>
#include <string>
#include <string_view>

namespace jpcp::faulting {

inline constexpr std::string_view error_file_name = "ErrorsFAULT.txt";
inline constexpr std::string_view progress_file_name = "Progress.tmp";

struct RunContext {
  std::string source_folder;  // also the results folder; ends in a separator
  std::string model_folder;   // ends in a separator
  int32_t response_switch = 0;  // Response.txt value plus one; 0 when absent
  int32_t error_count = 0;
  std::ofstream error_file;
  std::ofstream detail_file;      // JPCP_faulting.csv
  std::ofstream summary_file;     // JPCP_faulting2.csv
  std::ofstream deflection_file;  // _Deflection.csv, when the response switch asks for it

  const std::string& results_folder() const { return source_folder; }

  // Appends " message" to the error file and counts it. It stops nothing:
  // the caller ends its work.
  // The line also goes to standard error, followed there by `detail`.
  void report_error(std::string_view message, std::string_view detail = {});
  // report_error as the readers take it.
  std::function<void(std::string_view, std::string_view)> reporter() {
    return [this](std::string_view message, std::string_view detail) { report_error(message, detail); };
  }
  // Rewrites Progress.tmp with the month counter (free-form).
  void report_progress(int32_t month) const;
  // A stop: its message in the error file and -1.0 in Progress.tmp, as the
  // cracking program reports every error.
  void report_stop(std::string_view message, std::string_view detail);
};

}  // namespace jpcp::faulting
