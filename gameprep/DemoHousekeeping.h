#pragma once
// The demo a benchmark plays, and the game folder kept tidy around it: the game's own
// configuration backed up and restored, the user's autoexec.cfg put back, the
// benchmark's files removed. Copies and moves go through the shell file operation,
// deletions are plain; neither reports anything.
#include <string>

namespace dx {

namespace platform {
class IFileSystem;
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
  explicit DemoHousekeeping(platform::IFileSystem& files) : files_(files) {}

  // A user demo with an unsafe name is an error and is not copied.
  void PrepareDemo(const DemoChoice& choice, const GameFolders& folders);
  // An earlier back-up that differs from the current configuration (left by a benchmark
  // that did not finish) is kept under a name of its own before the new one is taken.
  void BackupGameConfig(const std::string& gameBasePath);
  void RestoreGameConfig(const std::string& gameBasePath);
  // backupName: the file that holds the user's autoexec.cfg put aside in this program
  // run. Without one, autoexec_old.cfg goes back only over a file this program wrote, so
  // the user's own autoexec.cfg beside an earlier back-up stays as it is.
  void RestoreAutoexec(const std::string& gameBasePath, bool removeUnbacked, const std::string& backupName = {});
  void RemoveBuiltinDemo(const std::string& gameDemoPath);
  void RemoveNetDemoFiles(const std::string& gameBasePath);
  void RemoveConsoleLog(const std::string& gameBasePath);
  // At start-up, what a program run that ended in the middle of a benchmark left behind:
  // the user's autoexec.cfg (the back-up with the highest number, which was put aside
  // last) and game configuration go back in place. Nothing is overwritten that the
  // program did not write: a configuration that differs from the back-up is kept under a
  // name of its own, an autoexec.cfg of the user's stays.
  void RecoverUnfinishedBenchmark(const std::string& gameBasePath);

  // Set by PrepareDemo; kept from one benchmark to the next.
  std::string DemoArgument;
  bool NetDemoMode = false;
  bool CustomDemoError = false;

 private:
  void RemoveIfExists(const std::string& path);
  // Moves a file to the first free Quake4Configold<n>.cfg; false when it is still there.
  bool PutAside(const std::string& path, const std::string& gameBasePath);
  bool SameContents(const std::string& a, const std::string& b);
  // Absent, empty, or one of the configurations this program writes.
  bool WrittenOrAbsent(const std::string& path);
  platform::IFileSystem& files_;
};

}  // namespace dx
