// The DirectX diagnostic tool's text report: the four marker searches, their cuts and
// the shrinking of the line list; the adapter names are cut before their bracket.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "common/LineList.h"
#include "sysinfo/DirectXDiagnostics.h"
#include "sysinfo/RadInfo.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  dx::LineList lines;
  lines.SetText(text);
  const std::size_t before = lines.Count();
  const dx::DiagnosticValues values = dx::ParseDiagnosticReport(lines);
  // The list only ever shrinks, and the line of the last marker found stays in it.
  if (lines.Count() > before) std::abort();
  if ((values.GraphicsCard || values.VideoMemory || values.DriverVersion || values.SoundSystem) && lines.Empty()) {
    std::abort();
  }
  for (const auto* value : {&values.GraphicsCard, &values.VideoMemory, &values.DriverVersion, &values.SoundSystem}) {
    if (*value) (void)dx::CutBeforeBracket(**value);
  }
  return 0;
}
