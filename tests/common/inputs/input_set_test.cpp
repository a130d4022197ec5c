#include "common/inputs/input_set.h"

#include <gtest/gtest.h>

#include <array>

#include "cracking/inputs/input_files.h"

namespace jpcp::inputs {
namespace {

constexpr std::string_view source = "/data/sections/";

TEST(InputSet, CrackingBlocksArePrefixedWithTheSourceFolderAndReadOneAfterTheOther) {
  text::FreeFormReader list(
      "Section A  comment\n"
      "gi.txt\n'Season Pattern.txt'\nPCC Modulus.txt\nsub\\single.csv\ntandem.csv\ntridem.csv\nquad.csv\n"
      "hourly.txt\nthermal.dat\n"
      "Second\r\n"
      "g2\r\ns2\r\np2\r\na2\r\nb2\r\nc2\r\nd2\r\nh2\r\nt2\r\n");
  InputSet set;
  ASSERT_TRUE(read_input_set(list, source, cracking_input_set_layout(), set));
  EXPECT_EQ(set.section_name, "Section");
  ASSERT_EQ(set.files.size(), size_t{cracking_file_count});
  EXPECT_EQ(set.files[general_input_file], "/data/sections/gi.txt");
  EXPECT_EQ(set.files[season_pattern_file], "/data/sections/Season Pattern.txt");  // quoted
  EXPECT_EQ(set.files[pcc_modulus_file], "/data/sections/PCC");                    // unquoted: ends at the blank
  EXPECT_EQ(set.files[single_axle_file], "/data/sections/sub\\single.csv");         // kept as given
  EXPECT_EQ(set.files[temperature_data_file], "/data/sections/thermal.dat");

  ASSERT_TRUE(read_input_set(list, source, cracking_input_set_layout(), set));
  EXPECT_EQ(set.section_name, "Second");
  EXPECT_EQ(set.files[general_input_file], "/data/sections/g2");
  EXPECT_EQ(set.files[temperature_data_file], "/data/sections/t2");

  EXPECT_FALSE(read_input_set(list, source, cracking_input_set_layout(), set));  // end of the list
}

TEST(InputSet, NullSectionRunsOnTheDefaultNamesAndOnlyUpperCaseNullCounts) {
  text::FreeFormReader list("NULLsection\nnull\na\nb\nc\nd\ne\nf\ng\nh\ni\n");
  InputSet set;
  ASSERT_TRUE(read_input_set(list, source, cracking_input_set_layout(), set));
  EXPECT_EQ(set.section_name, "JPCP");
  const std::vector<std::string> defaults = {
      "/data/sections/GeneralInput.txt",     "/data/sections/SeasonPattern.txt",
      "/data/sections/PCCModulus.txt.",      "/data/sections/SingleAxleOutput.csv",
      "/data/sections/TandemAxleOutput.csv", "/data/sections/TridemAxleOutput.csv",
      "/data/sections/QuadAxleOutput.csv",   "/data/sections/_HourlyTrafficPerc.txt",
      "/data/sections/ThermalPCC.dat"};
  EXPECT_EQ(set.files, defaults);

  // A lower-case null is an ordinary section with nine file lines.
  ASSERT_TRUE(read_input_set(list, source, cracking_input_set_layout(), set));
  EXPECT_EQ(set.section_name, "null");
  EXPECT_EQ(set.files.front(), "/data/sections/a");
  EXPECT_EQ(set.files.back(), "/data/sections/i");
}

TEST(InputSet, EmptyListAndTruncatedBlockEndTheRun) {
  text::FreeFormReader empty("");
  InputSet set;
  EXPECT_FALSE(read_input_set(empty, source, cracking_input_set_layout(), set));

  text::FreeFormReader truncated("First\n1\n2\n3\n4\n5\n6\n7\n8\n9\nSecond\n1\n2\n3\n");
  ASSERT_TRUE(read_input_set(truncated, source, cracking_input_set_layout(), set));
  EXPECT_FALSE(read_input_set(truncated, source, cracking_input_set_layout(), set));
  EXPECT_EQ(set.section_name, "First");  // the truncated block left the last good set alone
}

TEST(InputSet, OtherLayoutsGiveTheirOwnDefaultsAndNullRule) {
  constexpr std::array<std::string_view, 2> names = {"own.txt", "other.txt"};
  const InputSetLayout layout{names, ""};
  text::FreeFormReader list("NULL7\nS\nx\ny\n");
  InputSet set;
  ASSERT_TRUE(read_input_set(list, "folder/", layout, set));
  EXPECT_EQ(set.section_name, "NULL7");  // an empty NULL name keeps the name read
  EXPECT_EQ(set.files, (std::vector<std::string>{"folder/own.txt", "folder/other.txt"}));
  ASSERT_TRUE(read_input_set(list, "folder/", layout, set));
  EXPECT_EQ(set.files, (std::vector<std::string>{"folder/x", "folder/y"}));
}

}  // namespace
}  // namespace jpcp::inputs
