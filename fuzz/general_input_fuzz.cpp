// The General input file, in calibration mode for inputs of odd length.
#include "cracking/inputs/general_input.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace jpcp;
  const std::string path = fuzz::write_file("GeneralInput.txt", fuzz::as_text(data, size));
  inputs::GeneralInput input;
  if (inputs::read_general_input(path, size % 2 == 1, fuzz::silent(), input)) {
    (void)inputs::rounded_design_life(input.design_life());
  }
  return 0;
}
