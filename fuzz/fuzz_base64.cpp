// The stored proxy password's coding: any text decodes without harm, and any bytes come
// back unchanged from their own encoding.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "common/Base64.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::string decoded = dx::Base64Decode(input);
  if (decoded.size() > input.size()) std::abort();
  if (dx::Base64Decode(dx::Base64Encode(input)) != input) std::abort();
  return 0;
}
