#pragma once
#include "platform/LocaleClock.h"

namespace dx::win32 {

// The user's regional settings, read at every call so a change takes effect at once.
class Win32LocaleClock : public platform::ILocaleClock {
 public:
  char DecimalSeparator() override;
  platform::DateTime Now() override;
  platform::DateTime UtcNow() override;
  std::string FormatShortDate(const platform::DateTime& when) override;
  std::string FormatLongTime(const platform::DateTime& when) override;
  platform::DateTime UtcToLocal(const platform::DateTime& utc) override;
  std::uint32_t TickCount() override;
};

}  // namespace dx::win32
