// The last guard on every result: a file of a run that ends without an
// error must not hold NaN, an infinity or a field filled with asterisks
// (a value too wide for its field). The output routines note every file they
// create or append to; the run frames scan the files noted since their last
// check and report the first field that does not fit.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/platform/result_layout.h"

namespace jpcp::platform {

// Called by create_output and append_output.
void note_written_file(std::string_view path);
// The layout of a result file of the current run (kept for the whole run);
// a file without one has its headings on line 1 and no month.
void note_result_layout(std::string_view path, const ResultLayout& layout);
// The files noted since the last call (each once, in first-written order).
std::vector<std::string> take_written_files();

struct UnfitField {
  size_t line = 0;     // 1-based
  size_t field = 0;    // 1-based, comma-separated fields of the line
  std::string header;  // the column heading of that field, when it has one
  std::string when;    // the row's month or age ("month 14 (July)"), when the layout gives one
  std::string text;    // the field as written
};

// The first field of the text that holds NaN, an infinity or asterisks.
std::optional<UnfitField> find_unfit_field(std::string_view contents, const ResultLayout& layout = {});

// The error line for an unfit field of a file:
// "Data error: result not finite or too wide for its field -- <quantity>
// [at <when>] in <file name>, line N (field F): <text>", the quantity being
// the column heading or "a result".
std::string unfit_field_message(std::string_view path, const UnfitField& unfit);

// Scans the files written since the last call; the message of the first
// unfit field, or empty when every file is clean. `skip` (the error file)
// is not scanned.
std::string check_written_files(std::string_view skip);

}  // namespace jpcp::platform
