#pragma once
// Which frame-capture library the game can load: the game's machine type from its PE
// header, and the library of that type in the program's folder.
#include <string>

#include "platform/FileSystem.h"

namespace dx {

enum class MachineType { Unknown, X86, X64 };

inline constexpr const char* kCaptureLibrary32 = "DextrelFrames32.dll";
inline constexpr const char* kCaptureLibrary64 = "DextrelFrames64.dll";

// From the bytes of an executable: "MZ", e_lfanew, "PE\0\0", then the machine field
// (0x14c x86, 0x8664 x64). Anything else, or a file too short to tell, is Unknown.
MachineType MachineTypeOf(const std::string& bytes);
// The same read from a file; Unknown when it cannot be read.
MachineType ReadMachineType(platform::IFileSystem& files, const std::string& exePath);

struct CaptureLibraryChoice {
  std::string path;    // full path of the library to give the game as r_glDriver; empty: none
  std::string reason;  // why there is none, when path is empty
};

// The library that matches the game in programFolder (ending in a backslash). A path that
// the game could not load is never chosen: the engine stops on such a library.
CaptureLibraryChoice ChooseCaptureLibrary(platform::IFileSystem& files, const std::string& gameExePath,
                                          const std::string& programFolder);

}  // namespace dx
