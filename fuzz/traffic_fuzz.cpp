// The axle load spectra reader as either program uses it (the same file for
// the four axle types), the hourly traffic file and the summary checks.
#include <array>

#include "common/inputs/traffic.h"
#include "cracking/results/traffic_summaries.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace jpcp;
  const std::string path = fuzz::write_file("AxleOutput.csv", fuzz::as_text(data, size));
  const bool cracking = size % 2 == 0;
  inputs::AxleReadPolicy policy;
  policy.months = 12 * (1 + static_cast<int32_t>(size % 3));
  policy.table_months = static_cast<size_t>(policy.months);
  policy.start_month = 1 + static_cast<int32_t>(size % 12);
  policy.cracking_conversion = cracking;
  const std::array<std::string, inputs::axle_type_count> paths = {path, path, path, path};
  inputs::AxleTraffic traffic;
  if (inputs::read_axle_files(paths, policy, fuzz::silent(), traffic)) {
    (void)cracking::traffic_summaries_fit(traffic, fuzz::silent());
    (void)traffic.monthly[inputs::single_axle].transposed();
  }
  std::array<float, 24> percentages{};
  if (inputs::read_hourly_percentages(path, percentages)) {
    (void)inputs::hourly_percentages_valid(percentages, path, fuzz::silent());
  }
  return 0;
}
