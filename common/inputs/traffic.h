// Axle load spectra files: axles per analysis month and load class for the
// four axle types, their totals per class and the sum of their ESALs.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "common/inputs/reporting.h"
#include "common/inputs/table.h"

namespace jpcp::inputs {

enum AxleType : size_t { single_axle, tandem_axle, tridem_axle, quad_axle, axle_type_count };

inline constexpr size_t axle_classes = 40;  // load classes of the monthly tables

// How a program reads the axle files.
struct AxleReadPolicy {
  int32_t months = 0;                 // lines used per file
  size_t table_months = 0;            // rows of the monthly tables (>= months)
  int32_t start_month = 1;            // calendar month of analysis month 1
  bool cracking_conversion = true;    // drop the first single/tandem class, multiply by the month's days
  bool path_in_messages = true;       // the messages carry the file path
};

struct AxleTraffic {
  // Per axle type: table_months rows (analysis months) x 40 classes.
  std::array<Table2D<float>, axle_type_count> monthly;
  // Per axle type: sum over the lines of each file class (39 or 31 used).
  std::array<std::array<float, axle_classes>, axle_type_count> class_totals{};
  float esal_sum = 0.0f;
};

// Load equivalency factor of file class k (1-based) of an axle type.
float load_equivalency_factor(AxleType type, int32_t file_class);

// Reads the four files (paths in the order single, tandem, tridem, quad).
bool read_axle_files(const std::array<std::string, axle_type_count>& paths, const AxleReadPolicy& policy,
                     const ReportError& report_error, AxleTraffic& traffic);

// The hourly traffic file: 24 percentages of daily traffic. False when they
// cannot be read (the caller reports, with hourly_traffic_read_message).
inline constexpr std::string_view hourly_traffic_read_message = "Read error: hourly traffic distribution file.";

bool read_hourly_percentages(std::string_view path, std::array<float, 24>& percentages);
// Every percentage 0 to 100 and their sum above 0; false (reported) otherwise.
bool hourly_percentages_valid(const std::array<float, 24>& percentages, std::string_view path,
                              const ReportError& report_error);

}  // namespace jpcp::inputs
