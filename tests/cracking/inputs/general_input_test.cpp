#include "cracking/inputs/general_input.h"

#include <gtest/gtest.h>

#include <sstream>

#include "tests/common/inputs/input_test_support.h"

namespace jpcp::inputs {
namespace {

using testing::ReportedErrors;
using testing::TempFolder;

// Field values (index = field number) of a plausible section.
std::array<float, 44> section_fields() {
  std::array<float, 44> f{};
  const float values[43] = {20,   3, 2,    24.9f, 10,    15, 0,     12,   0,   0.15f, 150, 5.5e-6f, 2,    600, 35.7f,
                            7,    6, 140,  1.2f,  -1.8f, 2,  1.22f, 3.9f, -10, 0,     11,  12,      18,   10,  13,
                            0.3f, 4, 0.5f, 0.4f,  12,    16, 20,    50,   30,  20,    2,   1.5f,    0.25f};
  for (size_t k = 1; k <= 43; ++k) f[k] = values[k - 1];
  return f;
}

std::string as_text(const std::array<float, 44>& f, const char* separator) {
  std::ostringstream out;
  out.precision(9);
  for (size_t k = 1; k <= 43; ++k) out << f[k] << separator;
  return out.str();
}

struct Reading {
  bool ok = false;
  GeneralInput input;
  std::vector<std::string> messages;
};

Reading read(const TempFolder& folder, const std::string& contents, bool calibration_mode = false) {
  const std::string path = folder.write("GeneralInput.txt", contents);
  Reading result;
  ReportedErrors errors;
  result.input.field.fill(-777.0f);  // what a failed read must leave alone
  result.ok = read_general_input(path, calibration_mode, errors.reporter(), result.input);
  result.messages = errors.messages;
  return result;
}

Reading read_fields(const TempFolder& folder, const std::array<float, 44>& f) {
  return read(folder, as_text(f, "\n"));
}

TEST(GeneralInput, GoodFileStoresEveryFieldWithItsConversion) {
  TempFolder folder;
  const auto f = section_fields();
  const Reading one_per_line = read(folder, as_text(f, "\n"));
  ASSERT_TRUE(one_per_line.ok);
  EXPECT_TRUE(one_per_line.messages.empty());
  const GeneralInput& in = one_per_line.input;

  EXPECT_EQ(in.start_month, 3);
  EXPECT_EQ(in.age_offset, 2);
  EXPECT_EQ(in.interface_switch, 24);  // 24.9 truncated
  EXPECT_EQ(in.age_time_constant, 35);
  EXPECT_EQ(in.field23, 3);
  EXPECT_EQ(in.wheel_path_rule, 0);
  EXPECT_EQ(in.field[4], 24.0f);
  EXPECT_EQ(in.field[15], 35.0f);
  EXPECT_FLOAT_EQ(in.field[11], 150.0f / 1728.0f);
  EXPECT_FLOAT_EQ(in.field[18], 140.0f / 1728.0f);
  EXPECT_EQ(in.field[16], 0.0f);  // discarded
  EXPECT_EQ(in.field[21], -2.0f);
  EXPECT_EQ(in.fatigue_c1, -2.0f);
  EXPECT_EQ(in.fatigue_c2, 1.22f);
  EXPECT_EQ(in.field[41], 0.5f);
  EXPECT_EQ(in.tandem_count_scale, 0.5f);
  EXPECT_EQ(in.fatigue_constant, 0.4371f);
  EXPECT_EQ(in.unit_factor, 1.0f);
  EXPECT_EQ(in.built_in_gradient_factor, 1.0f);  // -10 degrees
  EXPECT_EQ(in.analysis_count, 1);
  EXPECT_TRUE(in.calibration_values.empty());
  for (size_t k : {1, 5, 6, 7, 8, 10, 12, 13, 14, 17, 19, 20, 22, 24, 25, 26, 27, 28, 29, 30, 35, 38, 40, 42, 43}) {
    EXPECT_EQ(in.field[k], f[k]) << "field " << k;
  }
  EXPECT_EQ(in.design_life(), 20.0f);
  EXPECT_EQ(in.joint_spacing_ft(), 15.0f);

  // The same numbers on one line, separated by commas, give the same record.
  const Reading one_line = read(folder, as_text(f, ", ") + "\n");
  ASSERT_TRUE(one_line.ok);
  EXPECT_EQ(one_line.input.field, in.field);
}

TEST(GeneralInput, BoundsOfTheAgeOffsetField8AndField17) {
  TempFolder folder;
  auto f = section_fields();
  f[3] = 0;
  f[8] = 5;
  f[17] = 9.5f;
  Reading r = read_fields(folder, f);
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.input.age_offset, 1);
  EXPECT_EQ(r.input.field[3], 1.0f);
  EXPECT_EQ(r.input.field[8], 10.0f);
  EXPECT_EQ(r.input.field[17], 8.0f);

