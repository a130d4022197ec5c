// The hourly temperature file in the layouts of both programs (header and
// year blocks, or whole days only) and the checks of its records.
#include <vector>

#include "common/inputs/temperature_data.h"
#include "faulting/inputs/shared_inputs.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace jpcp;
  const std::string path = fuzz::write_file("ThermalPCC.dat", fuzz::as_text(data, size));
  std::vector<inputs::HourlyRecord> records;
  if (size % 2 == 0) {
    inputs::TemperatureReadPolicy policy;
    policy.start_month = 1 + static_cast<int32_t>(size % 12);
    if (inputs::read_temperature_data(path, policy, fuzz::silent(), records)) {
      (void)inputs::temperature_records_valid(records, policy.capacity, path, fuzz::silent());
    }
  } else {
    const int32_t age_offset = static_cast<int32_t>(size % 4);
    const size_t capacity = faulting::temperature_capacity(12, age_offset);
    if (faulting::read_fault_temperatures(path, capacity, age_offset, fuzz::silent(), records)) {
      (void)inputs::temperature_records_valid(records, capacity, path, fuzz::silent());
    }
  }
  return 0;
}
