#pragma once
// Text as lower-case hexadecimal digits, two a byte, and back: how the program hands the
// upgrade helper paths and names that no command-line reading can split or join.
#include <optional>
#include <string>
#include <string_view>

namespace dx {

std::string ToHexText(std::string_view text);
// Nothing unless hex is an even number of lower-case hexadecimal digits.
std::optional<std::string> FromHexText(std::string_view hex);

}  // namespace dx
