// The upgrade helper: reading its hexadecimal arguments into program path, restart
// arguments and setup flag (values written as the program writes them come back exactly),
// then the choice among the ".uTMP" files of a fake program folder (names, locks and the
// program's presence taken from the input).
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

#include "common/HexText.h"
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
  bool RunProtected(const std::string& fileName, const std::string& bytes, const std::string&,
                    std::uint32_t) override {
    // Only a checked download's bytes, never the file in the folder.
    if (fileName.empty() || fileName.find('\\') != std::string::npos || bytes.empty()) std::abort();
    return input_.ConsumeBool();
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
  const bool written = input.ConsumeBool();
  std::vector<std::string> arguments;
  std::string path, restart;
  bool setup = false;
  if (written) {
    path = input.ConsumeRandomLengthString(64);
    restart = input.ConsumeRandomLengthString(32);
    setup = input.ConsumeBool();
    arguments = {"/program=" + dx::ToHexText(path), "/restart=" + dx::ToHexText(restart),
                 setup ? "/setup=1" : "/setup=0"};
  } else {
    arguments.resize(input.ConsumeIntegralInRange<std::size_t>(0, 6));
    for (auto& argument : arguments) argument = input.ConsumeRandomLengthString(64);
  }
  const HelperArguments parsed = dx::upgrade::ParseArguments(arguments);
  if (written && parsed.valid != (path.find('\\') != std::string::npos)) std::abort();
  if (written && parsed.valid &&
      (parsed.programPath != path || parsed.restartArguments != restart || parsed.externalSetup != setup)) {
    std::abort();
  }
  if (!parsed.valid) return 0;
  if (parsed.folder.empty() || parsed.folder.back() != '\\' || parsed.programPath.rfind(parsed.folder, 0) != 0) {
    std::abort();
  }

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
