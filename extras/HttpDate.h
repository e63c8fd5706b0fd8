#pragma once
// Dates of HTTP headers (Date, Last-Modified, Expires) in their three forms:
// "Sun, 06 Nov 1994 08:49:37 GMT", "Sunday, 06-Nov-94 08:49:37 GMT" and
// "Sun Nov  6 08:49:37 1994"; a numeric zone ("+0200") is honoured.
#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/LocaleClock.h"

namespace dx {

// The moment in universal time; nothing for an empty or unreadable text.
std::optional<platform::DateTime> ParseHttpDateUtc(std::string_view text);
// The same moment in local time.
std::optional<platform::DateTime> ReadHttpDate(std::string_view text, platform::ILocaleClock& clock);

// Seconds since 1970-01-01 of a universal date-time, and back.
std::int64_t UnixSeconds(const platform::DateTime& utc);
platform::DateTime FromUnixSeconds(std::int64_t seconds);

}  // namespace dx
