// Section names become parts of output file names ("LTemp_" + name, name +
// "_Cracking.csv"): a name must keep those files inside the results folder.
#pragma once

#include <cstddef>
#include <string_view>

namespace jpcp::platform {

inline constexpr size_t max_section_name_length = 200;

// Why the section name cannot name output files: empty, "." or "..", a path
// separator (/ or \), a drive colon, or more than 200 characters. Empty
// when the name is fine.
std::string_view section_name_problem(std::string_view name);

}  // namespace jpcp::platform
