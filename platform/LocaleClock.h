#pragma once
// The user's regional settings and the clock.
#include <cstdint>
#include <string>

namespace dx::platform {

struct DateTime {
  int year = 0, month = 0, day = 0;
  int hour = 0, minute = 0, second = 0, millisecond = 0;
  friend bool operator==(const DateTime&, const DateTime&) = default;
};

class ILocaleClock {
 public:
  virtual ~ILocaleClock() = default;
  virtual char DecimalSeparator() = 0;
  // Local time.
  virtual DateTime Now() = 0;
  // Universal time.
  virtual DateTime UtcNow() = 0;
  // In the user's short date and long time formats.
  virtual std::string FormatShortDate(const DateTime& when) = 0;
  virtual std::string FormatLongTime(const DateTime& when) = 0;
  virtual DateTime UtcToLocal(const DateTime& utc) = 0;
  virtual std::uint32_t TickCount() = 0;
};

}  // namespace dx::platform
