#include "common/DateTimeText.h"

namespace dx {

std::string DateTimeText(platform::ILocaleClock& clock, const platform::DateTime& when) {
  return clock.FormatShortDate(when) + " " + clock.FormatLongTime(when);
}

}  // namespace dx
