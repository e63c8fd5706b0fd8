// The upgrade helper: joining its arguments into program path, restart arguments and
// setup flag, then the choice among the ".uTMP" files of a fake program folder (names,
// locks and the program's presence taken from the input).
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdio>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/Text.h"
#include "upgrade_helper/UpgradeHelper.h"

namespace {

using dx::upgrade::HelperArguments;

bool IsDownload(std::string_view name) {
  return name.size() >= 5 && dx::EqualsNoCase(name.substr(name.size() - 5), ".utmp");
}

// One folder in memory, names compared without case as on Windows.
class FolderSystem : public dx::upgrade::IHelperSystem {
 public:
  FolderSystem(std::string folder, FuzzedDataProvider& input) : folder_(std::move(folder)), input_(input) {}

  std::vector<std::string> names;  // files of the folder, in listing order
  std::vector<std::string> removed;

  bool FileExists(const std::string& path) override { return Find(path) != names.end(); }
  std::string FoundName(const std::string& path) override {
    auto it = Find(path);
    return it == names.end() ? std::string() : *it;
  }
  std::vector<std::string> ListFiles(const std::string& folder, const std::string& pattern) override {
    if (!dx::EqualsNoCase(folder, folder_) || pattern != "*.uTMP") std::abort();
    std::vector<std::string> found;
    for (const auto& name : names) {
      if (IsDownload(name)) found.push_back(name);
    }
    return found;
  }
  bool SetAttributes(const std::string& path, std::uint32_t) override { return FileExists(path); }
  bool RemoveFile(const std::string& path) override {
    auto it = Find(path);
    if (it == names.end()) return false;
    removed.push_back(*it);
    names.erase(it);
    return true;
  }
  bool RenameFile(const std::string& from, const std::string& to) override {
    // Only downloaded files are moved, and only within the folder.
    if (!IsDownload(from) || !Inside(from) || !Inside(to)) { fprintf(stderr, "RENAME [%s] -> [%s] folder [%s]\n", from.c_str(), to.c_str(), folder_.c_str()); std::abort(); }
    auto it = Find(from);
    if (it == names.end() || FileExists(to)) return false;
    *it = to.substr(folder_.size());
    return true;
  }
  bool CanOpenExclusively(const std::string&) override { return input_.ConsumeBool(); }
  void WaitTurn() override {}
  void SetLowPriority(bool) override {}
  std::uint32_t TickCount() override { return ticks_ += 7; }
  bool StartProgram(const std::string& program, const std::string&) override {
    if (program.empty()) std::abort();
    return true;
  }
  void ShowError(const std::string& text) override {
    if (text.empty()) std::abort();
  }

 private:
  bool Inside(const std::string& path) const {
    return path.size() > folder_.size() && dx::EqualsNoCase(std::string_view(path).substr(0, folder_.size()), folder_) &&
           path.find('\\', folder_.size()) == std::string::npos;
  }
  std::vector<std::string>::iterator Find(const std::string& path) {
    if (!Inside(path)) return names.end();
    const std::string_view name = std::string_view(path).substr(folder_.size());
    return std::find_if(names.begin(), names.end(), [&](const std::string& n) { return dx::EqualsNoCase(n, name); });
  }

  std::string folder_;
  FuzzedDataProvider& input_;
  std::uint32_t ticks_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  std::vector<std::string> arguments(input.ConsumeIntegralInRange<std::size_t>(1, 6));
  for (auto& argument : arguments) argument = input.ConsumeRandomLengthString(64);
  const HelperArguments parsed = dx::upgrade::ParseArguments(arguments);

  std::string joined;
  for (const auto& argument : arguments) joined += argument + " ";
  if (parsed.joined != joined) std::abort();
  if (parsed.programPath.size() > joined.size() || parsed.restartArguments.size() > joined.size()) std::abort();
  if (!parsed.folder.empty() && (parsed.folder.back() != '\\' || parsed.programPath.rfind(parsed.folder, 0) != 0)) {
    std::abort();
  }
  if (parsed.programPath.empty()) return 0;

  FolderSystem system(parsed.folder, input);
  const std::size_t count = input.ConsumeIntegralInRange<std::size_t>(0, 8);
  for (std::size_t i = 0; i < count; ++i) {
    std::string name = input.ConsumeRandomLengthString(24);
    if (input.ConsumeBool()) name += input.ConsumeBool() ? ".uTMP" : ".exe.utmp";
    if (!name.empty() && name.find('\\') == std::string::npos && !system.FileExists(parsed.folder + name)) {
      system.names.push_back(name);
    }
  }
  dx::upgrade::HelperLimits limits;
  limits.programWaitMs = 20;
  limits.setupWaitMs = 20;
  dx::upgrade::RunUpgrade(parsed, system, limits);
  return 0;
}
