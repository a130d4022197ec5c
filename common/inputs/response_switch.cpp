#include "common/inputs/response_switch.h"

#include <string>

#include "common/text/free_form_reader.h"

namespace jpcp::inputs {

int32_t read_response_switch(std::string_view path) {
  text::FreeFormReader reader;
  int32_t value = 0;
  if (!reader.open(std::string(path)) || reader.read_values(value) != text::ReadStatus::ok) return 0;
  return value + 1;
}

}  // namespace jpcp::inputs
