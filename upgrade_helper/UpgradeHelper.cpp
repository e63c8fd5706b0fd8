#include "upgrade_helper/UpgradeHelper.h"

#include <string_view>

#include "common/Text.h"
#include "platform/Paths.h"

namespace dx::upgrade {
namespace {

constexpr std::uint32_t kNormal = 0x80;
constexpr std::uint32_t kArchive = 0x20;
constexpr std::uint32_t kHidden = 0x02;
constexpr const char* kDownloadEnding = ".uTMP";

}  // namespace

HelperArguments ParseArguments(const std::vector<std::string>& arguments) {
  HelperArguments a;
  for (const std::string& argument : arguments) a.joined += argument + " ";
  a.externalSetup = a.joined.size() >= 2 && a.joined[a.joined.size() - 2] == '1';
  const std::size_t plus = a.joined.find('+');
  if (plus != std::string::npos) {
    const std::string after = a.joined.substr(plus + 1);
    a.restartArguments = after.size() >= 2 ? after.substr(0, after.size() - 2) : std::string();
  }
  a.programPath = a.joined.substr(0, plus);
  // The blank before the "+" (and the final one) is no part of the path.
  while (!a.programPath.empty() && a.programPath.back() == ' ') a.programPath.pop_back();
  a.folder = ExtractFilePath(a.programPath);
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
    if (executableName.empty()) executableName = ExtractFileName(programPath);
    if (!WaitUntilFree(system, programPath, limits.programWaitMs)) {
      // Nothing is replaced under a running program; the downloaded files stay.
      system.ShowError(ProgramInUseText(programPath));
      return;
    }
  } else {
    executableName = ExtractFileName(programPath);
  }

  bool taken = system.FileExists(folder + executableName + kDownloadEnding);
  std::string savedProgramPath;
  bool setupTaken = false;
  for (const std::string& name : system.ListFiles(folder, std::string("*") + kDownloadEnding)) {
    if (name.size() <= 5 || !EqualsNoCase(std::string_view(name).substr(name.size() - 5), kDownloadEnding)) continue;
    std::string target = name.substr(0, name.size() - 5);
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
    system.RenameFile(folder + name, path);
    system.SetAttributes(path, isSetup ? kHidden | kArchive : kArchive);
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
