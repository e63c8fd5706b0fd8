#pragma once
// The machine's registry as the system uses it: keys of the local machine addressed by
// path, string values. The Win32 side opens keys in the 32-bit view, where the game's
// installer and older copies of this program keep theirs.
#include <memory>
#include <string>

namespace dx::platform {

enum class RegistryView {
  Wow32,   // the 32-bit view: the game's key and the program's settings
  Native,  // the machine's own view: the operating system's product name
};

enum class RegistryValueType { Missing, String, ExpandString, Binary, Dword, Other };

struct RegistryValue {
  RegistryValueType type = RegistryValueType::Missing;
  std::string data;  // the bytes as stored; for strings without the terminating zero
};

// One open key. Closing is destruction.
class IRegistryKey {
 public:
  virtual ~IRegistryKey() = default;
  virtual RegistryValue ReadValue(const std::string& name) = 0;
  // Stores a REG_SZ. False when the system refuses it.
  virtual bool WriteString(const std::string& name, const std::string& value) = 0;
  virtual bool ValueExists(const std::string& name) = 0;
};

class IRegistry {
 public:
  virtual ~IRegistry() = default;
  // path is relative to HKEY_LOCAL_MACHINE, without a leading backslash ("SOFTWARE\\id\\Quake 4").
  // Returns null when the key cannot be opened (or created).
  virtual std::unique_ptr<IRegistryKey> OpenKey(const std::string& path, bool create,
                                                RegistryView view = RegistryView::Wow32) = 0;
  virtual bool KeyExists(const std::string& path, RegistryView view = RegistryView::Wow32) = 0;
};

}  // namespace dx::platform
