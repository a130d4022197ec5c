#include "common/inputs/nn_info.h"

#include <gtest/gtest.h>

#include "tests/common/inputs/input_test_support.h"

namespace jpcp::inputs {
namespace {

using testing::ReportedErrors;
using testing::TempFolder;

TEST(NnInfo, FirstRowFromTheFileAndTheTopDownSetsBuiltIn) {
  TempFolder folder;
  folder.write("NNinfo.txt", "bottom.ttt  the bottom-up model\r\n'edge model.ttt'\r\n..\\shared\\m3.ttt\r\nm4.ttt\r\nextra.ttt\r\n");
  ReportedErrors errors;
  ModelNameTable names;
  ASSERT_TRUE(read_nn_info(folder.folder(), errors.reporter(), names));
  EXPECT_TRUE(errors.messages.empty());
  const std::string nn = folder.folder();
  EXPECT_EQ(names[0], (std::array<std::string, 4>{nn + "bottom.ttt", nn + "edge model.ttt",
                                                  nn + "..\\shared\\m3.ttt", nn + "m4.ttt"}));
  // Rows 2 to 7: slab thicknesses 13, 14, 15, 16, 18 and 20 in, models 1 to 4,
  // always in the NN folder.
  const int thickness[6] = {13, 14, 15, 16, 18, 20};
  for (size_t row = 1; row < 7; ++row) {
    for (size_t i = 0; i < 4; ++i) {
      EXPECT_EQ(names[row][i], nn + "top" + std::to_string(thickness[row - 1]) + "d" + std::to_string(i + 1) + ".ttt");
    }
  }
}

TEST(NnInfo, MissingFileAndTooFewLines) {
  TempFolder folder;
  ReportedErrors errors;
  ModelNameTable names;
  names[0][0] = "kept";
  EXPECT_FALSE(read_nn_info(folder.folder(), errors.reporter(), names));
  EXPECT_EQ(errors.messages, std::vector<std::string>{"Read error: NNinfo.txt"});
  EXPECT_FALSE(folder.exists("NNinfo.txt"));

  folder.write("NNinfo.txt", "a.ttt\nb.ttt\nc.ttt\n");
  errors.messages.clear();
  EXPECT_FALSE(read_nn_info(folder.folder(), errors.reporter(), names));
  EXPECT_EQ(errors.messages, std::vector<std::string>{"Unexpected end of file: NNinfo.txt"});
  EXPECT_EQ(names[0][0], "kept");
}

}  // namespace
}  // namespace jpcp::inputs
