// Shared by the result writers of jpcp_cracking.
#pragma once

#include <array>
#include <string_view>

#include "cracking/damage/damage_tables.h"

namespace jpcp::cracking {

// Message of a result file that cannot be opened, followed by the file's
// name; a spreadsheet program that holds the file open is the usual cause.
inline constexpr std::string_view refusing_to_share = "Excel is refusing to share: ";

// NAME_Cracking.csv: the section name and this.
inline constexpr std::string_view cracking_file_suffix = "_Cracking.csv";

// Tridem NN loads of the stress tables: the tandem-type loads for three
// axles carrying half a tandem load each, lb.
inline constexpr std::array<float, nn_loads> tridem_nn_loads = {
    tandem_nn_loads[0] * 0.5f * 3.0f, tandem_nn_loads[1] * 0.5f * 3.0f, tandem_nn_loads[2] * 0.5f * 3.0f,
    tandem_nn_loads[3] * 0.5f * 3.0f, tandem_nn_loads[4] * 0.5f * 3.0f};

}  // namespace jpcp::cracking
