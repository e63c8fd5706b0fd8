#include "platform/win32/VersionInfo.h"

#include <windows.h>

#include <cstdio>
#include <vector>

namespace dx::win32 {

std::string FileVersionOf(const std::string& modulePath) {
  DWORD ignored = 0;
  const DWORD size = ::GetFileVersionInfoSizeA(modulePath.c_str(), &ignored);
  if (size == 0) return {};
  std::vector<char> block(size);
  if (!::GetFileVersionInfoA(modulePath.c_str(), 0, size, block.data())) return {};
  struct Translation {
    WORD language;
    WORD codePage;
  };
  Translation* translations = nullptr;
  UINT length = 0;
  if (!::VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translations),
                        &length) ||
      length < sizeof(Translation)) {
    return {};
  }
  char query[64];
  std::snprintf(query, sizeof query, "\\StringFileInfo\\%04x%04x\\FileVersion", translations[0].language,
                translations[0].codePage);
  char* value = nullptr;
  if (!::VerQueryValueA(block.data(), query, reinterpret_cast<void**>(&value), &length) || !value) return {};
  return std::string(value, strnlen(value, length));
}

std::string OwnExecutablePath() {
  std::vector<char> buffer(MAX_PATH);
  for (;;) {
    const DWORD n = ::GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n < buffer.size()) return std::string(buffer.data(), n);
    buffer.resize(buffer.size() * 2);
  }
}

}  // namespace dx::win32
