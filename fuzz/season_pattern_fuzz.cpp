// The season pattern file and the PCC modulus file of the cracking program
// (the two files separated by a line "@@").
#include "cracking/inputs/season_pattern.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace jpcp;
  const auto [season, pcc] = fuzz::split_files(fuzz::as_text(data, size));
  const std::string season_path = fuzz::write_file("SeasonPattern.txt", season);
  const std::string pcc_path = fuzz::write_file("PCCModulus.txt", pcc);
  inputs::SeasonInputs in;
  in.years = 1 + static_cast<int32_t>(size % 40);
  in.start_month = 1 + static_cast<int32_t>(size % 12);
  in.age_offset = 1;
  in.interface_switch = static_cast<int32_t>(size % 60);
  in.field8 = 18.0f;
  in.age_time_constant = 35;
  inputs::SeasonPattern pattern;
  (void)inputs::read_season_pattern(season_path, pcc_path, in, fuzz::silent(), pattern);
  return 0;
}
