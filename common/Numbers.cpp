#include "common/Numbers.h"

#include <cmath>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace dx {

std::optional<double> TryReadDecimalPointOrComma(std::string_view text) {
  if (auto value = TryReadDecimal(text, '.')) return value;
  return TryReadDecimal(text, ',');
}

std::optional<double> TryReadDecimal(std::string_view text, char separator) {
  std::size_t i = 0;
  const std::size_t n = text.size();
  while (i < n && text[i] == ' ') ++i;
  std::string canonical;  // the same number with a '.' for strtod in the "C" locale
  if (i < n && (text[i] == '+' || text[i] == '-')) canonical += text[i++];
  std::size_t digits = 0;
  while (i < n && text[i] >= '0' && text[i] <= '9') canonical += text[i++], ++digits;
  if (i < n && text[i] == separator) {
    canonical += '.';
    ++i;
    while (i < n && text[i] >= '0' && text[i] <= '9') canonical += text[i++], ++digits;
  }
  if (digits == 0) return std::nullopt;
  if (i < n && (text[i] == 'e' || text[i] == 'E')) {
    canonical += 'e';
    ++i;
    if (i < n && (text[i] == '+' || text[i] == '-')) canonical += text[i++];
    std::size_t expDigits = 0;
    while (i < n && text[i] >= '0' && text[i] <= '9') canonical += text[i++], ++expDigits;
    if (expDigits == 0) return std::nullopt;
  }
  while (i < n && text[i] == ' ') ++i;
  if (i != n) return std::nullopt;
  const double value = std::strtod(canonical.c_str(), nullptr);
  if (!std::isfinite(value)) return std::nullopt;
  return value;
}

std::string FormatFixed(double value, int decimals, char separator) {
  char buffer[512];
  std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
  std::string out(buffer);
  for (char& c : out) {
    if (c == '.') c = separator;
  }
  return out;
}

std::int64_t RoundHalfEven(double value) {
  // Out of range (or not a number) would be undefined behaviour in the cast.
  if (!(value > -9.2e18 && value < 9.2e18)) return value > 0 ? INT64_MAX : INT64_MIN;
  // Exact steps only, so neither a rounding mode another library set nor the cost of
  // switching it (tens of microseconds under wine, and this runs per download piece).
  const double below = std::floor(value);
  const double fraction = value - below;
  const bool up = fraction > 0.5 || (fraction == 0.5 && std::fmod(below, 2.0) != 0.0);
  return static_cast<std::int64_t>(below) + (up ? 1 : 0);
}

}  // namespace dx
