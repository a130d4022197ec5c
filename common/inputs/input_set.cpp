#include "common/inputs/input_set.h"


#include "common/platform/paths.h"
#include "common/platform/section_names.h"

namespace jpcp::inputs {

namespace {

// A section whose name begins with these four characters (upper case,
// compared exactly) has no file lines and runs on the default names.
constexpr std::string_view null_section_prefix = "NULL";

bool is_null_section(std::string_view name) { return name.substr(0, null_section_prefix.size()) == null_section_prefix; }

}  // namespace

bool read_input_set(text::FreeFormReader& file_list, std::string_view source_folder, const InputSetLayout& layout,
                    InputSet& input_set) {
  return read_input_set_status(file_list, source_folder, layout, input_set) == InputSetStatus::read;
}

InputSetStatus read_input_set_status(text::FreeFormReader& file_list, std::string_view source_folder,
                                     const InputSetLayout& layout, InputSet& input_set) {
  std::string section_name;
  switch (file_list.read_values(section_name)) {
    case text::ReadStatus::ok:
      break;
    case text::ReadStatus::end_of_file:
      return InputSetStatus::end_of_list;
    case text::ReadStatus::bad_value:
      return InputSetStatus::unreadable;
  }

  std::vector<std::string> entries(layout.default_names.size());
  if (is_null_section(section_name)) {
    if (!layout.null_section_name.empty()) section_name = std::string(layout.null_section_name);
    for (size_t i = 0; i < entries.size(); ++i) entries[i] = std::string(layout.default_names[i]);
  } else {
    for (std::string& entry : entries) {
      const text::ReadStatus status = file_list.read_values(entry);
      // A failed block leaves the last good set alone.
      if (status == text::ReadStatus::end_of_file) return InputSetStatus::truncated;
      if (status != text::ReadStatus::ok) return InputSetStatus::unreadable;
    }
  }

  // Every input file of a section lives in the source folder, or in a
  // sub-folder of it named inside the entry.
  for (std::string& entry : entries) entry = platform::join(source_folder, entry);

  input_set.section_name = std::move(section_name);
  input_set.files = std::move(entries);
  return InputSetStatus::read;
}

std::string file_list_problem(std::string_view list_name, InputSetStatus status, int32_t sections,
                              std::string_view section_name) {
  const std::string name(platform::trimmed(section_name));
  switch (status) {
    case InputSetStatus::end_of_list:
      if (sections > 0) return {};
      return "Data error: " + std::string(list_name) + " -- no sections";
    case InputSetStatus::truncated:
      return "Unexpected end of file: " + std::string(list_name) + " -- the block of section " +
             std::to_string(sections + 1) + " lacks input file lines";
    case InputSetStatus::unreadable:
      return "Data error: " + std::string(list_name) + " -- a line cannot be read after section " +
             std::to_string(sections);
    case InputSetStatus::read:
      break;
  }
  const std::string_view problem = platform::section_name_problem(section_name);
  if (problem.empty()) return {};
  const std::string shown = name.size() > 60 ? name.substr(0, 60) + "..." : name;
  return "Data error: " + std::string(list_name) + " -- section name " + std::string(problem) + ": '" + shown + "'";
}

}  // namespace jpcp::inputs
