// The free-form reader with statements of every target kind, and the file
// list reader on the same text.
#include <array>
#include <string>

#include "common/inputs/input_set.h"
#include "common/text/free_form_reader.h"
#include "cracking/inputs/input_files.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace jpcp;
  const std::string_view text = fuzz::as_text(data, size);
  text::FreeFormReader reader(text);
  // The statement kinds cycle with a step taken from the input's length, so
  // every kind follows every other.
  const size_t step = 1 + size % 5;
  for (size_t k = 0; k < 64 && !reader.at_end(); ++k) {
    float real = 0.0f;
    int32_t integer = 0;
    std::string word;
    std::array<float, 5> reals{};
    std::array<int32_t, 3> integers{};
    std::array<std::string, 2> words;
    switch ((k * step) % 6) {
      case 0:
        reader.read_values(real);
        break;
      case 1:
        reader.read_values(integer, word, reals);
        break;
      case 2:
        reader.read_values(std::span<int32_t>(integers), std::span<std::string>(words));
        break;
      case 3:
        reader.read_values(word);
        break;
      case 4:
        reader.skip_line();
        break;
      default:
        reader.read_values(std::span<float>(reals), real);
        break;
    }
  }

  text::FreeFormReader file_list(text);
  inputs::InputSet set;
  int32_t sections = 0;
  for (int k = 0; k < 16; ++k) {
    const auto status = inputs::read_input_set_status(file_list, "/src/", inputs::cracking_input_set_layout(), set);
    (void)inputs::file_list_problem("FileList.txt", status, sections, set.section_name);
    if (status != inputs::InputSetStatus::read) break;
    ++sections;
  }
  return 0;
}
