// The game's console log after a timed demo: the score cut after "seconds =", its
// cleaning and its conversion with either decimal separator.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "bench/ResultParsing.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view log(reinterpret_cast<const char*>(data), size);
  const auto cut = dx::CutTimedDemoScore(log);
  if (!cut) return 0;
  // Seven characters at most are cut, and cleaning only removes.
  if (cut->size() > 7) std::abort();
  for (char separator : {'.', ','}) {
    if (!dx::ConvertScore(*cut, separator)) (void)dx::ConvertScore(dx::SwapFirstSeparator(*cut), separator);
  }
  return 0;
}
