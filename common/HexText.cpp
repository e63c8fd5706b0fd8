#include "common/HexText.h"

namespace dx {

std::string ToHexText(std::string_view text) {
  static const char kDigits[] = "0123456789abcdef";
  std::string hex;
  hex.reserve(text.size() * 2);
  for (unsigned char ch : text) {
    hex += kDigits[ch >> 4];
    hex += kDigits[ch & 15];
  }
  return hex;
}

std::optional<std::string> FromHexText(std::string_view hex) {
  const auto digit = [](char ch) {
    if (ch >= '0' && ch <= '9') return ch - '0';
    if (ch >= 'a' && ch <= 'f') return ch - 'a' + 10;
    return -1;
  };
  if (hex.size() % 2) return std::nullopt;
  std::string text;
  text.reserve(hex.size() / 2);
  for (std::size_t i = 0; i < hex.size(); i += 2) {
    const int high = digit(hex[i]), low = digit(hex[i + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    text += static_cast<char>(high * 16 + low);
  }
  return text;
}

}  // namespace dx
