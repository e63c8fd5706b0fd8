#include "platform/win32/Win32LocaleClock.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "common/DateTimeText.h"

namespace dx {
namespace {

TEST(Win32LocaleClock, FormatsAFixedMomentInTheUsersFormats) {
  win32::Win32LocaleClock clock;
  const platform::DateTime when{2006, 11, 3, 14, 5, 9, 0};
  const std::string text = DateTimeText(clock, when);
  // The date and the time in whatever order and separators the locale gives, one blank between.
  EXPECT_NE(text.find("2006"), std::string::npos) << text;
  EXPECT_NE(text.find("11"), std::string::npos) << text;
  EXPECT_NE(text.find("05"), std::string::npos) << text;
  EXPECT_NE(text.find("09"), std::string::npos) << text;
  EXPECT_EQ(text, clock.FormatShortDate(when) + " " + clock.FormatLongTime(when));
  EXPECT_NE(text.find(' '), std::string::npos);
}

TEST(Win32LocaleClock, DecimalSeparatorFollowsTheUsersSetting) {
  win32::Win32LocaleClock clock;
  char expected[8] = {};
  ASSERT_GT(::GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, expected, sizeof expected), 1);
  EXPECT_EQ(clock.DecimalSeparator(), expected[0]);
}

TEST(Win32LocaleClock, NowIsTheLocalTime) {
  win32::Win32LocaleClock clock;
  SYSTEMTIME before{};
  ::GetLocalTime(&before);
  const auto now = clock.Now();
  EXPECT_EQ(now.year, before.wYear);
  EXPECT_GE(now.month, 1);
  EXPECT_LE(now.month, 12);
}

}  // namespace
}  // namespace dx
