#include "common/text/free_form_reader.h"

#include <gtest/gtest.h>

#include <array>
#include <fstream>

namespace jpcp::text {
namespace {

TEST(FreeFormReader, ManyValuesContinueOverLinesAndTheRestOfTheLastLineIsIgnored) {
  FreeFormReader reader("1 2,3\n\n4, 5 6 7\n8\n");
  std::array<float, 5> values{};
  ASSERT_EQ(reader.read_values(std::span<float>(values)), ReadStatus::ok);
  EXPECT_EQ(values, (std::array<float, 5>{1, 2, 3, 4, 5}));
  float next = 0;
  ASSERT_EQ(reader.read_values(next), ReadStatus::ok);  // 6 and 7 were skipped with their line
  EXPECT_EQ(next, 8.0f);
  EXPECT_EQ(reader.read_values(next), ReadStatus::end_of_file);
}

TEST(FreeFormReader, OneValueTakesTheFirstValueOfTheNextLine) {
  FreeFormReader reader("10 20 30\r\n40 50\r\n");
  int32_t a = 0, b = 0;
  ASSERT_EQ(reader.read_values(a), ReadStatus::ok);
  ASSERT_EQ(reader.read_values(b), ReadStatus::ok);
  EXPECT_EQ(a, 10);
  EXPECT_EQ(b, 40);
}

TEST(FreeFormReader, EndOfFileIsToldApartFromANonNumber) {
  FreeFormReader short_file("1 2\n");
  std::array<float, 3> three{};
  EXPECT_EQ(short_file.read_values(std::span<float>(three)), ReadStatus::end_of_file);

  FreeFormReader letters("1 x 3\n");
  EXPECT_EQ(letters.read_values(std::span<float>(three)), ReadStatus::bad_value);

  FreeFormReader empty("");
  float x = 0;
  EXPECT_EQ(empty.read_values(x), ReadStatus::end_of_file);
}

TEST(FreeFormReader, IntegersRejectDecimalPointsAndRealsAcceptEveryForm) {
  int32_t i = 0;
  EXPECT_EQ(FreeFormReader("1.5").read_values(i), ReadStatus::bad_value);
  EXPECT_EQ(FreeFormReader("99999999999").read_values(i), ReadStatus::bad_value);
  ASSERT_EQ(FreeFormReader("-17").read_values(i), ReadStatus::ok);
  EXPECT_EQ(i, -17);

  std::array<float, 7> r{};
  ASSERT_EQ(FreeFormReader("1.5E2 2.5d-1 .5 5. -3 1.0+2 +4e0").read_values(std::span<float>(r)), ReadStatus::ok);
  EXPECT_EQ(r, (std::array<float, 7>{150.0f, 0.25f, 0.5f, 5.0f, -3.0f, 100.0f, 4.0f}));
  float x = 0;
  EXPECT_EQ(FreeFormReader("1e60").read_values(x), ReadStatus::bad_value);  // beyond single precision
  EXPECT_EQ(FreeFormReader("NaN").read_values(x), ReadStatus::bad_value);
  EXPECT_EQ(FreeFormReader("1.2.3").read_values(x), ReadStatus::bad_value);
}

TEST(FreeFormReader, TextsEndAtBlankCommaOrSlashUnlessQuoted) {
  std::string a, b, c, d;
  FreeFormReader reader("  sub\\General Input.txt\n'My File.txt' rest\n\"x,y/z\"\nname/other\n");
  ASSERT_EQ(reader.read_values(a), ReadStatus::ok);
  ASSERT_EQ(reader.read_values(b), ReadStatus::ok);
  ASSERT_EQ(reader.read_values(c), ReadStatus::ok);
  ASSERT_EQ(reader.read_values(d), ReadStatus::ok);
  EXPECT_EQ(a, "sub\\General");
  EXPECT_EQ(b, "My File.txt");
  EXPECT_EQ(c, "x,y/z");
  EXPECT_EQ(d, "name");
  std::string quote;
  ASSERT_EQ(FreeFormReader("'it''s'").read_values(quote), ReadStatus::ok);
  EXPECT_EQ(quote, "it's");
}

TEST(FreeFormReader, MixedLineOfIntegerLabelAndReals) {
  FreeFormReader reader("1,January,0.5,1.5\n2,\"Feb 2\",2.5,3.5\n");
  int32_t n = 0;
  std::string label;
  std::array<float, 2> v{};
  ASSERT_EQ(reader.read_values(n, label, std::span<float>(v)), ReadStatus::ok);
  EXPECT_EQ(n, 1);
  EXPECT_EQ(label, "January");
  EXPECT_EQ(v[1], 1.5f);
  ASSERT_EQ(reader.read_values(n, label, std::span<float>(v)), ReadStatus::ok);
  EXPECT_EQ(label, "Feb 2");
  EXPECT_EQ(v[0], 2.5f);
}

TEST(FreeFormReader, NullValuesRepeatsAndSlashLeaveTargetsAsTheyWere) {
  std::array<float, 5> v{9, 9, 9, 9, 9};
  ASSERT_EQ(FreeFormReader("1,,3 2*7\n").read_values(std::span<float>(v)), ReadStatus::ok);
  EXPECT_EQ(v, (std::array<float, 5>{1, 9, 3, 7, 7}));

  std::array<float, 4> w{9, 9, 9, 9};
  ASSERT_EQ(FreeFormReader("1 2* 4\n").read_values(std::span<float>(w)), ReadStatus::ok);
  EXPECT_EQ(w, (std::array<float, 4>{1, 9, 9, 4}));

  std::array<float, 3> s{9, 9, 9};
  ASSERT_EQ(FreeFormReader("1 / 2 3\n").read_values(std::span<float>(s)), ReadStatus::ok);
  EXPECT_EQ(s, (std::array<float, 3>{1, 9, 9}));

  // A comma at the end of a line only separates.
  std::array<float, 3> t{};
  ASSERT_EQ(FreeFormReader("1,2,\n3\n").read_values(std::span<float>(t)), ReadStatus::ok);
  EXPECT_EQ(t, (std::array<float, 3>{1, 2, 3}));
}

TEST(FreeFormReader, SkipLineAndEndOfFile) {
  FreeFormReader reader("header text 1 2\n5\n");
  ASSERT_EQ(reader.skip_line(), ReadStatus::ok);
  float x = 0;
  ASSERT_EQ(reader.read_values(x), ReadStatus::ok);
  EXPECT_EQ(x, 5.0f);
  EXPECT_TRUE(reader.at_end());
  EXPECT_EQ(reader.skip_line(), ReadStatus::end_of_file);
}

TEST(FreeFormReader, OpenNeverCreatesAMissingFile) {
  FreeFormReader reader;
  const std::string path = ::testing::TempDir() + "/no_such_input_file.txt";
  EXPECT_FALSE(reader.open(path));
  EXPECT_FALSE(reader.is_open());
  float x = 0;
  EXPECT_EQ(reader.read_values(x), ReadStatus::end_of_file);
  EXPECT_FALSE(std::ifstream(path).good());
}

}  // namespace
}  // namespace jpcp::text
