// Percent slabs cracked from the cumulative damage, the section's cracking
// result file and, in calibration mode, the calibration summary lines.
#pragma once

#include <array>
#include <string_view>

#include "cracking/frame/run_context.h"
#include "cracking/frame/section.h"

namespace jpcp::cracking {

// Calendar month names, blank-padded to 10 characters.
inline constexpr std::array<std::string_view, 12> month_names = {
    "January   ", "February  ", "March     ", "April     ", "May       ", "June      ",
    "July      ", "August    ", "September ", "October   ", "November  ", "December  "};

// Reads section.damage. analysis_index: 1-based index of the analysis
// (calibration value). False when an error was reported (a value that is not
// finite); the run then ends.
bool write_cracking_results(RunContext& run, CrackingSection& section, int32_t analysis_index);

}  // namespace jpcp::cracking
