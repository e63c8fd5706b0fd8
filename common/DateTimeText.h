#pragma once
#include <string>

#include "platform/LocaleClock.h"

namespace dx {

// The user's short date, a blank and the long time: the form of the report's start time.
std::string DateTimeText(platform::ILocaleClock& clock, const platform::DateTime& when);

}  // namespace dx
