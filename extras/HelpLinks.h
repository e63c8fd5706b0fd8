#pragma once
// The Help group's services: the help file beside the program and two web pages.
#include <string>

#include "platform/FileSystem.h"
#include "platform/Shell.h"

namespace dx {

inline constexpr const char* kHelpFile = "help.chm";
inline constexpr const char* kHelpMissing = "The help file is missing!";

// Opens ProgramDir + "help.chm", or says it is missing.
void OpenHelpFile(platform::IFileSystem& files, platform::IShell& shell, const std::string& programDir);
void OpenTweakGuide(platform::IShell& shell);
void OpenHomePage(platform::IShell& shell);

}  // namespace dx
