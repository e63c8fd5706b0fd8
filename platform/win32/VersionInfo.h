#pragma once
#include <string>

namespace dx::win32 {

// The "FileVersion" string of a module's version resource, from the string table of the
// first language and code page listed under \VarFileInfo\Translation. Empty when the
// module has no version resource.
std::string FileVersionOf(const std::string& modulePath);
// Full path of the running executable.
std::string OwnExecutablePath();

}  // namespace dx::win32
