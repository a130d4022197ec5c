#include "common/splines/spline_messages.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>

#include <sstream>

#include "tests/common/splines/spline_test_support.h"
#include "tests/support/stop_capture.h"

namespace jpcp::splines {
namespace {

using testing::MessageCapture;

TEST(SplineMessages, FieldsAreFilledByKindAndNumber) {
  const MessageFields fields{{7, -12}, {2.5f, 0.125f}, {"Y", "KYORD"}};
  EXPECT_EQ(fill_message("A %(L1) %(I2) %(R1) %(L2) %(I1) %(R2).", fields), "A Y -12 2.500000 KYORD 7 0.1250000.");
  // A field without a value, or text that only looks like a field, stays.
  EXPECT_EQ(fill_message("%(I3) %(Q1) %(R) 100%", fields), "%(I3) %(Q1) %(R) 100%");
}

TEST(SplineMessages, ShortBlockIsOneLine) {
  EXPECT_EQ(format_error_block(ErrorKind::terminal, 2, "CSIEZ", "The length of XVEC is wrong."),
            " *** TERMINAL ERROR 2 from CSIEZ.  The length of XVEC is wrong.");
  EXPECT_EQ(format_error_block(ErrorKind::note, 1, "BS3GD", "x"), " *** NOTE ERROR 1 from BS3GD.  x");
  EXPECT_EQ(format_error_block(ErrorKind::alert, 1, "BS3GD", "x"), " *** ALERT ERROR 1 from BS3GD.  x");
}

TEST(SplineMessages, LongBlockWrapsAtBlanksOntoContinuationLines) {
  const std::string text = fill_message(message::outside_knot_range, {{3}, {12.5f}, {"Z"}});
  const std::string block = format_error_block(ErrorKind::warning, 3, "BS3GD", text);
  std::istringstream lines(block);
  std::string line;
  int count = 0;
  while (std::getline(lines, line)) {
    ++count;
    EXPECT_LE(line.size(), static_cast<size_t>(message_wrap_width)) << line;
    EXPECT_NE(line.back(), ' ') << line;
    if (count > 1) {
      EXPECT_EQ(line.substr(0, continuation_prefix.size()), continuation_prefix);
      EXPECT_NE(line[continuation_prefix.size()], ' ') << line;
    }
  }
  EXPECT_GE(count, 3);
  EXPECT_TRUE(testing::block_says(block, "WARNING ERROR 3 from BS3GD",
                                  "The point ZVEC(3) = 12.50000 does not satisfy ZKNOT(KZORD) .LE. ZVEC(3) .LE. "
                                  "ZKNOT(NZCOEF+1).  The value zero is returned in this case."))
      << block;
}

TEST(SplineMessages, WarningsGoToTheStreamAndStopsToTheStopHandler) {
  MessageCapture capture;
  EXPECT_FALSE(report_spline_error(ErrorKind::warning, 1, "BS2GD", "careful %(I1)", {{4}}));
  EXPECT_EQ(capture.written(), " *** WARNING ERROR 1 from BS2GD.  careful 4\n");
  EXPECT_TRUE(capture.stops().empty());
  EXPECT_TRUE(report_spline_error(ErrorKind::fatal, 3, "BSNAK", "stop"));
  EXPECT_TRUE(report_spline_error(ErrorKind::terminal, 1, "BSNAK", "stop"));
  ASSERT_EQ(capture.stops().size(), 2u);
  EXPECT_EQ(capture.stops()[0], " *** FATAL ERROR 3 from BSNAK.  stop");
  EXPECT_EQ(capture.stops()[1], " *** TERMINAL ERROR 1 from BSNAK.  stop");
  EXPECT_EQ(capture.written(), " *** WARNING ERROR 1 from BS2GD.  careful 4\n");
}

TEST(SplineMessages, ScopedSinkIsRestored) {
  std::ostream* before = spline_message_sink().out;
  {
    MessageCapture capture;
    EXPECT_NE(spline_message_sink().out, before);
  }
  EXPECT_EQ(spline_message_sink().out, before);
}

TEST(SplineMessages, StorageMessagesNameEveryArgument) {
  EXPECT_EQ(fill_message(message::storage_2d, {{1, 2, 3, 4, 0, 1}}),
            "The required storage cannot be allocated.  Workspace allocation is based on NX, NY, KXORD, KYORD, "
            "IXDER, and IYDER, where NX = 1, NY = 2, KXORD = 3, KYORD = 4, IXDER = 0, and  IYDER = 1.");
  EXPECT_EQ(fill_message(message::storage_3d, {{4, 3, 2, 10, 20, 30, 0, 1, 2}}),
            "The required storage cannot be allocated.  Workspace allocation is based on KXORD, KYORD, KZORD, NX, "
            "NY, NZ, IXDER, IYDER and IZDER, where KXORD = 4, KYORD = 3, KZORD = 2, NX = 10, NY = 20, NZ = 30, "
            "IXDER = 0, IYDER = 1 and IZDER = 2.");
  EXPECT_EQ(fill_message(message::storage_cubic, {{5, 9}}),
            "The required storage cannot be allocated.  Workspace allocation is based on NDATA = 5 and N = 9.");
}

TEST(SplineMessages, DefaultStopThrowsToTheRunFrame) {
  EXPECT_STOPS_WITH(
      report_spline_error(ErrorKind::terminal, 1, "CSIEZ", "The number of data points must be 2 or more."),
      "TERMINAL ERROR 1 from CSIEZ\\.  The number of data points");
}

}  // namespace
}  // namespace jpcp::splines
