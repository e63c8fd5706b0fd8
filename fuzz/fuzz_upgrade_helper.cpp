// The upgrade helper: joining its arguments into program path, restart arguments and
// setup flag, then the choice among the ".uTMP" files of a fake program folder (names,
// locks and the program's presence taken from the input).
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdio>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/Text.h"
#include "common/Sha256.h"
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
  std::vector<dx::upgrade::HandedOverFile> handed;

  bool FileExists(const std::string& path) override { return Find(path) != names.end(); }
  std::string FoundName(const std::string& path) override {
    auto it = Find(path);
    return it == names.end() ? std::string() : *it;
  }
  // A held file is its entry of the folder, whatever else is removed meanwhile.
  class Held : public dx::upgrade::IHeldFile {
   public:
    Held(FolderSystem& system, std::string name) : system_(system), name_(std::move(name)) {}
    std::optional<std::size_t> Read(char* buffer, std::size_t size) override {
      const std::size_t n = std::min(size, name_.size() - offset_);
      std::copy_n(name_.data() + offset_, n, buffer);
      offset_ += n;
      return n;
    }
    bool RenameTo(const std::string& to) override {
      // Only downloaded files are moved, only within the folder, and only those handed over
      // with the digest of what they hold.
      if (!IsDownload(name_) || !system_.Inside(to)) std::abort();
      if (std::none_of(system_.handed.begin(), system_.handed.end(), [&](const dx::upgrade::HandedOverFile& file) {
            return dx::EqualsNoCase(file.name, name_) && file.digest == dx::Sha256Hex(name_);
          })) {
        std::abort();
      }
      auto it = std::find(system_.names.begin(), system_.names.end(), name_);
      if (it == system_.names.end() || system_.FileExists(to)) return false;
      *it = to.substr(system_.folder_.size());
      return true;
    }

   private:
    FolderSystem& system_;
    std::string name_;
    std::size_t offset_ = 0;
  };
  std::unique_ptr<dx::upgrade::IHeldFile> Hold(const std::string& path) override {
    auto it = Find(path);
    if (it == names.end()) return nullptr;
    return std::make_unique<Held>(*this, *it);
  }
  bool SetAttributes(const std::string& path, std::uint32_t) override { return FileExists(path); }
  bool RemoveFile(const std::string& path) override {
    auto it = Find(path);
    if (it == names.end()) return false;
    removed.push_back(*it);
    names.erase(it);
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
  bool leading = true;
  for (const auto& argument : arguments) {
    leading = leading && argument.rfind(dx::upgrade::kDigestArgument, 0) == 0;
    if (!leading) joined += argument + " ";
  }
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
  // The program hands over some of them, with their true digest (a file's bytes are its
  // name here) or another one.
  dx::upgrade::HelperArguments handed = parsed;
  for (const std::string& name : system.names) {
    if (input.ConsumeBool()) handed.files.push_back({name, dx::Sha256Hex(input.ConsumeBool() ? name : "other")});
  }
  system.handed = handed.files;
  dx::upgrade::HelperLimits limits;
  limits.programWaitMs = 20;
  limits.setupWaitMs = 20;
  dx::upgrade::RunUpgrade(handed, system, limits);
  return 0;
}
