#include <gtest/gtest.h>

#include "extras/HttpDate.h"
#include "tests/doubles/FakeLocaleClock.h"

namespace dx {
namespace {

using platform::DateTime;

TEST(HttpDateTest, TheThreeFormsOfOneMomentGiveOneLocalTime) {
  test::FakeLocaleClock clock;  // one hour east of universal time
  const DateTime expected{1994, 11, 6, 9, 49, 37, 0};
  EXPECT_EQ(ReadHttpDate("Sun, 06 Nov 1994 08:49:37 GMT", clock), expected);
  EXPECT_EQ(ReadHttpDate("Sunday, 06-Nov-94 08:49:37 GMT", clock), expected);
  EXPECT_EQ(ReadHttpDate("Sun Nov  6 08:49:37 1994", clock), expected);
  EXPECT_EQ(ReadHttpDate("  sun, 06 nov 1994 08:49:37 gmt  ", clock), expected);
}

TEST(HttpDateTest, NumericZonesAreTakenOffAndTwoDigitYearsPickTheirCentury) {
  EXPECT_EQ(ParseHttpDateUtc("Sun, 06 Nov 1994 08:49:37 +0200"), (DateTime{1994, 11, 6, 6, 49, 37, 0}));
  EXPECT_EQ(ParseHttpDateUtc("Sun, 06 Nov 1994 23:30:00 -0130"), (DateTime{1994, 11, 7, 1, 0, 0, 0}));
  EXPECT_EQ(ParseHttpDateUtc("Thu, 01-Jan-79 00:00:00 GMT")->year, 2079);
  EXPECT_EQ(ParseHttpDateUtc("Tue, 01-Jan-80 00:00:00 GMT")->year, 1980);
  // A date without a time is midnight; a time part that is no number counts as 0.
  EXPECT_EQ(ParseHttpDateUtc("06 Nov 1994"), (DateTime{1994, 11, 6, 0, 0, 0, 0}));
  EXPECT_EQ(ParseHttpDateUtc("06 Nov 1994 08:xx:37 GMT"), (DateTime{1994, 11, 6, 8, 0, 37, 0}));
  // A day that is no number counts as the first.
  EXPECT_EQ(ParseHttpDateUtc("Nov xx 08:49:37 1994"), (DateTime{1994, 11, 1, 8, 49, 37, 0}));
  EXPECT_EQ(ParseHttpDateUtc("29 Feb 2004 12:00:00 GMT"), (DateTime{2004, 2, 29, 12, 0, 0, 0}));
}

TEST(HttpDateTest, UnreadableTextsGiveNothing) {
  for (const char* text : {"", "   ", "Sun,", "yesterday", "06 Foo 1994 08:49:37 GMT", "32 Jan 2006 00:00:00 GMT",
                           "29 Feb 2005 00:00:00 GMT", "06 Nov abc def", "06 Nov 1994 25:00:00 GMT"}) {
    EXPECT_FALSE(ParseHttpDateUtc(text).has_value()) << text;
  }
}

TEST(HttpDateTest, UnixSecondsRoundTrip) {
  EXPECT_EQ(UnixSeconds({1970, 1, 1, 0, 0, 0, 0}), 0);
  EXPECT_EQ(UnixSeconds({1994, 11, 6, 8, 49, 37, 0}), 784111777);
  EXPECT_EQ(FromUnixSeconds(784111777), (DateTime{1994, 11, 6, 8, 49, 37, 0}));
  EXPECT_EQ(FromUnixSeconds(951782400), (DateTime{2000, 2, 29, 0, 0, 0, 0}));
  EXPECT_EQ(FromUnixSeconds(-1), (DateTime{1969, 12, 31, 23, 59, 59, 0}));
}

}  // namespace
}  // namespace dx
