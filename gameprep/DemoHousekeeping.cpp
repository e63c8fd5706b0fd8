#include "gameprep/DemoHousekeeping.h"

#include <algorithm>

#include "common/Text.h"
#include "gameprep/ConfigWriter.h"
#include "gameprep/GameInterface.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "platform/Processes.h"

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

void DemoHousekeeping::PrepareDemo(const DemoChoice& choice, const GameFolders& folders) {
  if (choice.builtinChecked) {
    DemoArgument = game::kBuiltinDemo;
    NetDemoMode = false;
    if (!files_.FileExists(folders.gameDemoPath + game::kBuiltinDemo)) {
      Journal.Begin(folders.gameBasePath);
      Journal.NoteWritten(std::string("Demos\\") + game::kBuiltinDemo);
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
  // Its back-up from an earlier benchmark of this journal is not back yet: it stays the one.
  if (Journal.Open() && Journal.Names(game::kGameConfig)) return;
  // Never copy over a back-up that could not be put aside.
  if (files_.FileExists(backup) && !SameContents(backup, config) && !PutAside(backup, gameBasePath)) return;
  Journal.Begin(gameBasePath);
  Journal.NoteAside(game::kGameConfig, game::kGameConfigBackup, true);
  files_.ShellCopy(config, backup, kFileOpTitle);
}

void DemoHousekeeping::RestoreGameConfig() { PutBack(false, {game::kGameConfig}); }
void DemoHousekeeping::RestoreAutoexec() { PutBack(false, {game::kAutoexec}); }
void DemoHousekeeping::RemoveBuiltinDemo() { PutBack(false, {std::string("Demos\\") + game::kBuiltinDemo}); }
void DemoHousekeeping::RemoveNetDemoFiles() { PutBack(false, {game::kNetDemoScript, game::kNetDemoDump}); }

void DemoHousekeeping::NoteRunFiles(const std::string& gameBasePath, bool netDemo) {
  Journal.Begin(gameBasePath);
  Journal.NoteWritten(game::kConsoleLog);
  if (netDemo) {
    Journal.NoteWritten(game::kNetDemoScript);
    Journal.NoteWritten(game::kNetDemoDump);
  }
}

bool DemoHousekeeping::PutBack(bool keepRewrites) {
  const bool done = PutBack(keepRewrites, {});
  Journal.CloseIfEmpty();
  return done && !Journal.Open();
}

bool DemoHousekeeping::PutBack(bool keepRewrites, const std::vector<std::string>& only) {
  if (!Journal.Open()) return true;
  const std::string base = Journal.BasePath();
  bool complete = true;
  std::vector<std::string> blocked;
  for (const auto& step : RestorePlan(Journal.Entries(), keepRewrites, only)) {
    const std::string path = base + step.name;
    const std::string backup = base + step.backup;
    switch (step.kind) {
      case RestoreStep::Kind::KeepRewrite:
        if (files_.FileExists(backup) && files_.FileExists(path) && !SameContents(path, backup) &&
            !PutAside(path, base)) {
          blocked.push_back(step.name);
          complete = false;
        }
        break;
      case RestoreStep::Kind::MoveBack:
        if (std::find(blocked.begin(), blocked.end(), step.name) != blocked.end()) break;
        // An autoexec.cfg of the user's own made since stays; so does the back-up, under its name.
        if (files_.FileExists(backup) && (step.name != game::kAutoexec || WrittenOrAbsent(path))) {
          files_.ShellMove(backup, path, kFileOpTitle);
          if (files_.FileExists(backup)) {
            complete = false;
            break;
          }
        }
        Journal.Forget(step.name);
        break;
      case RestoreStep::Kind::Remove:
        if (step.name == game::kAutoexec && !WrittenOrAbsent(path)) {
          Journal.Forget(step.name);
          break;
        }
        if (files_.FileExists(path) && !files_.RemoveFile(path) && files_.FileExists(path)) {
          complete = false;
          break;
        }
        Journal.Forget(step.name);
        break;
    }
  }
  return complete;
}

DemoHousekeeping::Recovery DemoHousekeeping::RecoverUnfinishedBenchmark(const std::string& gameBasePath,
                                                                       platform::IProcesses& processes) {
  if (!Journal.Open()) {
    const auto found = Journal.Load(gameBasePath);
    if (found == BenchmarkJournal::Found::None) return Recovery::Nothing;
    if (found == BenchmarkJournal::Found::Unreadable) return Recovery::Unreadable;
  }
  if (Journal.Entries().game && processes.IsRunning(*Journal.Entries().game)) return Recovery::GameRunning;
  return PutBack(true) ? Recovery::Done : Recovery::Incomplete;
}

bool DemoHousekeeping::WrittenOrAbsent(const std::string& path) {
  if (!files_.FileExists(path)) return true;
  const auto current = files_.ReadFile(path);
  return current.ok && (current.data.empty() || IsWrittenConfiguration(current.data));
}

void DemoHousekeeping::RemoveConsoleLog(const std::string& gameBasePath) {
  // Between runs every call to the system counts: a look only when the deletion fails.
  const std::string log = gameBasePath + game::kConsoleLog;
  if (files_.RemoveFile(log) || !files_.FileExists(log)) Journal.ForgetRunFile(game::kConsoleLog);
}

}  // namespace dx
