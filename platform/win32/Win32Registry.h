#pragma once
#include "platform/Registry.h"

namespace dx::win32 {

// HKEY_LOCAL_MACHINE, full access, in the requested view.
class Win32Registry : public platform::IRegistry {
 public:
  std::unique_ptr<platform::IRegistryKey> OpenKey(const std::string& path, bool create,
                                                  platform::RegistryView view) override;
  bool KeyExists(const std::string& path, platform::RegistryView view) override;
};

}  // namespace dx::win32
