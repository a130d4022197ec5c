// NNinfo.txt as both programs read it: four model names (cracking) or the
// thirty deflection model node files (faulting).
#include <array>

#include "common/inputs/nn_info.h"
#include "faulting/deflection/deflection_model.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace jpcp;
  fuzz::write_file("NNinfo.txt", fuzz::as_text(data, size));
  const std::string folder = fuzz::scratch_folder().string() + "/";
  inputs::ModelNameTable names;
  (void)inputs::read_nn_info(folder, fuzz::silent(), names);
  std::array<std::string, faulting::nn_info_names> paths;
  (void)faulting::read_deflection_model_names(folder, fuzz::silent(), paths);
  return 0;
}
