#include "faulting/inputs/shared_inputs.h"

#include "common/platform/run_reporting.h"

namespace jpcp::faulting {

namespace {

constexpr size_t hours_per_storage_month = 744;  // 31 days of 24 hours
constexpr size_t spare_storage_months = 2;

}  // namespace

size_t temperature_capacity(int32_t n_months, int32_t age_offset) {
  return hours_per_storage_month * (static_cast<size_t>(n_months) + static_cast<size_t>(age_offset) +
                                    spare_storage_months);
}

bool read_fault_traffic(const std::array<std::string, inputs::axle_type_count>& axle_paths,
                        std::string_view hourly_traffic_path, int32_t n_months,
                        const inputs::ReportError& report_error, AxleTables& axles) {
  inputs::AxleReadPolicy policy;
  policy.months = n_months;
  policy.table_months = static_cast<size_t>(n_months);
  policy.cracking_conversion = false;
  // The path tells the user which of the four files is at fault.
  policy.path_in_messages = true;
  inputs::AxleTraffic traffic;
  if (!inputs::read_axle_files(axle_paths, policy, report_error, traffic)) return false;

  // The faulting computation applies a fixed night-time traffic weight; the
  // hourly percentages are read only to check the file.
  std::array<float, 24> percentages{};
  if (!inputs::read_hourly_percentages(hourly_traffic_path, percentages)) {
    report_error(inputs::hourly_traffic_read_message, platform::input_file_detail(hourly_traffic_path));
    return false;
  }
  if (!inputs::hourly_percentages_valid(percentages, hourly_traffic_path, report_error)) return false;
  // The month loop walks the load levels of one month at a time.
  for (size_t type = 0; type < inputs::axle_type_count; ++type) axles[type] = traffic.monthly[type].transposed();
  return true;
}

bool read_fault_temperatures(std::string_view path, size_t capacity, int32_t age_offset,
                             const inputs::ReportError& report_error, std::vector<inputs::HourlyRecord>& records) {
  inputs::TemperatureReadPolicy policy;
  policy.header_block = false;
  policy.capacity = capacity;
  policy.start_month = 0;  // calendar months as written
  policy.skip_months = age_offset;
  return inputs::read_temperature_data(path, policy, report_error, records);
}

}  // namespace jpcp::faulting
