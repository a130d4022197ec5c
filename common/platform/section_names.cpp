#include "common/platform/section_names.h"

#include "common/platform/paths.h"

namespace jpcp::platform {

std::string_view section_name_problem(std::string_view name) {
  const std::string_view used = trimmed(name);
  if (used.empty()) return "is empty";
  if (used == "." || used == "..") return "is . or ..";
  if (used.size() > max_section_name_length) return "is longer than 200 characters";
  for (const char c : used) {
    if (c == '/' || c == '\\') return "holds a path separator (/ or \\)";
    if (c == ':') return "holds a drive colon";
    // A control character (a NUL above all) would cut or garble the name.
    if (static_cast<unsigned char>(c) < 0x20) return "holds a control character";
  }
  return {};
}

}  // namespace jpcp::platform
