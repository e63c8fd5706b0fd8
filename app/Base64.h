#pragma once
// The coding of the stored proxy password: RFC 2045 Base64, "=" padding, CR LF after
// every 76 output characters except at the end.
#include <string>
#include <string_view>

namespace dx {

std::string Base64Encode(std::string_view bytes);
// Characters outside the alphabet (line breaks, "=", junk) are skipped; a lone
// trailing character that cannot complete a byte is dropped.
std::string Base64Decode(std::string_view text);

}  // namespace dx
