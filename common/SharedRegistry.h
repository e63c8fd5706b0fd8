#pragma once
// The program's one registry accessor: root HKEY_LOCAL_MACHINE, one current key at a
// time. Every user opens its key by absolute path right before reading or writing.
#include <memory>
#include <string>

#include "platform/Registry.h"

namespace dx {

class SharedRegistry {
 public:
  explicit SharedRegistry(platform::IRegistry& registry) : registry_(registry) {}

  // A path with a leading backslash starts at the root; one without starts at the
  // current key, or at the root when none is open. On success the opened key replaces
  // the current one. A failed open leaves no key open, so a following write fails
  // instead of landing in the key that was open before.
  bool OpenKey(const std::string& path, bool canCreate,
               platform::RegistryView view = platform::RegistryView::Wow32);
  void CloseKey();
  bool HasCurrentKey() const { return key_ != nullptr; }
  // Path of the current key below the root, without leading backslash; empty when none.
  const std::string& CurrentPath() const { return currentPath_; }

  // REG_SZ or REG_EXPAND_SZ (not expanded); a missing value or no open key reads "".
  // Any other type throws dx::Error "Invalid data type for '<name>'".
  std::string ReadString(const std::string& name);
  // The value as stored, whatever its type.
  platform::RegistryValue ReadValue(const std::string& name);
  // Stores REG_SZ; throws dx::Error "Failed to set data for '<name>'" when it fails.
  void WriteString(const std::string& name, const std::string& value);
  bool ValueExists(const std::string& name);
  // Looks in the view asked for, never in the one of the last open: a check for the
  // settings key after the adapter keys were read natively must still find it.
  bool KeyExists(const std::string& path, platform::RegistryView view = platform::RegistryView::Wow32);

 private:
  std::string Resolve(const std::string& path) const;

  platform::IRegistry& registry_;
  std::unique_ptr<platform::IRegistryKey> key_;
  std::string currentPath_;
};

}  // namespace dx
