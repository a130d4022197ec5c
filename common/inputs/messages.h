// Messages about the General input file that more than one reader gives:
// the cracking program's General input reader, the faulting program's
// section input reader (its file goes by the same name in the messages) and
// the season pattern reader.
#pragma once

#include <string_view>

namespace jpcp::inputs {

// How the messages of the range checks name the file.
inline constexpr std::string_view general_input_label = "General Input File";
inline constexpr std::string_view general_input_eof_message = "Unexpected end of file: General Input File.";
inline constexpr std::string_view general_input_data_message = "Data error: General Input File.";
// Checks after a successful read: the damage tables hold at most 100 years,
// and every monthly table is indexed through the starting month.
inline constexpr std::string_view general_input_design_life_message =
    "Data error: General Input File -- field 1 (design life, years) must round to 1 to 100 years "
    "(the damage tables hold 100 years).";
inline constexpr std::string_view general_input_start_month_message =
    "Data error: General Input File -- starting month must be 1 to 12.";

}  // namespace jpcp::inputs
