#include "common/platform/result_guard.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "common/platform/output_file.h"
#include "common/platform/paths.h"
#include "common/platform/run_scope.h"

namespace jpcp::platform {

namespace {

std::vector<std::string>& written_files() { return current_run_scope().written_files; }

std::string_view strip(std::string_view text) {
  const size_t begin = text.find_first_not_of(" \t\r");
  if (begin == std::string_view::npos) return {};
  return text.substr(begin, text.find_last_not_of(" \t\r") - begin + 1);
}

// A written number that is not one: asterisks of a too-wide value (a field
// of its own, or two or more after a fixed text such as "="), or the texts a
// formatter gives NaN and infinities. A label with one asterisk
// ("Nighttime*:") is text.
bool unfit_token(std::string_view token) {
  if (token == "*" || token.find("**") != std::string_view::npos) return true;
  if (!token.empty() && (token.front() == '+' || token.front() == '-')) token.remove_prefix(1);
  std::string lower(token.substr(0, 8));
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower == "nan" || lower.starts_with("nan(") || lower == "inf" || lower == "infinity";
}

bool unfit_field(std::string_view field) {
  size_t pos = 0;
  while (pos < field.size()) {
    const size_t begin = field.find_first_not_of(" \t\r", pos);
    if (begin == std::string_view::npos) break;
    size_t end = field.find_first_of(" \t\r", begin);
    if (end == std::string_view::npos) end = field.size();
    if (unfit_token(field.substr(begin, end - begin))) return true;
    pos = end;
  }
  return false;
}

std::vector<std::string_view> split_fields(std::string_view line) {
  std::vector<std::string_view> fields;
  size_t begin = 0;
  for (;;) {
    const size_t comma = line.find(',', begin);
    fields.push_back(line.substr(begin, comma == std::string_view::npos ? std::string_view::npos : comma - begin));
    if (comma == std::string_view::npos) return fields;
    begin = comma + 1;
  }
}

// The heading of column f (0-based) from the layout's heading lines.
std::string column_heading(const std::vector<std::string_view>& lines, const ResultLayout& layout, size_t f) {
  if (layout.heading_first == 0) return {};
  const size_t last = std::min(layout.heading_last, lines.size());
  std::string heading;
  if (layout.run_on) {
    // Each line's titles follow the previous line's; a line ends with a
    // comma before the next one goes on.
    std::vector<std::string_view> titles;
    for (size_t l = layout.heading_first; l <= last; ++l) {
      std::vector<std::string_view> fields = split_fields(lines[l - 1]);
      if (l < last && fields.size() > 1 && strip(fields.back()).empty()) fields.pop_back();
      titles.insert(titles.end(), fields.begin(), fields.end());
    }
    if (f < titles.size()) heading = std::string(strip(titles[f]));
    return heading;
  }
  for (size_t l = layout.heading_first; l <= last; ++l) {
    const std::vector<std::string_view> fields = split_fields(lines[l - 1]);
    if (f >= fields.size()) continue;
    const std::string_view title = strip(fields[f]);
    if (title.empty()) continue;
    if (!heading.empty()) heading += ' ';
    heading += title;
  }
  return heading;
}

// "month 14 (July)" or "age 5.0" from the row's fields; empty when the
// layout names none or the row lacks it.
std::string row_time(const std::vector<std::string_view>& fields, const ResultLayout& layout) {
  if (layout.when_field == 0 || layout.when_field > fields.size()) return {};
  const std::string_view when = strip(fields[layout.when_field - 1]);
  if (when.empty() || unfit_field(when)) return {};
  std::string text = layout.when_label + ' ' + std::string(when);
  if (layout.name_field != 0 && layout.name_field <= fields.size()) {
    const std::string_view name = strip(fields[layout.name_field - 1]);
    if (!name.empty()) text += " (" + std::string(name) + ')';
  }
  return text;
}

}  // namespace

void note_written_file(std::string_view path) {
  std::vector<std::string>& files = written_files();
  const std::string native = native_path(trimmed(path));
  if (std::find(files.begin(), files.end(), native) == files.end()) files.push_back(native);
}

std::vector<std::string> take_written_files() {
  std::vector<std::string> files;
  files.swap(written_files());
  return files;
}

void note_result_layout(std::string_view path, const ResultLayout& layout) {
  current_run_scope().result_layouts[native_path(trimmed(path))] = layout;
}

std::optional<UnfitField> find_unfit_field(std::string_view contents, const ResultLayout& layout) {
  std::vector<std::string_view> lines;
  size_t begin = 0;
  while (begin < contents.size()) {
    size_t end = contents.find('\n', begin);
    if (end == std::string_view::npos) end = contents.size();
    lines.push_back(contents.substr(begin, end - begin));
    begin = end + 1;
  }
  for (size_t l = 0; l < lines.size(); ++l) {
    const std::vector<std::string_view> fields = split_fields(lines[l]);
    for (size_t f = 0; f < fields.size(); ++f) {
      if (!unfit_field(fields[f])) continue;
      UnfitField unfit;
      unfit.line = l + 1;
      unfit.field = f + 1;
      unfit.text = std::string(strip(fields[f]));
      if (unfit.line >= layout.first_row) {
        unfit.header = column_heading(lines, layout, f);
        unfit.when = row_time(fields, layout);
      }
      return unfit;
    }
  }
  return std::nullopt;
}

std::string unfit_field_message(std::string_view path, const UnfitField& unfit) {
  const std::string name = std::filesystem::path(std::string(path)).filename().string();
  const std::string quantity = unfit.header.empty() ? "a result" : unfit.header;
  const std::string when = unfit.when.empty() ? std::string() : " at " + unfit.when;
  return "Data error: result not finite or too wide for its field -- " + quantity + when + " in " + name +
         ", line " + std::to_string(unfit.line) + " (field " + std::to_string(unfit.field) + "): " + unfit.text;
}

std::string check_written_files(std::string_view skip) {
  const std::string skipped = native_path(trimmed(skip));
  for (const std::string& path : take_written_files()) {
    if (path == skipped) continue;
    const auto known = current_run_scope().result_layouts.find(path);
    const ResultLayout layout = known == current_run_scope().result_layouts.end() ? ResultLayout{} : known->second;
    if (const OutputStore* store = current_run_scope().outputs) {
      const OutputStore::File* file = store->find(path);
      if (file == nullptr) continue;
      if (const auto unfit = find_unfit_field(file->contents, layout)) return unfit_field_message(path, *unfit);
      continue;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) continue;
    const std::string contents((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (const auto unfit = find_unfit_field(contents, layout)) return unfit_field_message(path, *unfit);
  }
  return {};
}

}  // namespace jpcp::platform
