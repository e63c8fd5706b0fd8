#pragma once
// What the update component needs from the Windows side beyond the platform: the upgrade
// helper's bytes from the program's resources, starting it, the temporary folder.
#include <string>

#include "extras/UpdaterUi.h"

namespace dx::win32 {

// Starts a command line with WinExec, shown normally.
class WinExecStarter : public IProgramStarter {
 public:
  bool StartProgram(const std::string& commandLine) override;
};

// The RCDATA resource's bytes from the program's own module; empty when it has none.
std::string LoadResourceBytes(int id);
// The embedded upgrade helper.
std::string LoadUpgradeHelperBytes();
// The user's temporary folder with a trailing backslash; empty when the system has none.
std::string TemporaryFolder();
// The full path of the program's executable.
std::string ProgramPath();

}  // namespace dx::win32
