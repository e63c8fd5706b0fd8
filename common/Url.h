#pragma once
// The parts of an absolute http or https URL, as the system's requests take them.
#include <cstdint>
#include <optional>
#include <string>

namespace dx {

struct UrlParts {
  std::string scheme, host;
  std::uint16_t port = 80;
  std::string user, password;  // %xx escapes decoded
  std::string path, extra;     // as written; extra is the query with its "?"
};
// Splits an absolute http or https URL; nothing for another scheme, a bad port or a part
// longer than the system's limits.
std::optional<UrlParts> SplitUrl(const std::string& url);

}  // namespace dx
