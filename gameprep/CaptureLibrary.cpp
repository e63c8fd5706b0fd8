#include "gameprep/CaptureLibrary.h"

#include <cstdint>

namespace dx {
namespace {

std::uint32_t Little(const std::string& bytes, std::size_t at, int size) {
  std::uint32_t value = 0;
  for (int i = size - 1; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

}  // namespace

MachineType MachineTypeOf(const std::string& bytes) {
  if (bytes.size() < 0x40 || bytes[0] != 'M' || bytes[1] != 'Z') return MachineType::Unknown;
  const std::uint32_t peAt = Little(bytes, 0x3C, 4);
  // Compared against the size first, so a huge offset cannot wrap around.
  if (peAt > bytes.size() || bytes.size() - peAt < 6) return MachineType::Unknown;
  if (bytes.compare(peAt, 4, std::string("PE\0\0", 4)) != 0) return MachineType::Unknown;
  switch (Little(bytes, peAt + 4, 2)) {
    case 0x14C:
      return MachineType::X86;
    case 0x8664:
      return MachineType::X64;
    default:
      return MachineType::Unknown;
  }
}

MachineType ReadMachineType(platform::IFileSystem& files, const std::string& exePath) {
  const platform::FileReadResult read = files.ReadFile(exePath);
  return read.ok ? MachineTypeOf(read.data) : MachineType::Unknown;
}

CaptureLibraryChoice ChooseCaptureLibrary(platform::IFileSystem& files, const std::string& gameExePath,
                                          const std::string& programFolder) {
  const MachineType machine = ReadMachineType(files, gameExePath);
  if (machine == MachineType::Unknown) {
    return {{}, "the machine type of " + gameExePath + " is unknown, so no frame-capture library matches the game"};
  }
  const std::string path = programFolder + (machine == MachineType::X86 ? kCaptureLibrary32 : kCaptureLibrary64);
  // The path goes into the game's command line between quotes.
  if (path.find('"') != std::string::npos) return {{}, "the program's path holds a quote: " + path};
  if (!files.FileExists(path)) return {{}, "the frame-capture library " + path + " is missing"};
  // A damaged or swapped library would stop the game at its start.
  if (ReadMachineType(files, path) != machine) {
    return {{}, "the frame-capture library " + path + " is not built for the game's machine type"};
  }
  return {path, {}};
}

}  // namespace dx
