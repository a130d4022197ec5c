// The faulting program's section input file.
#include "faulting/inputs/section_input.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace jpcp;
  const std::string path = fuzz::write_file("faultgeneralinput.txt", fuzz::as_text(data, size));
  faulting::SectionInputs inputs;
  (void)faulting::read_section_input(path, fuzz::silent(), inputs);
  return 0;
}
