#pragma once
#include <string>

#include "platform/LocaleClock.h"

namespace dx {

// The user's short date, a blank and the long time: the form of the report's start time.
std::string DateTimeText(platform::ILocaleClock& clock, const platform::DateTime& when);

// "2006-11-03T14:05:09": ISO 8601 local time, whatever the user's formats.
std::string Iso8601(const platform::DateTime& when);

}  // namespace dx
