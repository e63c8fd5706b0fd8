#include "platform/win32/Win32Registry.h"

#include <vector>

#include "platform/win32/Scoped.h"

namespace dx::win32 {
namespace {

REGSAM ViewFlag(platform::RegistryView view) {
  return view == platform::RegistryView::Wow32 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
}

class Win32RegistryKey : public platform::IRegistryKey {
 public:
  explicit Win32RegistryKey(HKEY key) : key_(key) {}

  platform::RegistryValue ReadValue(const std::string& name) override {
    DWORD type = 0;
    DWORD size = 0;
    if (::RegQueryValueExA(key_.get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return {};
    std::vector<char> data(size + 1, '\0');
    // The value may grow between the two calls; read again with the larger size then.
    LONG status = ERROR_MORE_DATA;
    while (status == ERROR_MORE_DATA) {
      size = static_cast<DWORD>(data.size());
      status = ::RegQueryValueExA(key_.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()),
                                  &size);
      if (status == ERROR_MORE_DATA) data.resize(size + 1);
    }
    if (status != ERROR_SUCCESS) return {};
    platform::RegistryValue value;
    value.data.assign(data.data(), size);
    switch (type) {
      case REG_SZ: value.type = platform::RegistryValueType::String; break;
      case REG_EXPAND_SZ: value.type = platform::RegistryValueType::ExpandString; break;
      case REG_BINARY: value.type = platform::RegistryValueType::Binary; break;
      case REG_DWORD: value.type = platform::RegistryValueType::Dword; break;
      default: value.type = platform::RegistryValueType::Other; break;
    }
    if (value.type == platform::RegistryValueType::String || value.type == platform::RegistryValueType::ExpandString) {
      // The stored size counts the terminating zero (sometimes more than one).
      const auto end = value.data.find('\0');
      if (end != std::string::npos) value.data.resize(end);
    }
    return value;
  }

  bool WriteString(const std::string& name, const std::string& value) override {
    return ::RegSetValueExA(key_.get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                            static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
  }

  bool ValueExists(const std::string& name) override {
    return ::RegQueryValueExA(key_.get(), name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
  }

 private:
  ScopedRegKey key_;
};

}  // namespace

std::unique_ptr<platform::IRegistryKey> Win32Registry::OpenKey(const std::string& path, bool create,
                                                               platform::RegistryView view) {
  HKEY key = nullptr;
  const REGSAM access = KEY_ALL_ACCESS | ViewFlag(view);
  LONG status;
  if (create) {
    status = ::RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access,
                               nullptr, &key, nullptr);
  } else {
    status = ::RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, access, &key);
  }
  if (status != ERROR_SUCCESS) return nullptr;
  return std::make_unique<Win32RegistryKey>(key);
}

bool Win32Registry::KeyExists(const std::string& path, platform::RegistryView view) {
  ScopedRegKey key;
  return ::RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ | ViewFlag(view), key.put()) ==
         ERROR_SUCCESS;
}

}  // namespace dx::win32
