#include "extras/win32/UpdaterSupport.h"

#include <windows.h>

#include "common/win32/ResourceIds.h"
#include "platform/win32/ProtectedLaunch.h"

namespace dx::win32 {

bool ProtectedStarter::StartProtected(const std::string& fileName, const std::string& bytes,
                                      const std::string& arguments) {
  ProtectedLaunch launch;
  if (!launch.Prepare(fileName, bytes)) return false;
  return static_cast<bool>(launch.Start(arguments));
}

std::string LoadResourceBytes(int id) {
  HRSRC found = ::FindResourceA(nullptr, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(10));  // RT_RCDATA
  if (!found) return {};
  HGLOBAL loaded = ::LoadResource(nullptr, found);
  const void* data = loaded ? ::LockResource(loaded) : nullptr;
  if (!data) return {};
  return std::string(static_cast<const char*>(data), ::SizeofResource(nullptr, found));
}

std::string LoadUpgradeHelperBytes() { return LoadResourceBytes(IDR_UPGRADE_HELPER); }

std::string ProgramPath() {
  char buffer[MAX_PATH * 4];
  const DWORD n = ::GetModuleFileNameA(nullptr, buffer, sizeof buffer);
  return n > 0 && n < sizeof buffer ? std::string(buffer, n) : std::string();
}

}  // namespace dx::win32
