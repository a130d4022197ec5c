// The NN model file reader, and the staging of a model it accepts.
#include <string>

#include "common/nn/response_model.h"
#include "common/nn/staged_model.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace jpcp;
  fuzz::throw_on_stop();
  nn::ResponseModel model;
  std::string error;
  if (!nn::parse_response_model(fuzz::as_text(data, size), model, error)) return 0;
  try {
    (void)nn::make_staged_model(std::move(model));
  } catch (const fuzz::Stopped&) {
  }
  return 0;
}
