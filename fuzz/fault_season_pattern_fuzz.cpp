// The faulting program's season pattern file with its PCC property table,
// for analyses of 240 months (19 records) and 241 months (20 records).
#include "faulting/inputs/fault_season_pattern.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace jpcp;
  const std::string path = fuzz::write_file("seasonpattern.txt", fuzz::as_text(data, size));
  faulting::FaultSeasonPattern pattern;
  (void)faulting::read_fault_season_pattern(path, size % 2 == 0 ? 240 : 241, fuzz::silent(), pattern);
  return 0;
}