  f[3] = -4;
  f[8] = 10.5f;
  f[17] = 7.5f;
  r = read_fields(folder, f);
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.input.age_offset, 1);
  EXPECT_EQ(r.input.field[8], 10.5f);
  EXPECT_EQ(r.input.field[17], 7.5f);
}

TEST(GeneralInput, BuiltInGradientFactor) {
  TempFolder folder;
  auto f = section_fields();
  const std::pair<float, float> cases[] = {{0, 1.0f},     {-12, 1.0f},  {-13, 0.99375f}, {-20, 0.95f},
                                           {-28, 0.9f},   {-28.5f, 0.9f}, {-30, 0.9f}};
  for (const auto& [gradient, factor] : cases) {
    f[24] = gradient;
    const Reading r = read_fields(folder, f);
    ASSERT_TRUE(r.ok);
    EXPECT_NEAR(r.input.built_in_gradient_factor, factor, 1e-6f) << "gradient " << gradient;
    EXPECT_EQ(r.input.built_in_gradient(), gradient);
  }
}

TEST(GeneralInput, WheelPathRule) {
  TempFolder folder;
  auto f = section_fields();
  f[9] = 1;
  f[28] = 18;
  f[8] = 5;  // below the lower bound, which is applied after the rule

  // a = (14 - 14) * 12 = 0 is not above 6: field 28 becomes 0 + 18.
  f[26] = 12, f[27] = 14, f[30] = 14;
  Reading r = read_fields(folder, f);
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.input.field[28], 18.0f);
  EXPECT_EQ(r.input.field[8], 10.0f);

  // a = (14.5 - 14) * 12 = 6 is not above 6 either: field 28 becomes 6 + 18.
  f[30] = 14.5f;
  r = read_fields(folder, f);
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.input.field[28], 24.0f);
  EXPECT_EQ(r.input.field[8], 10.0f);

  // a = 12: field 28 becomes (14 - 12) * 12 - 18 = 6 and field 8 50.
  f[30] = 15;
  r = read_fields(folder, f);
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.input.field[28], 6.0f);
  EXPECT_EQ(r.input.field[8], 50.0f);

  // Any other selector leaves both alone.
  f[9] = 0;
  r = read_fields(folder, f);
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.input.field[28], 18.0f);
  EXPECT_EQ(r.input.field[8], 10.0f);
  f[9] = 1.9f;  // truncates to 1
  r = read_fields(folder, f);
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.input.field[28], 6.0f);
}

TEST(GeneralInput, CalibrationValuesAndObservationAges) {
  TempFolder folder;
  const std::string fields = as_text(section_fields(), " ");
  Reading r = read(folder, fields + "\n3\n12 99 99\n14.5, 7\n20\n2\n5 x\n10\n", true);
  ASSERT_TRUE(r.ok) << (r.messages.empty() ? "" : r.messages[0]);
  EXPECT_EQ(r.input.analysis_count, 3);
  EXPECT_EQ(r.input.calibration_values, (std::vector<float>{12, 14.5f, 20}));
  EXPECT_EQ(r.input.observation_ages, (std::vector<float>{5, 10}));

  r = read(folder, fields + "\n0\n1\n7\n", true);
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.input.analysis_count, 0);
  EXPECT_EQ(r.input.observation_ages, (std::vector<float>{7}));

  // Outside calibration mode nothing after the 43 numbers is read.
  r = read(folder, fields + "\ngarbage\n", false);
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.input.analysis_count, 1);

  r = read(folder, fields + "\n2\n12\n14\n", true);  // no M line
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.messages, std::vector<std::string>{"Unexpected end of file: General Input File."});
  r = read(folder, fields + "\n2\n12\nabc\n1\n5\n", true);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.messages, std::vector<std::string>{"Data error: General Input File."});
}

