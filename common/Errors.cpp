#include "common/Errors.h"

namespace dx {
namespace {

// Replaces the %s markers in order; "%%" stays a percent sign. Texts never pass through printf.
std::string Fill(const char* pattern, const std::string* args, std::size_t count) {
  std::string out;
  std::size_t next = 0;
  for (const char* p = pattern; *p; ++p) {
    if (p[0] == '%' && p[1] == 's') {
      if (next < count) out += args[next++];
      ++p;
    } else if (p[0] == '%' && p[1] == '%') {
      out += '%';
      ++p;
    } else {
      out += *p;
    }
  }
  return out;
}

}  // namespace

std::string FormatMessageText(const char* pattern, const std::string& first) {
  return Fill(pattern, &first, 1);
}

std::string FormatMessageText(const char* pattern, const std::string& first, const std::string& second) {
  const std::string args[] = {first, second};
  return Fill(pattern, args, 2);
}

}  // namespace dx
