#include "common/DateTimeText.h"

#include <cstdio>

namespace dx {

std::string DateTimeText(platform::ILocaleClock& clock, const platform::DateTime& when) {
  return clock.FormatShortDate(when) + " " + clock.FormatLongTime(when);
}

std::string Iso8601(const platform::DateTime& when) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", when.year, when.month, when.day, when.hour,
                when.minute, when.second);
  return text;
}

}  // namespace dx
