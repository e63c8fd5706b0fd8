#include "extras/win32/UpdaterSupport.h"

#include <windows.h>

#include "common/win32/ResourceIds.h"
#include "platform/Paths.h"

namespace dx::win32 {

bool WinExecStarter::StartProgram(const std::string& commandLine) {
  return ::WinExec(commandLine.c_str(), SW_SHOWNORMAL) > 31;
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

std::string TemporaryFolder() {
  char buffer[MAX_PATH + 2];
  const DWORD n = ::GetTempPathA(sizeof buffer, buffer);
  if (n == 0 || n >= sizeof buffer) return {};
  return IncludeTrailingBackslash(std::string(buffer, n));
}

std::string ProgramPath() {
  char buffer[MAX_PATH * 4];
  const DWORD n = ::GetModuleFileNameA(nullptr, buffer, sizeof buffer);
  return n > 0 && n < sizeof buffer ? std::string(buffer, n) : std::string();
}

}  // namespace dx::win32