TEST(GeneralInput, ReadFailuresReportOneMessageAndStoreNothing) {
  TempFolder folder;
  const auto f = section_fields();
  std::string forty_two;
  for (size_t k = 1; k <= 42; ++k) forty_two += std::to_string(f[k]) + "\n";
  Reading r = read(folder, forty_two);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.messages, std::vector<std::string>{"Unexpected end of file: General Input File."});
  EXPECT_EQ(r.input.field[1], -777.0f);

  std::string text = as_text(f, "\n");
  text.replace(text.find("15\n"), 3, "1x5\n");  // field 6
  r = read(folder, text);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.messages, std::vector<std::string>{"Data error: General Input File."});
  EXPECT_EQ(r.input.field[1], -777.0f);

  // A missing file reads as an empty one and is not created.
  ReportedErrors errors;
  GeneralInput input;
  EXPECT_FALSE(read_general_input(folder.path("absent.txt"), false, errors.reporter(), input));
  EXPECT_EQ(errors.messages, std::vector<std::string>{"Unexpected end of file: General Input File."});
  EXPECT_FALSE(folder.exists("absent.txt"));
}

TEST(GeneralInput, DesignLifeAndStartingMonthMustFitTheMonthlyTables) {
  TempFolder folder;
  auto f = section_fields();
  // One bound for both programs: 100 years, what the damage tables hold.
  const std::pair<float, bool> lives[] = {{0.4f, false}, {0.5f, true}, {100.4f, true}, {100.5f, false}, {-3, false}};
  for (const auto& [life, accepted] : lives) {
    f[1] = life;
    const Reading r = read_fields(folder, f);
    EXPECT_EQ(r.ok, accepted) << "design life " << life;
    if (!accepted) {
      EXPECT_EQ(r.messages, std::vector<std::string>{std::string(general_input_design_life_message)});
    }
  }
  f = section_fields();
  for (float month : {0.0f, 13.0f, -1.0f}) {
    f[2] = month;
    const Reading r = read_fields(folder, f);
    EXPECT_FALSE(r.ok) << "month " << month;
    EXPECT_EQ(r.messages,
              std::vector<std::string>{"Data error: General Input File -- starting month must be 1 to 12."});
  }
  f[2] = 12.7f;  // truncates to 12
  EXPECT_TRUE(read_fields(folder, f).ok);
}

TEST(GeneralInput, RoundedDesignLife) {
  EXPECT_EQ(rounded_design_life(19.5f), 20);
  EXPECT_EQ(rounded_design_life(19.49f), 19);
  EXPECT_EQ(rounded_design_life(1.0f), 1);
  EXPECT_EQ(rounded_design_life(3e9f), INT32_MAX);  // clamped, not undefined
}

}  // namespace
}  // namespace jpcp::inputs

namespace jpcp::inputs {
namespace {

// Range checks: the last accepted and the first rejected value of each
// bound, and the one-line message that names field, meaning, rule and value.
TEST(GeneralInputRanges, BoundariesAndMessages) {
  TempFolder folder;
  struct Case {
    int field;
    float accepted;
    float rejected;
    const char* message;
  };
  const Case cases[] = {
      {5, 0.01f, 0.0f, "Data error: General Input File -- field 5 (slab thickness, in) must be above 0: 0"},
      {10, 0.49f, 0.5f,
       "Data error: General Input File -- field 10 (Poisson's ratio) must lie strictly between 0 and 0.5: 0.5"},
      {31, 1.0f, -1.0f, "Data error: General Input File -- field 31 (tire pressure, psi) must be above 0: -1"},
      {38, 0.0f, -1.0f,
       "Data error: General Input File -- field 38 (short wheelbase trucks, percent) must not be negative: -1"},
      {41, 0.5f, 0.0f, "Data error: General Input File -- field 41 (tandem axle scale factor) must be above 0: 0"},
  };
  for (const Case& c : cases) {
    auto f = section_fields();
    f[static_cast<size_t>(c.field)] = c.accepted;
    EXPECT_TRUE(read_fields(folder, f).ok) << "field " << c.field;
    f[static_cast<size_t>(c.field)] = c.rejected;
    const Reading r = read_fields(folder, f);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.messages, std::vector<std::string>{c.message});
  }
}

TEST(GeneralInputRanges, CalibrationCountBeyondTheFileIsTheEndOfFileNotAnAllocation) {
  TempFolder folder;
  const Reading r = read(folder, as_text(section_fields(), "\n") + "2147483647\n1\n", true);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.messages, std::vector<std::string>{std::string(general_input_eof_message)});
}

}  // namespace
}  // namespace jpcp::inputs
