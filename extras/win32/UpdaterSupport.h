#pragma once
// What the update component needs from the Windows side beyond the platform: the upgrade
// helper's bytes from the program's resources, starting it.
#include <string>

#include "extras/UpdaterUi.h"

namespace dx::win32 {

// Starts the helper from a folder of its own that only administrators and the system can
// write (platform/win32/ProtectedLaunch.h).
class ProtectedStarter : public IProgramStarter {
 public:
  bool StartProtected(const std::string& fileName, const std::string& bytes, const std::string& arguments) override;
};

// The RCDATA resource's bytes from the program's own module; empty when it has none.
std::string LoadResourceBytes(int id);
// The embedded upgrade helper.
std::string LoadUpgradeHelperBytes();
// The full path of the program's executable.
std::string ProgramPath();

}  // namespace dx::win32
