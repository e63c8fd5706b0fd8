// Dates of HTTP headers in their three forms, with a numeric zone.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "extras/HttpDate.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const auto date = dx::ParseHttpDateUtc(text);
  if (!date) return 0;
  if (date->month < 1 || date->month > 12 || date->day < 1 || date->day > 31 || date->hour < 0 ||
      date->hour > 23 || date->minute < 0 || date->minute > 59 || date->second < 0 || date->second > 59) {
    std::abort();
  }
  // The moment survives the trip through the seconds count.
  const dx::platform::DateTime back = dx::FromUnixSeconds(dx::UnixSeconds(*date));
  if (back.year != date->year || back.month != date->month || back.day != date->day || back.hour != date->hour ||
      back.minute != date->minute || back.second != date->second) {
    std::abort();
  }
  return 0;
}
