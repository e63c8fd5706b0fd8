#pragma once
// Numbers as the user reads and writes them: the decimal separator of the user's
// settings, no thousands separators, halves rounded to the even neighbour.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace dx {

// Optional blanks, an optional sign, digits with at most one separator, an optional
// exponent, optional blanks. Anything else (another separator included) fails.
std::optional<double> TryReadDecimal(std::string_view text, char separator);
// With a point, or else with a comma: a number the program itself or the game wrote, which
// may have come back with the user's separator.
std::optional<double> TryReadDecimalPointOrComma(std::string_view text);

// "%.Nf" with the given separator in place of the point; the system's "%f" is decimals = 2.
std::string FormatFixed(double value, int decimals, char separator);

// Whole number nearest to value; halves go to the even neighbour (61.5 -> 62, 62.5 -> 62).
std::int64_t RoundHalfEven(double value);

}  // namespace dx
