#pragma once
// Text helpers. All text is single-byte Windows-1252 held in std::string; "×" is '\xD7'.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace dx {

inline constexpr char kTimes = '\xD7';  // the multiplication sign of Windows-1252
inline constexpr const char* kCrLf = "\r\n";

bool StartsWith(std::string_view text, std::string_view prefix);
bool EndsWith(std::string_view text, std::string_view suffix);
bool Contains(std::string_view text, std::string_view part);
// ASCII-only case folding: the code page's other letters keep their case, as the
// system's comparisons of paths and keys expect.
std::string ToLowerAscii(std::string_view text);
bool EqualsNoCase(std::string_view a, std::string_view b);
std::string ReplaceAll(std::string text, std::string_view from, std::string_view to);
// Removes blanks and control characters (<= ' ') at both ends.
std::string Trim(std::string_view text);
std::string IntToStr(std::int64_t value);
// Decimal integer with optional sign, nothing else; false on any other character or overflow.
bool TryStrToInt(std::string_view text, int& value);

}  // namespace dx
