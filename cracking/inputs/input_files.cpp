#include "cracking/inputs/input_files.h"

#include <array>
#include <string_view>

namespace jpcp::inputs {

namespace {

constexpr std::string_view cracking_null_section_name = "JPCP";

// In the order of the file lines of a cracking block (CrackingFile). The
// final full stop of the PCC modulus name is part of the name: on Windows it
// is dropped by the file system, elsewhere the platform lookup ignores it.
constexpr std::array<std::string_view, cracking_file_count> cracking_default_names = {
    "GeneralInput.txt",     "SeasonPattern.txt",    "PCCModulus.txt.",
    "SingleAxleOutput.csv", "TandemAxleOutput.csv", "TridemAxleOutput.csv",
    "QuadAxleOutput.csv",   "_HourlyTrafficPerc.txt", "ThermalPCC.dat",
};

}  // namespace

const InputSetLayout& cracking_input_set_layout() {
  static const InputSetLayout layout{cracking_default_names, cracking_null_section_name};
  return layout;
}

}  // namespace jpcp::inputs
