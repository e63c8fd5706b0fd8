#pragma once
// The system's errors carry the exact text the user is shown.
#include <stdexcept>
#include <string>

namespace dx {

class Error : public std::runtime_error {
 public:
  explicit Error(const std::string& message) : std::runtime_error(message) {}
};

// printf-style filling of the system's message templates ("Cannot create file \"%s\". %s").
std::string FormatMessageText(const char* pattern, const std::string& first);
std::string FormatMessageText(const char* pattern, const std::string& first, const std::string& second);

}  // namespace dx
