// One section's block of the file list: the section name and the paths of
// its input files.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/text/free_form_reader.h"

namespace jpcp::inputs {

struct InputSet {
  std::string section_name;
  std::vector<std::string> files;  // full paths: trimmed source folder + entry
};

// What a program's file list holds after the section name.
struct InputSetLayout {
  std::span<const std::string_view> default_names;  // one per file line, in order
  std::string_view null_section_name;               // name given to a NULL section ("" keeps the name read)
};

// Reads the next section block. A section name whose first four characters
// are NULL takes the layout's default names and no file lines are read.
// False at the end of the list, on a truncated block or an unreadable line:
// the normal end of a run, nothing is reported.
bool read_input_set(text::FreeFormReader& file_list, std::string_view source_folder, const InputSetLayout& layout,
                    InputSet& input_set);

// The same read, telling the end of the list from a block that lacks file
// lines or holds a line that cannot be read.
enum class InputSetStatus { read, end_of_list, truncated, unreadable };
InputSetStatus read_input_set_status(text::FreeFormReader& file_list, std::string_view source_folder,
                                     const InputSetLayout& layout, InputSet& input_set);

// The error line for a file list whose reading stopped with `status` after
// `sections` sections: a list without any section, a truncated or
// unreadable block, or a section name that cannot name output files. Empty
// when nothing is wrong (the normal end of the list, or a good section).
std::string file_list_problem(std::string_view list_name, InputSetStatus status, int32_t sections,
                              std::string_view section_name);

}  // namespace jpcp::inputs
