#pragma once
// The demo a benchmark plays, and the game folder kept tidy around it: the game's own
// configuration backed up and restored, the user's autoexec.cfg put back, the
// benchmark's files removed, each step written in the journal first and every restore
// made from it, on the files it names only. Copies and moves go through the shell file
// operation, deletions are plain; neither reports anything.
#include <string>
#include <vector>

#include "gameprep/BenchmarkJournal.h"

namespace dx {

namespace platform {
class IFileSystem;
class IProcesses;
}

// What the demo choice looks like when a benchmark starts.
struct DemoChoice {
  bool builtinChecked = false;  // "Tamberlin demo"
  bool userChecked = false;     // "User defined demo"
  std::string userDemoPath;     // the demo file field
};

struct GameFolders {
  std::string programDir;    // ends in a backslash
  std::string gameBasePath;  // ends in a backslash; empty while the game is unknown
  std::string gameDemoPath;  // ends in a backslash
};

// The refusal of a chosen user demo whose file name the game would read as more than a
// name (it goes after "+timedemoquit " on the command line and into a script line): one
// that ends a console command or adds one. Empty when the name is safe or no user demo
// is chosen.
std::string UnsafeDemoNameMessage(const DemoChoice& choice);

class DemoHousekeeping {
 public:
  explicit DemoHousekeeping(platform::IFileSystem& files) : Journal(files), files_(files) {}

  // A user demo with an unsafe name is an error and is not copied.
  // A built-in demo copied here is written in the journal; a user's demo copied into the
  // game's demo folder stays there.
  void PrepareDemo(const DemoChoice& choice, const GameFolders& folders);
  // An earlier back-up that differs from the current configuration (left by a benchmark
  // that did not finish) is kept under a name of its own before the new one is taken.
  void BackupGameConfig(const std::string& gameBasePath);
  // The journal's files of each kind back; a file the journal does not name stays.
  void RestoreGameConfig();
  void RestoreAutoexec();
  void RemoveBuiltinDemo();
  void RemoveNetDemoFiles();
  // Before the benchmark and after each run, so the game's next log is the run's own.
  void RemoveConsoleLog(const std::string& gameBasePath);
  // The files the next run writes, in the journal before the game starts.
  void NoteRunFiles(const std::string& gameBasePath, bool netDemo);
  // Every file the journal names put back. keepRewrites: the game ended unwatched, so a
  // configuration it rewrote may hold the user's play since and is kept under a name of
  // its own. True when everything is back and the journal gone.
  bool PutBack(bool keepRewrites);

  enum class Recovery {
    Nothing,      // no journal: the folder is left exactly as it is
    Done,         // a journal left by a copy that ended: everything it names is back
    Incomplete,   // some of it could not be put back; the journal keeps the rest
    GameRunning,  // its game still runs: nothing touched until it ends
    Unreadable,   // a journal that cannot be trusted: nothing touched
  };
  // At start-up, what a copy that ended before it could put its files back left, as its
  // journal names it.
  Recovery RecoverUnfinishedBenchmark(const std::string& gameBasePath, platform::IProcesses& processes);

  BenchmarkJournal Journal;

  // Set by PrepareDemo; kept from one benchmark to the next.
  std::string DemoArgument;
  bool NetDemoMode = false;
  bool CustomDemoError = false;

 private:
  // The journal's steps for the names in only (all when empty); true when all are done.
  bool PutBack(bool keepRewrites, const std::vector<std::string>& only);
  // Moves a file to the first free Quake4Configold<n>.cfg; false when it is still there.
  bool PutAside(const std::string& path, const std::string& gameBasePath);
  bool SameContents(const std::string& a, const std::string& b);
  // Absent, empty, or one of the configurations this program writes.
  bool WrittenOrAbsent(const std::string& path);
  platform::IFileSystem& files_;
};

}  // namespace dx
