#include "common/nn/response_model.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>

#include "tests/common/nn/model_test_support.h"
#include "tests/support/stop_capture.h"

namespace jpcp::nn {
namespace {

using testing::TempDir;

// A 1+1 model: orders 2 and 3, two lines of knots, coefficients over lines.
constexpr const char* good_model =
    "1, 1\n"
    "2 3\n"
    "2 3\n"
    "0 0 1 1\n"
    "0 0 0 2\n"
    "5 5 5\n"
    "1 2 3\n"
    "4 5 6\n";

TEST(ResponseModel, ParsesEveryItemOfAModelFile) {
  ResponseModel model;
  std::string error;
  ASSERT_TRUE(parse_response_model(good_model, model, error)) << error;
  EXPECT_EQ(model.ig1, 1);
  EXPECT_EQ(model.ig2, 1);
  EXPECT_EQ(model.dimensions(), 2);
  EXPECT_EQ(model.ncoef, (std::vector<int32_t>{2, 3}));
  EXPECT_EQ(model.kord, (std::vector<int32_t>{2, 3}));
  EXPECT_EQ(model.knots[0], (std::vector<float>{0, 0, 1, 1}));
  EXPECT_EQ(model.knots[1], (std::vector<float>{0, 0, 0, 2, 5, 5}));
  EXPECT_EQ(model.coef, (std::vector<float>{1, 2, 3, 4, 5, 6}));
}

TEST(ResponseModel, EachItemStartsOnANewLine) {
  // The rest of a line after an item's values is ignored.
  ResponseModel model;
  std::string error;
  ASSERT_TRUE(parse_response_model("1 1 9 9\n2 2 ignored\n2 2\n0 0 1 1 7\n0 0 1 1\n1 2 3 4 8 8\n", model, error))
      << error;
  EXPECT_EQ(model.knots[0], (std::vector<float>{0, 0, 1, 1}));
  EXPECT_EQ(model.coef, (std::vector<float>{1, 2, 3, 4}));
}

TEST(ResponseModel, MalformedFilesAreRejectedWithTheirReason) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"1 1\n2 3\n2 3\n0 0 1 1\n0 0 0 2\n5 5 5\n1 2 3\n", "ends before all its values were read"},
      {"1 1\n2 3\n2 3\n0 0 1 1\n0 0 0 2 5 5\n1 2 x 4 5 6\n", "holds a value that is not a number"},
      {"1 1\n2 3.5\n", "holds a value that is not a number"},
      {"1 1\n2 3\n2 3\n0 0 1 1\n0 0 2 1 5 5\n1 2 3 4 5 6\n", "has decreasing knots in dimension 2"},
      {"1 1\n60 2\n41 2\n", "has more than 100 knots in dimension 1"},
      {"1 1\n2 -3\n2 3\n", "has a negative coefficient count or order in dimension 2"},
      {"", "ends before all its values were read"},
      // Declared sizes are checked against the file's bytes before anything
      // is allocated: 68^5 coefficients cannot be in a short file.
      {"3 2\n68 68 68 68 68\n4 4 4 4 4\n1 2 3\n", "declares more coefficients than the file holds"},
      {"1000000 1000000\n1\n", "declares more coefficients than the file holds"},
  };
  for (const auto& [contents, reason] : cases) {
    ResponseModel model;
    std::string error;
    EXPECT_FALSE(parse_response_model(contents, model, error)) << contents;
    EXPECT_EQ(error, reason) << contents;
  }
  // 100 knots are allowed.
  std::string hundred = "1 0\n98\n2\n0";
  for (int i = 0; i < 99; ++i) {
    hundred += ' ';
    hundred += std::to_string(i / 2 + 1);
  }
  hundred += "\n";
  for (int i = 0; i < 98; ++i) hundred += "1 ";
  ResponseModel model;
  std::string error;
  EXPECT_TRUE(parse_response_model(hundred + "\n", model, error)) << error;
}


TEST(ResponseModelStops, UnreadableFilesStopTheRunNamingTheFile) {
  TempDir dir;
  const std::string missing = dir.file("missing_model.dat");
  const std::string short_file = dir.write("short_model.dat", "1 1\n2 2\n");
  ResponseModel model;
  EXPECT_STOPS_WITH(read_response_model(missing, model), "NN model file .*missing_model\\.dat cannot be opened");
  EXPECT_STOPS_WITH(read_response_model(short_file, model), "NN model file .*short_model\\.dat ends before all its values were read");
}

}  // namespace
}  // namespace jpcp::nn
