#include "common/inputs/nn_info.h"

#include "common/platform/paths.h"
#include "common/text/free_form_reader.h"

namespace jpcp::inputs {

namespace {

constexpr std::string_view nn_info_file_name = "NNinfo.txt";

// Rows 2 to 7: the top-down model sets for slab thicknesses of 13, 14, 15,
// 16, 18 and 20 in, four models each.
constexpr std::array<std::array<std::string_view, 4>, 6> built_in_model_names = {{
    {"top13d1.ttt", "top13d2.ttt", "top13d3.ttt", "top13d4.ttt"},
    {"top14d1.ttt", "top14d2.ttt", "top14d3.ttt", "top14d4.ttt"},
    {"top15d1.ttt", "top15d2.ttt", "top15d3.ttt", "top15d4.ttt"},
    {"top16d1.ttt", "top16d2.ttt", "top16d3.ttt", "top16d4.ttt"},
    {"top18d1.ttt", "top18d2.ttt", "top18d3.ttt", "top18d4.ttt"},
    {"top20d1.ttt", "top20d2.ttt", "top20d3.ttt", "top20d4.ttt"},
}};

}  // namespace

bool read_nn_info(std::string_view nn_folder, const ReportError& report_error, ModelNameTable& names) {
  text::FreeFormReader reader;
  if (!reader.open(platform::join(nn_folder, nn_info_file_name))) {
    report_error(nn_info_read_message);
    return false;
  }

  ModelNameTable result;
  for (std::string& entry : result[0]) {
    std::string name;
    const text::ReadStatus status = reader.read_values(name);
    if (status != text::ReadStatus::ok) {
      report_error(status == text::ReadStatus::end_of_file ? nn_info_eof_message : nn_info_read_message);
      return false;
    }
    entry = platform::join(nn_folder, name);
  }
  for (size_t row = 1; row < result.size(); ++row) {
    for (size_t i = 0; i < 4; ++i) result[row][i] = platform::join(nn_folder, built_in_model_names[row - 1][i]);
  }

  names = std::move(result);
  return true;
}

}  // namespace jpcp::inputs
