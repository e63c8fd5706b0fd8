#include "common/SharedRegistry.h"

#include "common/Errors.h"
#include "platform/Paths.h"

namespace dx {
std::string SharedRegistry::Resolve(const std::string& path) const {
  if (!path.empty() && path.front() == '\\') return ExcludeTrailingBackslashes(path.substr(1));
  if (key_ && !currentPath_.empty()) return ExcludeTrailingBackslashes(currentPath_ + "\\" + path);
  return ExcludeTrailingBackslashes(path);
}

bool SharedRegistry::OpenKey(const std::string& path, bool canCreate, platform::RegistryView view) {
  const std::string target = Resolve(path);
  auto opened = registry_.OpenKey(target, canCreate, view);
  CloseKey();
  if (!opened) return false;
  key_ = std::move(opened);
  currentPath_ = target;
  return true;
}

void SharedRegistry::CloseKey() {
  key_.reset();
  currentPath_.clear();
}

platform::RegistryValue SharedRegistry::ReadValue(const std::string& name) {
  if (!key_) return {};
  return key_->ReadValue(name);
}

std::string SharedRegistry::ReadString(const std::string& name) {
  auto value = ReadValue(name);
  switch (value.type) {
    case platform::RegistryValueType::Missing:
      return {};
    case platform::RegistryValueType::String:
    case platform::RegistryValueType::ExpandString:
      return value.data;
    default:
      throw Error(FormatMessageText("Invalid data type for '%s'", name));
  }
}

void SharedRegistry::WriteString(const std::string& name, const std::string& value) {
  if (!key_ || !key_->WriteString(name, value)) {
    throw Error(FormatMessageText("Failed to set data for '%s'", name));
  }
}

bool SharedRegistry::ValueExists(const std::string& name) { return key_ && key_->ValueExists(name); }

bool SharedRegistry::KeyExists(const std::string& path, platform::RegistryView view) {
  return registry_.KeyExists(Resolve(path), view);
}

}  // namespace dx
