#include "gameprep/DemoHousekeeping.h"

#include "common/Text.h"
#include "gameprep/ConfigWriter.h"
#include "gameprep/GameInterface.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"

namespace dx {

namespace {

// What in name would end or add a console command; nothing when it is a plain name.
const char* CommandBreak(const std::string& name) {
  if (!name.empty() && name.front() == '+') return "a leading \"+\"";
  for (std::size_t i = 0; i < name.size(); ++i) {
    const char c = name[i];
    if (c == ';') return "\";\"";
    if (c == '"') return "a double quote";
    if (c == '\r' || c == '\n') return "a line end";
    if (static_cast<unsigned char>(c) < 0x20) return "a control character";
    if ((c == ' ' || c == '\t') && i + 1 < name.size() && name[i + 1] == '+') return "a blank followed by \"+\"";
  }
  return nullptr;
}

}  // namespace

std::string UnsafeDemoNameMessage(const DemoChoice& choice) {
  if (!choice.userChecked || choice.userDemoPath.empty()) return {};
  const std::string name = ExtractFileName(choice.userDemoPath);
  const char* found = CommandBreak(name);
  if (!found) return {};
  return "ERROR. The demo \"" + name + "\" cannot be played: its file name holds " + found +
         ", which the game would read as a console command. Please, rename the demo file.";
}

void DemoHousekeeping::RemoveIfExists(const std::string& path) {
  if (files_.FileExists(path)) files_.RemoveFile(path);
}

void DemoHousekeeping::PrepareDemo(const DemoChoice& choice, const GameFolders& folders) {
  if (choice.builtinChecked) {
    DemoArgument = game::kBuiltinDemo;
    NetDemoMode = false;
    if (!files_.FileExists(folders.gameDemoPath + game::kBuiltinDemo)) {
      files_.ShellCopy(folders.programDir + game::kProgramDemoFolder + game::kBuiltinDemo, folders.gameDemoPath,
                       kFileOpTitle);
    }
    CustomDemoError = false;
  }
  if (choice.userChecked) {
    if (choice.userDemoPath.empty() || !UnsafeDemoNameMessage(choice).empty()) {
      CustomDemoError = true;
      return;
    }
    // A demo deleted after it was chosen is reported like any unusable demo, before
    // anything of the benchmark has started.
    if (!files_.FileExists(choice.userDemoPath)) {
      CustomDemoError = true;
      return;
    }
    DemoArgument = ExtractFileName(choice.userDemoPath);
    NetDemoMode = Contains(DemoArgument, game::kNetDemoMarker);
    const std::string target = folders.gameDemoPath + DemoArgument;
    bool failed = false;
    if (!files_.FileExists(target)) {
      const auto result = files_.ShellCopy(choice.userDemoPath, folders.gameDemoPath, kFileOpTitle);
      // A copy the user cancelled reports no system error but leaves no demo either.
      failed = !result.Succeeded() || !files_.FileExists(target);
    }
    CustomDemoError = failed;
  }
}

bool DemoHousekeeping::PutAside(const std::string& path, const std::string& gameBasePath) {
  for (int n = 1; n < 1000; ++n) {
    const std::string aside = gameBasePath + "Quake4Configold" + IntToStr(n) + ".cfg";
    if (files_.FileExists(aside)) continue;
    files_.ShellMove(path, aside, kFileOpTitle);
    break;
  }
  return !files_.FileExists(path);
}

bool DemoHousekeeping::SameContents(const std::string& a, const std::string& b) {
  const auto first = files_.ReadFile(a);
  const auto second = files_.ReadFile(b);
  return first.ok && second.ok && first.data == second.data;
}

void DemoHousekeeping::BackupGameConfig(const std::string& gameBasePath) {
  const std::string config = gameBasePath + game::kGameConfig;
  const std::string backup = gameBasePath + game::kGameConfigBackup;
  if (!files_.FileExists(config)) return;
  // Never copy over a back-up that could not be put aside.
  if (files_.FileExists(backup) && !SameContents(backup, config) && !PutAside(backup, gameBasePath)) return;
  files_.ShellCopy(config, backup, kFileOpTitle);
}

void DemoHousekeeping::RestoreGameConfig(const std::string& gameBasePath) {
  const std::string backup = gameBasePath + game::kGameConfigBackup;
  if (files_.FileExists(backup)) files_.ShellMove(backup, gameBasePath + game::kGameConfig, kFileOpTitle);
}

bool DemoHousekeeping::WrittenOrAbsent(const std::string& path) {
  if (!files_.FileExists(path)) return true;
  const auto current = files_.ReadFile(path);
  return current.ok && (current.data.empty() || IsWrittenConfiguration(current.data));
}

void DemoHousekeeping::RestoreAutoexec(const std::string& gameBasePath, bool removeUnbacked,
                                       const std::string& backupName) {
  const std::string current = gameBasePath + game::kAutoexec;
  const std::string backup = gameBasePath + (backupName.empty() ? std::string(game::kAutoexecBackup) : backupName);
  if (files_.FileExists(backup)) {
    if (backupName.empty() && !WrittenOrAbsent(current)) return;
    RemoveIfExists(current);
    files_.ShellMove(backup, current, kFileOpTitle);
  } else if (removeUnbacked) {
    RemoveIfExists(current);
  }
}

void DemoHousekeeping::RecoverUnfinishedBenchmark(const std::string& gameBasePath) {
  const std::string autoexec = gameBasePath + game::kAutoexec;
  const std::string latest = AutoexecBackupName(HighestAutoexecBackup(files_, gameBasePath));
  if (files_.FileExists(gameBasePath + latest) && WrittenOrAbsent(autoexec)) {
    RestoreAutoexec(gameBasePath, false, latest);
  }
  const std::string config = gameBasePath + game::kGameConfig;
  const std::string backup = gameBasePath + game::kGameConfigBackup;
  if (!files_.FileExists(backup)) return;
  // The game rewrites its configuration when it ends, with the benchmark's settings in it.
  if (files_.FileExists(config) && !SameContents(config, backup) && !PutAside(config, gameBasePath)) return;
  RestoreGameConfig(gameBasePath);
}

void DemoHousekeeping::RemoveBuiltinDemo(const std::string& gameDemoPath) {
  RemoveIfExists(gameDemoPath + game::kBuiltinDemo);
}

void DemoHousekeeping::RemoveNetDemoFiles(const std::string& gameBasePath) {
  RemoveIfExists(gameBasePath + game::kNetDemoScript);
  RemoveIfExists(gameBasePath + game::kNetDemoDump);
}

void DemoHousekeeping::RemoveConsoleLog(const std::string& gameBasePath) {
  RemoveIfExists(gameBasePath + game::kConsoleLog);
}

}  // namespace dx
