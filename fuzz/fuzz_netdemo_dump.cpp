// The console dump of a net-demo run: the stop line of the demo, the rate line before
// it and the cut after its "ms: ". The first input line names the demo.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "bench/ResultParsing.h"
#include "common/LineList.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::size_t newline = input.find('\n');
  const std::string demo(input.substr(0, newline));
  dx::LineList dump;
  dump.SetText(newline == std::string_view::npos ? std::string_view() : input.substr(newline + 1));
  const auto cut = dx::CutNetDemoScore(dump, demo);
  if (!cut) return 0;
  if (cut->size() > 6) std::abort();
  for (char separator : {'.', ','}) {
    if (!dx::ConvertScore(*cut, separator)) (void)dx::ConvertScore(dx::SwapFirstSeparator(*cut), separator);
  }
  return 0;
}
