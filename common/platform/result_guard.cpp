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

std::optional<UnfitField> find_unfit_field(std::string_view contents) {
  std::string_view first_line;
  size_t line_number = 0;
  size_t begin = 0;
  while (begin < contents.size()) {
    size_t end = contents.find('\n', begin);
    if (end == std::string_view::npos) end = contents.size();
    const std::string_view line = contents.substr(begin, end - begin);
    ++line_number;
    if (line_number == 1) first_line = line;
    const std::vector<std::string_view> fields = split_fields(line);
    for (size_t f = 0; f < fields.size(); ++f) {
      if (!unfit_field(fields[f])) continue;
      UnfitField unfit;
      unfit.line = line_number;
      unfit.field = f + 1;
      unfit.text = std::string(strip(fields[f]));
      if (line_number > 1) {
        const std::vector<std::string_view> headers = split_fields(first_line);
        if (f < headers.size()) unfit.header = std::string(strip(headers[f]));
      }
      return unfit;
    }
    begin = end + 1;
  }
  return std::nullopt;
}

std::string unfit_field_message(std::string_view path, const UnfitField& unfit) {
  const std::string name = std::filesystem::path(std::string(path)).filename().string();
  const std::string quantity = unfit.header.empty() ? "a result" : unfit.header;
  return "Data error: result not finite or too wide for its field -- " + quantity + " in " + name + ", line " +
         std::to_string(unfit.line) + " (field " + std::to_string(unfit.field) + "): " + unfit.text;
}

std::string check_written_files(std::string_view skip) {
  const std::string skipped = native_path(trimmed(skip));
  for (const std::string& path : take_written_files()) {
    if (path == skipped) continue;
    if (const OutputStore* store = current_run_scope().outputs) {
      const OutputStore::File* file = store->find(path);
      if (file == nullptr) continue;
      if (const auto unfit = find_unfit_field(file->contents)) return unfit_field_message(path, *unfit);
      continue;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) continue;
    const std::string contents((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (const auto unfit = find_unfit_field(contents)) return unfit_field_message(path, *unfit);
  }
  return {};
}

}  // namespace jpcp::platform
