#include "upgrade_helper/UpgradeHelper.h"

#include <algorithm>
#include <string_view>

#include "common/HexText.h"
#include "common/Text.h"
#include "common/Sha256.h"

namespace dx::upgrade {
namespace {

constexpr std::uint32_t kNormal = 0x80;
constexpr std::uint32_t kArchive = 0x20;
constexpr const char* kDownloadEnding = ".uTMP";

// The helper is handed the program by its full path: only a backslash ends the folder, so a
// drive-relative "C:name" has no folder to install into.
std::size_t NameStart(const std::string& path) {
  const std::size_t slash = path.find_last_of('\\');
  return slash == std::string::npos ? 0 : slash + 1;
}

bool EndsWithNoCase(std::string_view text, std::string_view ending) {
  return text.size() >= ending.size() && EqualsNoCase(text.substr(text.size() - ending.size()), ending);
}

// Only a plain name of a download in the program's folder, with a name left to install under.
bool IsPlainDownloadName(const std::string& name) {
  return name.size() > 5 && EndsWithNoCase(name, kDownloadEnding) && name.find_first_of("\\/:") == std::string::npos;
}

// "<digest>:<hex name>" after the argument's lead; nothing when it is not of that form.
std::optional<HandedOverFile> ReadHandedOverFile(std::string_view rest) {
  if (rest.size() < 66 || rest[64] != ':') return std::nullopt;
  auto name = FromHexText(rest.substr(65));
  HandedOverFile file{name.value_or(""), std::string(rest.substr(0, 64))};
  if (!name || !IsSha256Hex(file.digest) || !IsPlainDownloadName(file.name)) return std::nullopt;
  return file;
}

// The digest of everything the held file holds; nothing when it cannot be read. The
// bytes go to kept as well when it is given.
std::optional<std::string> DigestOf(IHeldFile& file, std::string* kept = nullptr) {
  Sha256 digest;
  std::string buffer(1 << 16, '\0');
  for (;;) {
    const auto got = file.Read(buffer.data(), buffer.size());
    if (!got) return std::nullopt;
    if (*got == 0) break;
    digest.Update(std::string_view(buffer.data(), *got));
    if (kept) kept->append(buffer.data(), *got);
  }
  return digest.FinishHex();
}

}  // namespace

HelperArguments ParseArguments(const std::vector<std::string>& arguments) {
  HelperArguments a;
  bool program = false, restart = false, setup = false;
  const auto value = [](const std::string& argument, std::string_view lead) -> std::optional<std::string_view> {
    if (!StartsWith(argument, lead)) return std::nullopt;
    return std::string_view(argument).substr(lead.size());
  };
  for (const std::string& argument : arguments) {
    if (auto rest = value(argument, kDigestArgument)) {
      auto file = ReadHandedOverFile(*rest);
      if (!file) return {};
      a.files.push_back(std::move(*file));
    } else if (auto path = value(argument, kProgramArgument); path && !program) {
      auto text = FromHexText(*path);
      if (!text) return {};
      a.programPath = std::move(*text);
      program = true;
    } else if (auto params = value(argument, kRestartArgument); params && !restart) {
      auto text = FromHexText(*params);
      if (!text) return {};
      a.restartArguments = std::move(*text);
      restart = true;
    } else if (auto digit = value(argument, kSetupArgument); digit && !setup && (*digit == "0" || *digit == "1")) {
      a.externalSetup = *digit == "1";
      setup = true;
    } else {
      return {};
    }
  }
  // A path with no folder has nothing to install into.
  if (!program || NameStart(a.programPath) == 0) return {};
  a.folder = a.programPath.substr(0, NameStart(a.programPath));
  a.valid = true;
  return a;
}

bool WaitUntilFree(IHelperSystem& system, const std::string& path, std::uint32_t limitMs) {
  system.SetLowPriority(true);
  const std::uint32_t started = system.TickCount();
  bool free = false;
  for (;;) {
    system.WaitTurn();
    if (!system.FileExists(path) || system.CanOpenExclusively(path)) {
      free = true;
      break;
    }
    if (system.TickCount() - started >= limitMs) break;
  }
  system.SetLowPriority(false);
  return free;
}

std::string SetupFailedText(const std::string& setupName) {
  return "The update could not be installed, because its setup program\n" + setupName +
         "\ndid not run to its end.\n\nRun the update again.";
}

std::string ProgramInUseText(const std::string& programPath) {
  return "The update could not be installed, because the file\n" + programPath +
         "\nis still in use.\n\nClose every copy of the program and run the update again.";
}

void RunUpgrade(const HelperArguments& arguments, IHelperSystem& system, const HelperLimits& limits) {
  if (!arguments.valid) return;
  const std::string& programPath = arguments.programPath;
  const std::string& folder = arguments.folder;
  const bool external = arguments.externalSetup;

  std::string executableName = programPath.substr(NameStart(programPath));
  if (system.FileExists(programPath)) {
    if (const std::string found = system.FoundName(programPath); !found.empty()) executableName = found;
    if (!WaitUntilFree(system, programPath, limits.programWaitMs)) {
      // Nothing is replaced under a running program; the downloaded files stay.
      system.ShowError(ProgramInUseText(programPath));
      return;
    }
  }

  // Only what the program downloaded and checked counts; anything else put into the folder
  // meanwhile stays where it is. Only a download of the program's own name becomes the
  // program: another name could turn a side file of the update into what runs elevated.
  std::string setupName, setupBytes;
  for (const HandedOverFile& file : arguments.files) {
    // The reading admits no other name, but nothing else may ever be moved.
    if (!IsPlainDownloadName(file.name)) continue;
    const std::string download = folder + file.name;
    auto held = system.Hold(download);
    if (!held) continue;
    const std::string target = file.name.substr(0, file.name.size() - 5);
    // The setup program runs from a protected folder, so only its checked bytes are kept.
    const bool isSetup = external && setupName.empty() && EndsWith(target, ".exe");
    std::string bytes;
    // Checked again on the very file that is put in place, held so that it cannot be
    // swapped between the check and the rename.
    const bool matches = DigestOf(*held, isSetup ? &bytes : nullptr) == file.digest;
    if (!matches || isSetup) {
      held.reset();
      system.SetAttributes(download, kNormal);
      system.RemoveFile(download);
      if (matches) {
        setupName = target;
        setupBytes = std::move(bytes);
      }
      continue;
    }
    const std::string path = folder + target;
    system.SetAttributes(path, kNormal);
    system.RemoveFile(path);
    const bool moved = held->RenameTo(path);
    held.reset();
    if (moved) system.SetAttributes(path, kArchive);
  }

  if (!setupName.empty() && !system.RunProtected(setupName, setupBytes, arguments.restartArguments,
                                                   limits.setupWaitMs)) {
    system.ShowError(SetupFailedText(setupName));
  }
  system.StartProgram(programPath, arguments.restartArguments);
}

}  // namespace dx::upgrade
