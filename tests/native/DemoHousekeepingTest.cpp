#include "gameprep/DemoHousekeeping.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/doubles/MemoryFileSystem.h"

namespace dx::test {
namespace {

const GameFolders kFolders{"C:\\Program Files\\Dextrel\\", "C:\\Games\\Quake 4\\q4base\\",
                           "C:\\Games\\Quake 4\\q4base\\Demos\\"};

class Housekeeping : public ::testing::Test {
 protected:
  MemoryFileSystem files;
  DemoHousekeeping keeper{files};

  Housekeeping() {
    files.AddFolder(kFolders.gameDemoPath);
    files.AddFile(kFolders.programDir + "Demos\\VKRdemo.demo", "built-in");
  }
  std::string Base(const std::string& name) const { return files.Contents(kFolders.gameBasePath + name); }
  void PutBase(const std::string& name, const std::string& data) { files.AddFile(kFolders.gameBasePath + name, data); }
  void Prepare(bool builtin, bool user, const std::string& path) { keeper.PrepareDemo({builtin, user, path}, kFolders); }
};

TEST_F(Housekeeping, TheBuiltInDemoIsCopiedWhenMissing) {
  keeper.CustomDemoError = true;
  Prepare(true, false, "D:\\ignored.netdemo");
  EXPECT_EQ(keeper.DemoArgument, "VKRdemo.demo");
  EXPECT_FALSE(keeper.NetDemoMode);
  EXPECT_FALSE(keeper.CustomDemoError);
  EXPECT_EQ(files.Contents(kFolders.gameDemoPath + "VKRdemo.demo"), "built-in");
  ASSERT_EQ(files.shellCalls().size(), 1u);
  EXPECT_EQ(files.shellCalls()[0].operation, "copy");
  EXPECT_EQ(files.shellCalls()[0].target, kFolders.gameDemoPath);
  EXPECT_EQ(files.shellCalls()[0].title, "Please wait...");

  Prepare(true, false, "");
  EXPECT_EQ(files.shellCalls().size(), 1u);  // already there: nothing copied
}

TEST_F(Housekeeping, AUserNetDemoIsCopiedUnlessAlreadyThere) {
  files.AddFile("D:\\demos\\dm1.netdemo", "net");
  Prepare(false, true, "D:\\demos\\dm1.netdemo");
  EXPECT_EQ(keeper.DemoArgument, "dm1.netdemo");
  EXPECT_TRUE(keeper.NetDemoMode);
  EXPECT_FALSE(keeper.CustomDemoError);
  EXPECT_EQ(files.Contents(kFolders.gameDemoPath + "dm1.netdemo"), "net");
  Prepare(false, true, "D:\\demos\\dm1.netdemo");
  EXPECT_EQ(files.shellCalls().size(), 1u);
  EXPECT_FALSE(keeper.CustomDemoError);
}

TEST_F(Housekeeping, TheNetDemoTestIsCaseSensitiveAndTheNameFollowsTheDriveColon) {
  files.AddFile("D:\\demos\\DM1.NETDEMO", "net");
  Prepare(false, true, "D:\\demos\\DM1.NETDEMO");
  EXPECT_EQ(keeper.DemoArgument, "DM1.NETDEMO");
  EXPECT_FALSE(keeper.NetDemoMode);
}

TEST_F(Housekeeping, AnEmptyUserPathIsAnErrorThatKeepsTheLastDemo) {
  Prepare(true, false, "");
  Prepare(false, true, "");
  EXPECT_TRUE(keeper.CustomDemoError);
  EXPECT_EQ(keeper.DemoArgument, "VKRdemo.demo");
  EXPECT_FALSE(keeper.NetDemoMode);

  // Chosen afterwards and already in the game's folder: usable again.
  files.AddFile("D:\\demos\\mine.demo", "mine");
  files.AddFile(kFolders.gameDemoPath + "mine.demo", "mine");
  Prepare(false, true, "D:\\demos\\mine.demo");
  EXPECT_FALSE(keeper.CustomDemoError);
  EXPECT_EQ(keeper.DemoArgument, "mine.demo");
}

TEST_F(Housekeeping, AUserDemoDeletedAfterItWasChosenIsAnError) {
  Prepare(true, false, "");
  Prepare(false, true, "D:\\demos\\deleted.demo");
  EXPECT_TRUE(keeper.CustomDemoError);
  EXPECT_EQ(keeper.DemoArgument, "VKRdemo.demo");
  EXPECT_TRUE(files.shellCalls().size() == 1u);  // only the built-in copy
}

TEST_F(Housekeeping, ADemoNameThatWouldEndOrAddAConsoleCommandIsRefusedByNameAndNotCopied) {
  const std::vector<std::pair<std::string, std::string>> unsafe = {
      {"a;quit.demo", "\";\""},
      {"say\"hi.demo", "a double quote"},
      {"two\nlines.demo", "a line end"},
      {"two\rlines.demo", "a line end"},
      {"tab\t+exec x.demo", "a control character"},
      {"run +exec evil.cfg.demo", "a blank followed by \"+\""},
      {"+exec evil.demo", "a leading \"+\""},
  };
  Prepare(true, false, "");
  for (const auto& [name, what] : unsafe) {
    const std::string path = "D:\\My demos\\" + name;
    files.AddFile(path, "evil");
    EXPECT_EQ(UnsafeDemoNameMessage({false, true, path}),
              "ERROR. The demo \"" + name + "\" cannot be played: its file name holds " + what +
                  ", which the game would read as a console command. Please, rename the demo file.");
    Prepare(false, true, path);
    EXPECT_TRUE(keeper.CustomDemoError) << name;
    EXPECT_EQ(keeper.DemoArgument, "VKRdemo.demo") << name;
  }
  EXPECT_EQ(files.shellCalls().size(), 1u);  // only the built-in copy

  // Blanks, a "+" inside a word and such characters in the folder are fine; so is any
  // name while the built-in demo is the one chosen.
  for (const std::string path : {"D:\\My demos\\duel c+r 2.demo", "D:\\a;b +c\\dm1.netdemo"}) {
    files.AddFile(path, "fine");
    EXPECT_EQ(UnsafeDemoNameMessage({false, true, path}), "") << path;
    Prepare(false, true, path);
    EXPECT_FALSE(keeper.CustomDemoError) << path;
  }
  EXPECT_EQ(keeper.DemoArgument, "dm1.netdemo");
  EXPECT_EQ(UnsafeDemoNameMessage({true, false, "D:\\a;b.demo"}), "");
}

TEST_F(Housekeeping, ACopyThatFailsIsAnError) {
  files.AddFile("D:\\demos\\mine.demo", "mine");
  files.SetReadOnly(kFolders.gameDemoPath);
  Prepare(false, true, "D:\\demos\\mine.demo");
  EXPECT_TRUE(keeper.CustomDemoError);
}

TEST_F(Housekeeping, NoDemoItemChangesNothing) {
  files.AddFile("D:\\demos\\dm1.netdemo", "net");
  Prepare(false, true, "D:\\demos\\dm1.netdemo");
  Prepare(false, false, "D:\\other.demo");
  EXPECT_EQ(keeper.DemoArgument, "dm1.netdemo");
  EXPECT_TRUE(keeper.NetDemoMode);
  EXPECT_FALSE(keeper.CustomDemoError);
}

TEST_F(Housekeeping, TheGameConfigurationIsBackedUpAndRestored) {
  keeper.BackupGameConfig(kFolders.gameBasePath);
  keeper.RestoreGameConfig(kFolders.gameBasePath);
  EXPECT_TRUE(files.shellCalls().empty());  // absent: nothing to do

  PutBase("Quake4Config.cfg", "user settings\r\n");
  keeper.BackupGameConfig(kFolders.gameBasePath);
  EXPECT_EQ(Base("Quake4Configold.cfg"), "user settings\r\n");
  PutBase("Quake4Config.cfg", "changed by the game\r\n");
  keeper.RestoreGameConfig(kFolders.gameBasePath);
  EXPECT_EQ(Base("Quake4Config.cfg"), "user settings\r\n");
  EXPECT_EQ(Base("Quake4Configold.cfg"), "<missing>");
}

TEST_F(Housekeeping, ABackUpLeftByAnUnfinishedBenchmarkIsKeptAside) {
  PutBase("Quake4Configold.cfg", "before the crash\r\n");
  PutBase("Quake4Config.cfg", "played since\r\n");
  keeper.BackupGameConfig(kFolders.gameBasePath);
  EXPECT_EQ(Base("Quake4Configold1.cfg"), "before the crash\r\n");
  EXPECT_EQ(Base("Quake4Configold.cfg"), "played since\r\n");
  keeper.RestoreGameConfig(kFolders.gameBasePath);
  EXPECT_EQ(Base("Quake4Config.cfg"), "played since\r\n");

  // A second leftover takes the next free name; an identical one is simply replaced.
  PutBase("Quake4Configold.cfg", "another\r\n");
  keeper.BackupGameConfig(kFolders.gameBasePath);
  EXPECT_EQ(Base("Quake4Configold2.cfg"), "another\r\n");
  EXPECT_EQ(Base("Quake4Configold1.cfg"), "before the crash\r\n");
  keeper.RestoreGameConfig(kFolders.gameBasePath);
  PutBase("Quake4Configold.cfg", "played since\r\n");
  keeper.BackupGameConfig(kFolders.gameBasePath);
  EXPECT_EQ(Base("Quake4Configold3.cfg"), "<missing>");
}

// A shell that refuses every move, as one that is busy or denied would.
class NoMoves : public MemoryFileSystem {
 public:
  platform::FileOpResult ShellMove(const std::string&, const std::string&, const std::string&) override {
    return {5};
  }
};

TEST(HousekeepingLeftover, ABackUpThatCannotBePutAsideIsNotOverwritten) {
  NoMoves files;
  DemoHousekeeping keeper{files};
  files.AddFile(kFolders.gameBasePath + "Quake4Configold.cfg", "before the crash\r\n");
  files.AddFile(kFolders.gameBasePath + "Quake4Config.cfg", "played since\r\n");
  keeper.BackupGameConfig(kFolders.gameBasePath);
  EXPECT_EQ(files.Contents(kFolders.gameBasePath + "Quake4Configold.cfg"), "before the crash\r\n");
  EXPECT_TRUE(files.shellCalls().empty());
}

// What a program killed during a run leaves: the user's files moved aside, the benchmark's
// autoexec.cfg, and the configuration the game rewrote when it ended.
TEST_F(Housekeeping, AtStartUpAnUnfinishedBenchmarkIsPutRightAndNothingIsLost) {
  const std::string written = "seta r_shadows \"1\"\r\n";
  PutBase("autoexec_old.cfg", "mine\r\n");
  PutBase("autoexec.cfg", "");  // written with no quality chosen
  PutBase("Quake4Configold.cfg", "users\r\n");
  PutBase("Quake4Config.cfg", written);
  keeper.RecoverUnfinishedBenchmark(kFolders.gameBasePath);
  EXPECT_EQ(Base("autoexec.cfg"), "mine\r\n");
  EXPECT_EQ(Base("autoexec_old.cfg"), "<missing>");
  EXPECT_EQ(Base("Quake4Config.cfg"), "users\r\n");
  EXPECT_EQ(Base("Quake4Configold.cfg"), "<missing>");
  EXPECT_EQ(Base("Quake4Configold1.cfg"), written);

  // A clean folder: nothing moves.
  const auto calls = files.shellCalls().size();
  keeper.RecoverUnfinishedBenchmark(kFolders.gameBasePath);
  EXPECT_EQ(files.shellCalls().size(), calls);
}

TEST_F(Housekeeping, AtStartUpTheBackUpPutAsideLastGoesBackAndTheEarlierOnesStay) {
  PutBase("autoexec_old.cfg", "older\r\n");
  PutBase("autoexec_old1.cfg", "old one\r\n");
  PutBase("autoexec_old2.cfg", "mine\r\n");
  PutBase("autoexec.cfg", "");
  keeper.RecoverUnfinishedBenchmark(kFolders.gameBasePath);
  EXPECT_EQ(Base("autoexec.cfg"), "mine\r\n");
  EXPECT_EQ(Base("autoexec_old2.cfg"), "<missing>");
  EXPECT_EQ(Base("autoexec_old1.cfg"), "old one\r\n");
  EXPECT_EQ(Base("autoexec_old.cfg"), "older\r\n");
}

TEST_F(Housekeeping, AtStartUpAnAutoexecOfTheUsersOwnIsNotReplaced) {
  PutBase("autoexec_old.cfg", "older\r\n");
  PutBase("autoexec.cfg", "bind F1 \"quit\"\r\n");
  PutBase("Quake4Configold.cfg", "same\r\n");
  PutBase("Quake4Config.cfg", "same\r\n");
  keeper.RecoverUnfinishedBenchmark(kFolders.gameBasePath);
  EXPECT_EQ(Base("autoexec.cfg"), "bind F1 \"quit\"\r\n");
  EXPECT_EQ(Base("autoexec_old.cfg"), "older\r\n");
  EXPECT_EQ(Base("Quake4Config.cfg"), "same\r\n");
  EXPECT_EQ(Base("Quake4Configold.cfg"), "<missing>");
  EXPECT_EQ(Base("Quake4Configold1.cfg"), "<missing>");
}

TEST(HousekeepingLeftover, AtStartUpAConfigurationThatCannotBePutAsideStays) {
  NoMoves files;
  DemoHousekeeping keeper{files};
  files.AddFile(kFolders.gameBasePath + "Quake4Configold.cfg", "users\r\n");
  files.AddFile(kFolders.gameBasePath + "Quake4Config.cfg", "rewritten\r\n");
  keeper.RecoverUnfinishedBenchmark(kFolders.gameBasePath);
  EXPECT_EQ(files.Contents(kFolders.gameBasePath + "Quake4Config.cfg"), "rewritten\r\n");
  EXPECT_EQ(files.Contents(kFolders.gameBasePath + "Quake4Configold.cfg"), "users\r\n");
}

TEST_F(Housekeeping, RestoringAutoexec) {
  keeper.RestoreAutoexec(kFolders.gameBasePath, false);
  EXPECT_TRUE(files.shellCalls().empty());

  PutBase("autoexec_old.cfg", "mine\r\n");
  keeper.RestoreAutoexec(kFolders.gameBasePath, false);  // no autoexec.cfg: the back-up moves in
  EXPECT_EQ(Base("autoexec.cfg"), "mine\r\n");
  EXPECT_EQ(Base("autoexec_old.cfg"), "<missing>");

  PutBase("autoexec_old.cfg", "mine\r\n");
  PutBase("autoexec.cfg", "");  // written with no quality chosen
  keeper.RestoreAutoexec(kFolders.gameBasePath, true);
  EXPECT_EQ(Base("autoexec.cfg"), "mine\r\n");

  // The user's own file beside an earlier back-up: only the back-up named goes back.
  PutBase("autoexec_old.cfg", "older\r\n");
  keeper.RestoreAutoexec(kFolders.gameBasePath, false);
  EXPECT_EQ(Base("autoexec.cfg"), "mine\r\n");
  EXPECT_EQ(Base("autoexec_old.cfg"), "older\r\n");
  files.ShellMove(kFolders.gameBasePath + "autoexec.cfg", kFolders.gameBasePath + "autoexec_old1.cfg", "");
  PutBase("autoexec.cfg", "");
  keeper.RestoreAutoexec(kFolders.gameBasePath, true, "autoexec_old1.cfg");
  EXPECT_EQ(Base("autoexec.cfg"), "mine\r\n");
  EXPECT_EQ(Base("autoexec_old1.cfg"), "<missing>");
  EXPECT_EQ(Base("autoexec_old.cfg"), "older\r\n");
  files.RemoveFile(kFolders.gameBasePath + "autoexec.cfg");

  PutBase("autoexec.cfg", "written\r\n");
  files.RemoveFile(kFolders.gameBasePath + "autoexec_old.cfg");
  keeper.RestoreAutoexec(kFolders.gameBasePath, false);
  EXPECT_EQ(Base("autoexec.cfg"), "written\r\n");
  keeper.RestoreAutoexec(kFolders.gameBasePath, true);
  EXPECT_EQ(Base("autoexec.cfg"), "<missing>");
}

TEST_F(Housekeeping, RemovingTheBenchmarksFiles) {
  files.AddFile(kFolders.gameDemoPath + "VKRdemo.demo", "copy");
  files.AddFile(kFolders.gameDemoPath + "mine.demo", "user's");
  PutBase("VKRBnetdemo.cfg", "script");
  PutBase("VKRnetdemo.txt", "dump");
  PutBase("qconsole.log", "log");
  keeper.RemoveBuiltinDemo(kFolders.gameDemoPath);
  keeper.RemoveNetDemoFiles(kFolders.gameBasePath);
  keeper.RemoveConsoleLog(kFolders.gameBasePath);
  EXPECT_EQ(files.Contents(kFolders.gameDemoPath + "VKRdemo.demo"), "<missing>");
  EXPECT_EQ(files.Contents(kFolders.gameDemoPath + "mine.demo"), "user's");
  EXPECT_EQ(Base("VKRBnetdemo.cfg"), "<missing>");
  EXPECT_EQ(Base("VKRnetdemo.txt"), "<missing>");
  EXPECT_EQ(Base("qconsole.log"), "<missing>");
  // Absent files are skipped without complaint.
  keeper.RemoveNetDemoFiles(kFolders.gameBasePath);
  keeper.RemoveConsoleLog(kFolders.gameBasePath);
}

}  // namespace
}  // namespace dx::test
