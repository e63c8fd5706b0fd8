#pragma once
// Regional settings and a clock the test sets. Dates print as dd.mm.yyyy and times as
// hh:mm:ss unless the test gives other patterns.
#include <cstdio>
#include <string>

#include "platform/LocaleClock.h"

namespace dx::test {

class FakeLocaleClock : public platform::ILocaleClock {
 public:
  char separator = '.';
  platform::DateTime now{2006, 11, 3, 14, 5, 9, 0};
  // Each call of Now() advances the clock by this many seconds.
  int secondsPerCall = 0;
  char dateSeparator = '.';
  bool dayFirst = true;
  int utcOffsetMinutes = 60;
  std::uint32_t ticks = 0;

  char DecimalSeparator() override { return separator; }
  platform::DateTime Now() override {
    platform::DateTime result = now;
    now.second += secondsPerCall;
    while (now.second >= 60) now.second -= 60, ++now.minute;
    while (now.minute >= 60) now.minute -= 60, ++now.hour;
    return result;
  }
  // The universal time the test sets; the local clock is not consulted.
  platform::DateTime utcNow{2006, 11, 3, 13, 5, 9, 0};
  platform::DateTime UtcNow() override { return utcNow; }
  std::string FormatShortDate(const platform::DateTime& d) override {
    char buffer[32];
    if (dayFirst) {
      std::snprintf(buffer, sizeof buffer, "%02d%c%02d%c%04d", d.day, dateSeparator, d.month, dateSeparator, d.year);
    } else {
      std::snprintf(buffer, sizeof buffer, "%d%c%d%c%04d", d.month, dateSeparator, d.day, dateSeparator, d.year);
    }
    return buffer;
  }
  std::string FormatLongTime(const platform::DateTime& d) override {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%02d:%02d:%02d", d.hour, d.minute, d.second);
    return buffer;
  }
  platform::DateTime UtcToLocal(const platform::DateTime& utc) override {
    platform::DateTime local = utc;
    int minutes = local.hour * 60 + local.minute + utcOffsetMinutes;
    // Day rollover is enough for the tests' moments, which stay inside one month.
    while (minutes >= 24 * 60) minutes -= 24 * 60, ++local.day;
    while (minutes < 0) minutes += 24 * 60, --local.day;
    local.hour = minutes / 60;
    local.minute = minutes % 60;
    return local;
  }
  std::uint32_t TickCount() override { return ticks; }
};

}  // namespace dx::test
