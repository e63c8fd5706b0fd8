#pragma once
// Base64 (RFC 2045). The coding of the stored proxy password: "=" padding, CR LF after
// every 76 output characters except at the end; and the strict reading of a signature.
#include <optional>
#include <string>
#include <string_view>

namespace dx {

std::string Base64Encode(std::string_view bytes);
// Characters outside the alphabet (line breaks, "=", junk) are skipped; a lone
// trailing character that cannot complete a byte is dropped.
std::string Base64Decode(std::string_view text);
// Only the one spelling of some bytes: whole groups of four, "=" only as padding, no other
// character and zero bits left over; anything else is nothing, so no changed character
// goes unnoticed.
std::optional<std::string> DecodeBase64Exact(std::string_view text);

}  // namespace dx
