#include "upgrade_helper/UpgradeHelper.h"

#include <algorithm>
#include <string_view>

#include "common/Text.h"
#include "common/Sha256.h"

namespace dx::upgrade {
namespace {

constexpr std::uint32_t kNormal = 0x80;
constexpr std::uint32_t kArchive = 0x20;
constexpr std::uint32_t kHidden = 0x02;
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

// "<digest>:<name>" after the argument's lead; nothing when it is not of that form.
std::optional<HandedOverFile> ReadHandedOverFile(const std::string& argument) {
  const std::string_view lead = kDigestArgument;
  if (!StartsWith(argument, lead)) return std::nullopt;
  const std::string rest = argument.substr(lead.size());
  if (rest.size() < 66 || rest[64] != ':') return std::nullopt;
  HandedOverFile file{rest.substr(65), rest.substr(0, 64)};
  if (!IsSha256Hex(file.digest) || !IsPlainDownloadName(file.name)) return std::nullopt;
  return file;
}

// The digest of everything the held file holds; nothing when it cannot be read.
std::optional<std::string> DigestOf(IHeldFile& file) {
  Sha256 digest;
  std::string buffer(1 << 16, '\0');
  for (;;) {
    const auto got = file.Read(buffer.data(), buffer.size());
    if (!got) return std::nullopt;
    if (*got == 0) break;
    digest.Update(std::string_view(buffer.data(), *got));
  }
  return digest.FinishHex();
}

}  // namespace

HelperArguments ParseArguments(const std::vector<std::string>& arguments) {
  HelperArguments a;
  std::size_t first = 0;
  for (; first < arguments.size() && StartsWith(arguments[first], kDigestArgument); ++first) {
    // A malformed one is no file to install.
    if (auto file = ReadHandedOverFile(arguments[first])) a.files.push_back(std::move(*file));
  }
  for (std::size_t i = first; i < arguments.size(); ++i) a.joined += arguments[i] + " ";
  a.externalSetup = a.joined.size() >= 2 && a.joined[a.joined.size() - 2] == '1';
  const std::size_t plus = a.joined.find('+');
  if (plus != std::string::npos) {
    const std::string after = a.joined.substr(plus + 1);
    a.restartArguments = after.size() >= 2 ? after.substr(0, after.size() - 2) : std::string();
  }
  a.programPath = a.joined.substr(0, plus);
  // The blank before the "+" (and the final one) is no part of the path.
  while (!a.programPath.empty() && a.programPath.back() == ' ') a.programPath.pop_back();
  a.folder = a.programPath.substr(0, NameStart(a.programPath));
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

std::string ProgramInUseText(const std::string& programPath) {
  return "The update could not be installed, because the file\n" + programPath +
         "\nis still in use.\n\nClose every copy of the program and run the update again.";
}

void RunUpgrade(const HelperArguments& arguments, IHelperSystem& system, const HelperLimits& limits) {
  std::string programPath = arguments.programPath;
  const std::string& folder = arguments.folder;
  const bool external = arguments.externalSetup;

  std::string executableName;
  if (system.FileExists(programPath)) {
    executableName = system.FoundName(programPath);
    if (executableName.empty()) executableName = programPath.substr(NameStart(programPath));
    if (!WaitUntilFree(system, programPath, limits.programWaitMs)) {
      // Nothing is replaced under a running program; the downloaded files stay.
      system.ShowError(ProgramInUseText(programPath));
      return;
    }
  } else {
    executableName = programPath.substr(NameStart(programPath));
  }

  // Only what the program downloaded and checked counts; anything else put into the folder
  // meanwhile stays where it is.
  bool taken = std::any_of(arguments.files.begin(), arguments.files.end(), [&](const HandedOverFile& file) {
    return EqualsNoCase(file.name, executableName + kDownloadEnding);
  });
  std::string savedProgramPath;
  bool setupTaken = false;
  for (const HandedOverFile& file : arguments.files) {
    if (!IsPlainDownloadName(file.name)) continue;
    const std::string download = folder + file.name;
    auto held = system.Hold(download);
    if (!held) continue;
    // Checked again on the very file that is put in place, held so that it cannot be
    // swapped between the check and the rename.
    if (DigestOf(*held) != file.digest) {
      held.reset();
      system.SetAttributes(download, kNormal);
      system.RemoveFile(download);
      continue;
    }
    std::string target = file.name.substr(0, file.name.size() - 5);
    bool isSetup = false;
    // A program path without a file name gives no name to install under: the folder
    // itself would be the target.
    if (!taken && (external || !executableName.empty()) && target.size() >= 3 &&
        target.compare(target.size() - 3, 3, "exe") == 0) {
      if (!external) {
        target = executableName;
      } else {
        savedProgramPath = programPath;
        programPath = folder + target;
        isSetup = setupTaken = true;
      }
      taken = true;
    }
    const std::string path = folder + target;
    system.SetAttributes(path, kNormal);
    system.RemoveFile(path);
    const bool moved = held->RenameTo(path);
    held.reset();
    if (moved) system.SetAttributes(path, isSetup ? kHidden | kArchive : kArchive);
  }

  system.StartProgram(programPath, arguments.restartArguments);

  // Without a downloaded setup program there is nothing to wait for, and the program's
  // own executable is left alone.
  if (external && setupTaken) {
    if (!WaitUntilFree(system, programPath, limits.setupWaitMs)) {
      system.ShowError(ProgramInUseText(programPath));
      return;
    }
    system.SetAttributes(programPath, kNormal);
    system.RemoveFile(programPath);
    system.StartProgram(savedProgramPath, arguments.restartArguments);
  }
}

}  // namespace dx::upgrade
