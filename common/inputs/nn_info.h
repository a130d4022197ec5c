// The table of the 28 NN model files of the cracking program: row 1 from
// NNinfo.txt, rows 2 to 7 (the top-down model sets) built in.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "common/inputs/reporting.h"

namespace jpcp::inputs {

using ModelNameTable = std::array<std::array<std::string, 4>, 7>;

inline constexpr std::string_view nn_info_read_message = "Read error: NNinfo.txt";
inline constexpr std::string_view nn_info_eof_message = "Unexpected end of file: NNinfo.txt";

bool read_nn_info(std::string_view nn_folder, const ReportError& report_error, ModelNameTable& names);

}  // namespace jpcp::inputs
