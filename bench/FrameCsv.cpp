#include "bench/FrameCsv.h"

#include "common/Numbers.h"
#include "common/Text.h"
#include "platform/Paths.h"

namespace dx {

std::string FrameCsvFolderName(const std::string& reportFile) {
  const std::string name = ExtractFileName(reportFile);
  return EndsWith(ToLowerAscii(name), ".htm") ? name.substr(0, name.size() - 4) : name + "_frames";
}

std::string FrameCsvFolder(const std::string& reportPath) {
  return ExtractFilePath(reportPath) + FrameCsvFolderName(reportPath) + "\\";
}

std::string FrameCsvName(const std::string& tag, int repetition) {
  return tag + "-run" + IntToStr(repetition) + ".csv";
}

std::string FrameCsv(const std::vector<double>& frameMs, std::uint32_t processId) {
  // What a swap stamp cannot know is filled as docs/RESULT-FILES.md says: no sync
  // interval, flags or tearing, displayed when presented, no time in the call.
  const std::string head = "quake4.exe," + IntToStr(processId) + ",0x0000000000000000,Other,0,0,0,Other,0,";
  std::string out = std::string(kFrameCsvHeader) + "\r\n";
  out.reserve(out.size() + frameMs.size() * (head.size() + 48));
  double elapsedMs = 0.0;
  for (double ms : frameMs) {
    elapsedMs += ms;
    const std::string between = FormatFixed(ms, 4, '.');
    out += head;
    out += FormatFixed(elapsedMs / 1000.0, 7, '.');
    out += ',';
    out += between;
    out += ',';
    out += between;
    out += ",0.0000,0.0000,0.0000\r\n";
  }
  return out;
}

}  // namespace dx
