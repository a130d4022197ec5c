// The curl deflection grid (defl0.csv): read, fit and evaluated once.
#include "faulting/deflection/curl_grid.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace jpcp;
  fuzz::throw_on_stop();
  const std::string path = fuzz::write_file("defl0.csv", fuzz::as_text(data, size));
  try {
    faulting::CurlDeflectionGrid grid;
    if (faulting::read_curl_grid(path, fuzz::silent(), grid)) (void)faulting::curl_deflection(grid, 15.0f, 30.0f, 5.0f);
  } catch (const fuzz::Stopped&) {
  }
  return 0;
}
