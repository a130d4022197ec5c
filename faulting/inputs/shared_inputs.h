// The shared input readers (axle load spectra, hourly traffic, hourly slab
// temperatures) as the faulting program uses them.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/inputs/reporting.h"
#include "common/inputs/table.h"
#include "common/inputs/temperature_data.h"
#include "common/inputs/traffic.h"

namespace jpcp::faulting {

// Hours of temperature storage for an analysis: 31 days of 24 hours per
// analysis and age-offset month, plus two spare months.
size_t temperature_capacity(int32_t n_months, int32_t age_offset);

// Axle repetitions per axle type: 40 load levels (fastest) by n_months months.
using AxleTables = std::array<inputs::Table2D<float>, inputs::axle_type_count>;

// The four axle files (single, tandem, tridem, quad) and the hourly traffic
// file. Axle values are taken as they stand: the first 38 (single, tandem) or
// 31 (tridem, quad) values of each line as load levels 1.. of that month.
bool read_fault_traffic(const std::array<std::string, inputs::axle_type_count>& axle_paths,
                        std::string_view hourly_traffic_path, int32_t n_months,
                        const inputs::ReportError& report_error, AxleTables& axles);

// The hourly records without a header block, in whole days up to `capacity`
// hours; the first `age_offset` months of the file are passed over and the
// calendar month of each record is kept as written.
bool read_fault_temperatures(std::string_view path, size_t capacity, int32_t age_offset,
                             const inputs::ReportError& report_error, std::vector<inputs::HourlyRecord>& records);

}  // namespace jpcp::faulting
