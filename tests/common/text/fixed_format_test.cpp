#include "common/text/fixed_format.h"

#include <cstring>
#include <random>
#include <string>

#include <gtest/gtest.h>

namespace jpcp::text {
namespace {

TEST(FormatF, RightAlignsWithTheStatedDecimals) {
  EXPECT_EQ(format_F(0.0, 5, 1), "  0.0");
  EXPECT_EQ(format_F(1.5, 5, 1), "  1.5");
  EXPECT_EQ(format_F(100.0, 5, 1), "100.0");
  EXPECT_EQ(format_F(-1.0, 5, 1), " -1.0");
  EXPECT_EQ(format_F(12.345f, 8, 3), "  12.345");
  EXPECT_EQ(format_F(650.4, 5, 0), " 650.");
}

TEST(FormatF, RoundsAtTheLastDecimalTiesAwayFromZero) {
  EXPECT_EQ(format_F(0.125, 6, 2), "  0.13");   // exact binary tie
  EXPECT_EQ(format_F(-0.125, 6, 2), " -0.13");
  EXPECT_EQ(format_F(2.5, 3, 0), " 3.");
  EXPECT_EQ(format_F(0.0005, 6, 3), " 0.001");   // 0.0005 is slightly above the tie in binary
  EXPECT_EQ(format_F(0.00049, 6, 3), " 0.000");
  EXPECT_EQ(format_F(9.995, 5, 2), " 9.99");    // 9.995 is below the tie in binary
  EXPECT_EQ(format_F(9.9951, 5, 2), "10.00");   // the carry widens the number
  EXPECT_EQ(format_F(1234.56f, 6, 1), "1234.6");
}

TEST(FormatF, OverflowFillsTheFieldWithAsterisks) {
  EXPECT_EQ(format_F(12345.6, 6, 1), "******");
  EXPECT_EQ(format_F(-1000.0, 6, 2), "******");
  EXPECT_EQ(format_F(99.96, 5, 1), "100.0");
  EXPECT_EQ(format_F(999.96, 5, 1), "*****");
}

TEST(FormatF, DropsTheLeadingZeroOnlyWhenTheFieldIsFull) {
  EXPECT_EQ(format_F(0.5, 3, 1), "0.5");
  EXPECT_EQ(format_F(0.5, 2, 1), ".5");
  EXPECT_EQ(format_F(-0.5, 3, 1), "-.5");
  EXPECT_EQ(format_F(0.1234567f, 9, 7), "0.1234567");
}

TEST(FormatF, NegativeValueRoundingToZeroHasNoSign) {
  EXPECT_EQ(format_F(-0.01, 5, 1), "  0.0");
  EXPECT_EQ(format_F(-0.0, 5, 1), "  0.0");
}

TEST(FormatE, WritesTheFractionExponentForm) {
  EXPECT_EQ(format_E(12345.0, 12, 4), "  0.1235E+05");
  EXPECT_EQ(format_E(-12345.0, 12, 4), " -0.1235E+05");
  EXPECT_EQ(format_E(0.0, 10, 3), " 0.000E+00");
  EXPECT_EQ(format_E(3.654e-5f, 10, 3), " 0.365E-04");
  EXPECT_EQ(format_E(1.0, 9, 3), "0.100E+01");
  EXPECT_EQ(format_E(0.99996, 10, 4), "0.1000E+01");  // carry into the exponent
  EXPECT_EQ(format_E(1.0e-24f, 11, 4), " 0.1000E-23");
  EXPECT_EQ(format_E(1.0e-120, 11, 4), " 0.1000-119");  // three-digit exponent drops the letter
}

TEST(FormatE, OverflowAndTheOptionalZero) {
  EXPECT_EQ(format_E(1.0, 8, 3), ".100E+01");
  EXPECT_EQ(format_E(-1.0, 8, 3), "********");
}

TEST(FormatIAX, IntegersTextsAndBlanks) {
  EXPECT_EQ(format_I(42, 5), "   42");
  EXPECT_EQ(format_I(-42, 3), "-42");
  EXPECT_EQ(format_I(-420, 3), "***");
  EXPECT_EQ(format_I(123456, 5), "*****");
  EXPECT_EQ(format_A("January", 10), "January   ");
  EXPECT_EQ(format_A("September", 4), "Sept");
  EXPECT_EQ(format_X(3), "   ");
}

TEST(FreeFormReal, SevenSignificantDigits) {
  EXPECT_EQ(free_form_real(1.0f), "1.000000");
  EXPECT_EQ(free_form_real(12.333333f), "12.33333");
  EXPECT_EQ(free_form_real(-10.0f), "-10.00000");
  EXPECT_EQ(free_form_real(0.1f), "0.1000000");
  EXPECT_EQ(free_form_real(1234567.0f), "1234567.");
  EXPECT_EQ(free_form_real(0.0f), "0.000000");
  EXPECT_EQ(free_form_real(0.001234567f), "1.234567E-03");
  EXPECT_EQ(free_form_real(9.9999999e6f), "1.000000E+07");
  EXPECT_EQ(free_form_real(999.0f), "999.0000");
}

TEST(FreeFormLine, LeadingBlankAndBlankBeforeNumbers) {
  EXPECT_EQ(FreeFormLine().text("VERSION=5").str(), " VERSION=5");
  EXPECT_EQ(FreeFormLine().integer(240).str(), "  240");
  EXPECT_EQ(FreeFormLine().text("JPCP:  BTG =").real(-10.0f).str(), " JPCP:  BTG = -10.00000");
  EXPECT_EQ(FreeFormLine().real(1.5f).text(",").real(2.0f).str(), "  1.500000, 2.000000");
}

TEST(FixedColumns, ReadsFieldsWithBlanksAndShortLines) {
  const std::string line = "2001 1 1 0  50.5  49.0-12.25";
  int32_t year = 0, month = 0, day = 0, hour = -1;
  ASSERT_TRUE(read_fixed_integer(line, 1, 4, year));
  ASSERT_TRUE(read_fixed_integer(line, 5, 2, month));
  ASSERT_TRUE(read_fixed_integer(line, 7, 2, day));
  ASSERT_TRUE(read_fixed_integer(line, 9, 2, hour));
  EXPECT_EQ(year, 2001);
  EXPECT_EQ(month, 1);
  EXPECT_EQ(day, 1);
  EXPECT_EQ(hour, 0);
  float t = 0;
  ASSERT_TRUE(read_fixed_real(line, 11, 6, t));
  EXPECT_FLOAT_EQ(t, 50.5f);
  ASSERT_TRUE(read_fixed_real(line, 23, 6, t));
  EXPECT_FLOAT_EQ(t, -12.25f);
  ASSERT_TRUE(read_fixed_real(line, 29, 6, t));  // past the end of the line
  EXPECT_EQ(t, 0.0f);
  ASSERT_TRUE(read_fixed_real("    77", 1, 6, t));  // no decimal point: a whole number
  EXPECT_EQ(t, 77.0f);
}

TEST(FixedColumns, RejectsLetters) {
  int32_t i = 0;
  float x = 0;
  EXPECT_FALSE(read_fixed_integer("20a1", 1, 4, i));
  EXPECT_FALSE(read_fixed_real("  ab.c", 1, 6, x));
  EXPECT_FALSE(read_fixed_integer(" 1.5", 1, 4, i));
}

// The inline reading of the usual field form against the general path, on
// random fields (a line's end may cut them): the same acceptance and, bit for
// bit, the same value.
TEST(FixedColumns, UsualFormAgreesWithTheGeneralPath) {
  std::mt19937_64 random(20261208);
  const std::string alphabet = "   --+..0123456789012345678901234567890123456789e\t";
  int failures = 0;
  for (int n = 0; n < 100000 && failures < 10; ++n) {
    std::string line(random() % 11, ' ');
    for (char& c : line) c = alphabet[random() % alphabet.size()];
    const int width = 1 + static_cast<int>(random() % 10);
    float real = 0.0f, general_real = 0.0f;
    int32_t integer = 0, general_integer = 0;
    const bool real_ok = read_fixed_real(line, 1, width, real);
    const bool integer_ok = read_fixed_integer(line, 1, width, integer);
    if (real_ok != read_fixed_real_general(line, 1, width, general_real) ||
        (real_ok && std::memcmp(&real, &general_real, sizeof real) != 0) ||
        integer_ok != read_fixed_integer_general(line, 1, width, general_integer) ||
        (integer_ok && integer != general_integer)) {
      ++failures;
      ADD_FAILURE() << "'" << line << "' width " << width;
    }
  }
}

}  // namespace
}  // namespace jpcp::text
