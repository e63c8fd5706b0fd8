#pragma once
// The program's Windows-1252 text as UTF-8, for files read outside the Windows world.
#include <string>
#include <string_view>

namespace dx {

// Every byte becomes its Windows-1252 character; the five bytes that code page leaves
// unassigned become the control characters of the same number, as Windows maps them.
std::string Cp1252ToUtf8(std::string_view text);

}  // namespace dx
