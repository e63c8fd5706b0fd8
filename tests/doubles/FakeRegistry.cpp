#include "tests/doubles/FakeRegistry.h"

namespace dx::test {

class FakeRegistryKey : public platform::IRegistryKey {
 public:
  FakeRegistryKey(FakeRegistry& owner, std::string path, platform::RegistryView view)
      : owner_(owner), path_(std::move(path)), view_(view) {}

  platform::RegistryValue ReadValue(const std::string& name) override {
    auto* values = Values();
    if (!values) return {};
    auto it = values->find(name);
    return it == values->end() ? platform::RegistryValue{} : it->second;
  }

  bool WriteString(const std::string& name, const std::string& value) override {
    auto* values = Values();
    if (!values || owner_.refused_.count(path_)) return false;
    (*values)[name] = {platform::RegistryValueType::String, value};
    ++owner_.writes_;
    return true;
  }

  bool ValueExists(const std::string& name) override {
    auto* values = Values();
    return values && values->count(name) > 0;
  }

 private:
  // The key may have been removed by the test while open; then reads find nothing.
  FakeRegistry::Values* Values() {
    auto& tree = owner_.Tree(view_);
    auto it = tree.find(path_);
    return it == tree.end() ? nullptr : &it->second;
  }

  FakeRegistry& owner_;
  std::string path_;
  platform::RegistryView view_;
};

void FakeRegistry::AddKey(const std::string& path, platform::RegistryView view) {
  auto& tree = Tree(view);
  for (std::size_t pos = path.find('\\'); pos != std::string::npos; pos = path.find('\\', pos + 1)) {
    tree[path.substr(0, pos)];
  }
  tree[path];
}

void FakeRegistry::SetString(const std::string& path, const std::string& name, const std::string& value,
                             platform::RegistryView view) {
  SetValue(path, name, {platform::RegistryValueType::String, value}, view);
}

void FakeRegistry::SetValue(const std::string& path, const std::string& name, platform::RegistryValue value,
                            platform::RegistryView view) {
  AddKey(path, view);
  Tree(view)[path][name] = std::move(value);
}

void FakeRegistry::RemoveKey(const std::string& path, platform::RegistryView view) { Tree(view).erase(path); }

bool FakeRegistry::HasKey(const std::string& path, platform::RegistryView view) const {
  return Tree(view).count(path) > 0;
}

std::string FakeRegistry::Get(const std::string& path, const std::string& name,
                              platform::RegistryView view) const {
  const auto* values = ValuesOf(path, view);
  if (!values) return "<missing>";
  auto it = values->find(name);
  return it == values->end() ? "<missing>" : it->second.data;
}

const FakeRegistry::Values* FakeRegistry::ValuesOf(const std::string& path, platform::RegistryView view) const {
  auto it = Tree(view).find(path);
  return it == Tree(view).end() ? nullptr : &it->second;
}

std::unique_ptr<platform::IRegistryKey> FakeRegistry::OpenKey(const std::string& path, bool create,
                                                              platform::RegistryView view) {
  if (path.empty()) return nullptr;
  if (!HasKey(path, view)) {
    if (!create) return nullptr;
    AddKey(path, view);
  }
  return std::make_unique<FakeRegistryKey>(*this, path, view);
}

bool FakeRegistry::KeyExists(const std::string& path, platform::RegistryView view) { return HasKey(path, view); }

}  // namespace dx::test
