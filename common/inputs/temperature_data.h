// Hourly slab temperature profiles from the climatic model: 11 temperatures
// from the surface down, per hour.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "common/inputs/reporting.h"

namespace jpcp::inputs {

struct HourlyRecord {
  std::array<float, 11> temperature{};  // deg F, surface first
  int32_t month = 0;                    // analysis-order month (cracking) or calendar month (faulting)
  int32_t hour = 0;                     // hour of the day, 0..23
};

// Record capacity of the cracking program.
inline constexpr size_t cracking_temperature_capacity = 141191;

struct TemperatureReadPolicy {
  bool header_block = true;      // 288 header lines, year blocks and the header-year stop (cracking)
  size_t capacity = cracking_temperature_capacity;  // records stored at most
  int32_t start_month = 1;       // > 0: months converted to analysis order; 0: kept as written
  int32_t skip_months = 0;       // months at the start of the file passed over (faulting age offset)
};

inline constexpr std::string_view temperature_format_message = "Temperature data error: invalid data format";
inline constexpr std::string_view temperature_hours_message = "Temperature data error: hours are out of order.";

inline constexpr std::string_view temperature_partial_day_message =
    "Temperature data error: the file ends inside a day.";
inline constexpr std::string_view temperature_months_message =
    "Temperature data error: the records do not cover all 12 calendar months.";

// Checks of the records read (a step after the reader): whole days unless
// the storage of `capacity` records filled up, every temperature -100 to 200
// deg F, and records in each of the 12 months (the monthly gradient tables
// and the night-time statistics need them). False (reported) otherwise.
bool temperature_records_valid(std::span<const HourlyRecord> records, size_t capacity, std::string_view path,
                               const ReportError& report_error);

bool read_temperature_data(std::string_view path, const TemperatureReadPolicy& policy,
                           const ReportError& report_error, std::vector<HourlyRecord>& records);

}  // namespace jpcp::inputs
