#pragma once
// An in-memory registry: keys by path (case-insensitive, as on Windows), values typed.
#include <algorithm>
#include <map>
#include <set>
#include <string>

#include "common/Text.h"
#include "platform/Registry.h"

namespace dx::test {

// The order of the lower-cased texts, without making them: every lookup compares.
struct NoCaseLess {
  static unsigned char Lower(char c) {
    const auto u = static_cast<unsigned char>(c);
    return u >= 'A' && u <= 'Z' ? static_cast<unsigned char>(u - 'A' + 'a') : u;
  }
  bool operator()(const std::string& a, const std::string& b) const {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](char x, char y) { return Lower(x) < Lower(y); });
  }
};

class FakeRegistry : public platform::IRegistry {
 public:
  using Values = std::map<std::string, platform::RegistryValue, NoCaseLess>;

  // Test set-up: creates the key (and its parents) in the given view.
  void AddKey(const std::string& path, platform::RegistryView view = platform::RegistryView::Wow32);
  void SetString(const std::string& path, const std::string& name, const std::string& value,
                 platform::RegistryView view = platform::RegistryView::Wow32);
  void SetValue(const std::string& path, const std::string& name, platform::RegistryValue value,
                platform::RegistryView view = platform::RegistryView::Wow32);
  void RemoveKey(const std::string& path, platform::RegistryView view = platform::RegistryView::Wow32);
  // Lets every write to the key fail, as a key opened read-only would.
  void RefuseWrites(const std::string& path) { refused_.insert(path); }

  bool HasKey(const std::string& path, platform::RegistryView view = platform::RegistryView::Wow32) const;
  // The string stored, or "<missing>" when the key or value is absent.
  std::string Get(const std::string& path, const std::string& name,
                  platform::RegistryView view = platform::RegistryView::Wow32) const;
  const Values* ValuesOf(const std::string& path, platform::RegistryView view = platform::RegistryView::Wow32) const;
  int writes() const { return writes_; }

  std::unique_ptr<platform::IRegistryKey> OpenKey(const std::string& path, bool create,
                                                  platform::RegistryView view) override;
  bool KeyExists(const std::string& path, platform::RegistryView view) override;

 private:
  friend class FakeRegistryKey;
  using Keys = std::map<std::string, Values, NoCaseLess>;
  Keys& Tree(platform::RegistryView view) { return view == platform::RegistryView::Wow32 ? wow32_ : native_; }
  const Keys& Tree(platform::RegistryView view) const {
    return view == platform::RegistryView::Wow32 ? wow32_ : native_;
  }

  Keys wow32_;
  Keys native_;
  std::set<std::string, NoCaseLess> refused_;
  int writes_ = 0;
};

}  // namespace dx::test
