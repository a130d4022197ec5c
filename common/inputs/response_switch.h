// Response.txt: one integer that selects the optional result files.
#pragma once

#include <cstdint>
#include <string_view>

namespace jpcp::inputs {

// The integer of the file plus one; 0 when the file is absent or its first
// value is not an integer.
int32_t read_response_switch(std::string_view path);

}  // namespace jpcp::inputs
