// How a result file names its fields: the lines that hold its column
// headings and the fields of a row that say when the row is (its analysis
// month or age). The result guard uses it to name an unfit field.
#pragma once

#include <cstddef>
#include <string>

namespace jpcp::platform {

struct ResultLayout {
  // The lines (1-based, first to last) that name the columns. Stacked
  // lines give every column one title each (the titles are joined by a
  // blank: "k-value psi/in"); run-on lines continue one another, the first
  // titles on the first line, the next ones on the next.
  size_t heading_first = 1;
  size_t heading_last = 1;
  bool run_on = false;
  size_t first_row = 2;     // the first line of rows
  size_t when_field = 0;    // field (1-based) of a row that says when it is; 0: none
  std::string when_label;   // what that field holds: "month" (analysis month), "age" (years)
  size_t name_field = 0;    // field holding the calendar month's name; 0: none
};

}  // namespace jpcp::platform
