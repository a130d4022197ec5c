// The cracking program's input set: the nine file lines of a FileList.txt
// block, their default names and the name of a NULL section.
#pragma once

#include <cstddef>

#include "common/inputs/input_set.h"

namespace jpcp::inputs {

// Index of each file of the cracking program's input set.
enum CrackingFile : size_t {
  general_input_file,
  season_pattern_file,
  pcc_modulus_file,
  single_axle_file,
  tandem_axle_file,
  tridem_axle_file,
  quad_axle_file,
  hourly_traffic_file,
  temperature_data_file,
  cracking_file_count
};

// The cracking program's layout: nine file lines, NULL sections named "JPCP".
const InputSetLayout& cracking_input_set_layout();

}  // namespace jpcp::inputs
