// Section names that must not name output files, the result guard's scan
// and the stop reporter.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/platform/result_guard.h"
#include "common/platform/run_reporting.h"
#include "common/platform/section_names.h"

namespace jpcp::platform {
namespace {

TEST(SectionNames, NamesThatWouldLeaveTheResultsFolderAreRejected) {
  for (const std::string& name :
       std::vector<std::string>{"Example", "I-80 EB km 12.5", "NULLX", std::string(200, 'a')}) {
    EXPECT_EQ(section_name_problem(name), "") << name;
  }
  const std::vector<std::pair<std::string, std::string>> rejected = {
      {"", "is empty"},
      {"   ", "is empty"},
      {".", "is . or .."},
      {"..", "is . or .."},
      {"../../etc/y", "holds a path separator (/ or \\)"},
      {"..\\..\\etc\\y", "holds a path separator (/ or \\)"},
      {"C:x", "holds a drive colon"},
      {std::string(201, 'a'), "is longer than 200 characters"},
      {std::string("a\0b", 3), "holds a control character"},
  };
  for (const auto& [name, problem] : rejected) EXPECT_EQ(section_name_problem(name), problem) << name;
}

TEST(ResultGuard, FindsAsterisksNanAndInfinityButNotLabels) {
  EXPECT_FALSE(find_unfit_field(" P/Mo/Pos:, 1, 1,1.66, Nighttime*: Short axle spacing\n 0.1E+02, -3.5\n"));
  EXPECT_FALSE(find_unfit_field("Inflow,Information\n1,2\n"));

  const auto stars = find_unfit_field("age,BU,%Crack\n1, 0.5,******\n");
  ASSERT_TRUE(stars);
  EXPECT_EQ(stars->line, 2u);
  EXPECT_EQ(stars->field, 3u);
  EXPECT_EQ(stars->header, "%Crack");
  EXPECT_EQ(unfit_field_message("/r/S_Cracking.csv", *stars),
            "Data error: result not finite or too wide for its field -- %Crack in S_Cracking.csv, line 2 (field 3): "
            "******");
  for (const char* text : {"Design traffic =   Inf million ESALs\n", "a, NaN\n", "a,-inf\n", "Design traffic =******\n",
                           " -nan(0x8000)\n", "x,*\n"}) {
    EXPECT_TRUE(find_unfit_field(text)) << text;
  }
}

// Files whose headings span lines: the guard names the column heading and
// the row's month, not the first line's text.
TEST(ResultGuard, NamesTheColumnHeadingAndTheMonthOfTheRow) {
  // Section constants on line 1, headings stacked on lines 3 and 4.
  const std::string detail =
      " 0.08, 0.17, 1.6, 3.4E-03\nPavement,,,\nage,month,Epcc,k-value,\nmo, ,psi,psi/in,\n"
      "    1   ,June        ,    0.3E+07, 150.0000,\n    2   ,July        ,    0.3E+07,********,\n";
  const auto k = find_unfit_field(detail, ResultLayout{.heading_first = 3,
                                                       .heading_last = 4, .first_row = 5, .when_field = 1,
                                                       .when_label = "month", .name_field = 2});
  ASSERT_TRUE(k);
  EXPECT_EQ(unfit_field_message("/r/JPCP_faulting.csv", *k),
            "Data error: result not finite or too wide for its field -- k-value psi/in at month 2 (July) in "
            "JPCP_faulting.csv, line 6 (field 4): ********");
  // Headings that run on over two lines, each but the last ending in a comma.
  const std::string summary = "Age(mo),Month,\nk(psi/in),R.H.(%)\n    1,June      , 150., 71.0\n"
                              "    2,July      , NaN, 71.0\n";
  const auto nan = find_unfit_field(summary, ResultLayout{.heading_last = 2,
                                                          .run_on = true, .first_row = 3, .when_field = 1,
                                                          .when_label = "month", .name_field = 2});
  ASSERT_TRUE(nan);
  EXPECT_EQ(nan->header, "k(psi/in)");
  EXPECT_EQ(nan->when, "month 2 (July)");
}

TEST(StopReporter, GetsTheMessageAsOneLineOnceAndIsThenCleared) {
  std::vector<std::string> lines;
  set_stop_reporter([&](std::string_view message, std::string_view detail) {
    lines.push_back(std::string(message) + "|" + std::string(detail));
  });
  report_stop(" *** TERMINAL ERROR 2 from BSNAK.  Interpolation\n     matrix is singular.\n", "f.ttt");
  report_stop(" Wrong NN", "");
  EXPECT_EQ(lines,
            std::vector<std::string>{"*** TERMINAL ERROR 2 from BSNAK.  Interpolation matrix is singular.|f.ttt"});
}

}  // namespace
}  // namespace jpcp::platform
