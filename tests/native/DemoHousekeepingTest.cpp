#include "gameprep/DemoHousekeeping.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "common/Errors.h"
#include "common/LineList.h"
#include "gameprep/ConfigWriter.h"
#include "tests/doubles/FakeProcesses.h"
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
  // The journal a copy that ended left behind.
  void LeaveJournal(const JournalEntries& entries) { PutBase("Dextrel-journal.txt", FormatJournal(entries)); }
  DemoHousekeeping::Recovery Recover() { return keeper.RecoverUnfinishedBenchmark(kFolders.gameBasePath, processes); }
  FakeProcesses processes;
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
  keeper.RestoreGameConfig();
  EXPECT_TRUE(files.shellCalls().empty());  // absent: nothing to do
  EXPECT_EQ(Base("Dextrel-journal.txt"), "<missing>");

  PutBase("Quake4Config.cfg", "user settings\r\n");
  keeper.BackupGameConfig(kFolders.gameBasePath);
  EXPECT_EQ(Base("Quake4Configold.cfg"), "user settings\r\n");
  // Written before the copy was made.
  EXPECT_NE(Base("Dextrel-journal.txt").find("copied\tQuake4Config.cfg\tQuake4Configold.cfg\r\n"), std::string::npos);
  PutBase("Quake4Config.cfg", "changed by the game\r\n");
  keeper.RestoreGameConfig();
  EXPECT_EQ(Base("Quake4Config.cfg"), "user settings\r\n");
  EXPECT_EQ(Base("Quake4Configold.cfg"), "<missing>");
  EXPECT_EQ(Base("Dextrel-journal.txt"), "<missing>");  // everything back: the journal goes
  EXPECT_FALSE(keeper.Journal.Open());
}

TEST_F(Housekeeping, ABackUpLeftByAnUnfinishedBenchmarkIsKeptAside) {
  PutBase("Quake4Configold.cfg", "before the crash\r\n");
  PutBase("Quake4Config.cfg", "played since\r\n");
  keeper.BackupGameConfig(kFolders.gameBasePath);
  EXPECT_EQ(Base("Quake4Configold1.cfg"), "before the crash\r\n");
  EXPECT_EQ(Base("Quake4Configold.cfg"), "played since\r\n");
  keeper.RestoreGameConfig();
  EXPECT_EQ(Base("Quake4Config.cfg"), "played since\r\n");

  // A second leftover takes the next free name; an identical one is simply replaced.
  PutBase("Quake4Configold.cfg", "another\r\n");
  keeper.BackupGameConfig(kFolders.gameBasePath);
  EXPECT_EQ(Base("Quake4Configold2.cfg"), "another\r\n");
  EXPECT_EQ(Base("Quake4Configold1.cfg"), "before the crash\r\n");
  keeper.RestoreGameConfig();
  PutBase("Quake4Configold.cfg", "played since\r\n");
  keeper.BackupGameConfig(kFolders.gameBasePath);
  EXPECT_EQ(Base("Quake4Configold3.cfg"), "<missing>");
  // The back-up of this journal not back yet stays the one: a second back-up would copy the
  // game's rewrite over the user's file.
  PutBase("Quake4Config.cfg", "rewritten by the game\r\n");
  keeper.BackupGameConfig(kFolders.gameBasePath);
  EXPECT_EQ(Base("Quake4Configold.cfg"), "played since\r\n");
  keeper.RestoreGameConfig();
  EXPECT_EQ(Base("Quake4Config.cfg"), "played since\r\n");
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
// autoexec.cfg, the configuration the game rewrote when it ended, and the journal naming them.
TEST_F(Housekeeping, AtStartUpAnUnfinishedBenchmarkIsPutRightAndNothingIsLost) {
  const std::string written = "seta r_shadows \"1\"\r\n";
  PutBase("autoexec_old.cfg", "mine\r\n");
  PutBase("autoexec.cfg", "");  // written with no quality chosen
  PutBase("Quake4Configold.cfg", "users\r\n");
  PutBase("Quake4Config.cfg", written);
  PutBase("qconsole.log", "the run's log");
  LeaveJournal({"C:\\Program Files\\Dextrel\\Dextrel.exe",
                {{"autoexec.cfg", "autoexec_old.cfg", false}, {"Quake4Config.cfg", "Quake4Configold.cfg", true}},
                {"autoexec.cfg", "qconsole.log"},
                platform::ProcessIdentity{4242, 133000000000000007ull}});
  EXPECT_EQ(Recover(), DemoHousekeeping::Recovery::Done);
  EXPECT_EQ(Base("autoexec.cfg"), "mine\r\n");
  EXPECT_EQ(Base("autoexec_old.cfg"), "<missing>");
  EXPECT_EQ(Base("Quake4Config.cfg"), "users\r\n");
  EXPECT_EQ(Base("Quake4Configold.cfg"), "<missing>");
  EXPECT_EQ(Base("Quake4Configold1.cfg"), written);
  EXPECT_EQ(Base("qconsole.log"), "<missing>");
  EXPECT_EQ(Base("Dextrel-journal.txt"), "<missing>");

  // A clean folder: nothing moves.
  const auto calls = files.shellCalls().size();
  EXPECT_EQ(Recover(), DemoHousekeeping::Recovery::Nothing);
  EXPECT_EQ(files.shellCalls().size(), calls);
}

// Files of the user's own under the names the program uses, and no journal: the folder is
// the user's as it is.
TEST_F(Housekeeping, AtStartUpWithoutAJournalNothingIsTouchedWhateverTheNames) {
  PutBase("autoexec_old.cfg", "set aside on purpose\r\n");
  PutBase("autoexec_old1.cfg", "another\r\n");
  PutBase("Quake4Configold.cfg", "an older configuration\r\n");
  PutBase("Quake4Config.cfg", "the live one\r\n");
  files.AddFile(kFolders.gameDemoPath + "VKRdemo.demo", "a copy of the user's");
  const auto before = files.AllFiles();
  EXPECT_EQ(Recover(), DemoHousekeeping::Recovery::Nothing);
  keeper.RestoreAutoexec();
  keeper.RestoreGameConfig();
  keeper.RemoveBuiltinDemo();
  keeper.RemoveNetDemoFiles();
  EXPECT_TRUE(keeper.PutBack(true));
  EXPECT_EQ(files.AllFiles(), before);
  EXPECT_TRUE(files.shellCalls().empty());
  EXPECT_EQ(Base("autoexec_old.cfg"), "set aside on purpose\r\n");
  EXPECT_EQ(Base("Quake4Config.cfg"), "the live one\r\n");
  EXPECT_EQ(Base("autoexec.cfg"), "<missing>");
}

TEST_F(Housekeeping, AtStartUpTheJournalsBackUpGoesBackAndTheOthersStay) {
  PutBase("autoexec_old.cfg", "older\r\n");
  PutBase("autoexec_old1.cfg", "old one\r\n");
  PutBase("autoexec_old2.cfg", "mine\r\n");
  PutBase("autoexec.cfg", "");
  LeaveJournal({"C:\\Dextrel.exe", {{"autoexec.cfg", "autoexec_old2.cfg", false}}, {"autoexec.cfg"}, std::nullopt});
  EXPECT_EQ(Recover(), DemoHousekeeping::Recovery::Done);
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
  LeaveJournal({"C:\\Dextrel.exe",
                {{"autoexec.cfg", "autoexec_old.cfg", false}, {"Quake4Config.cfg", "Quake4Configold.cfg", true}},
                {"autoexec.cfg"},
                std::nullopt});
  EXPECT_EQ(Recover(), DemoHousekeeping::Recovery::Done);
  EXPECT_EQ(Base("autoexec.cfg"), "bind F1 \"quit\"\r\n");
  EXPECT_EQ(Base("autoexec_old.cfg"), "older\r\n");
  EXPECT_EQ(Base("Quake4Config.cfg"), "same\r\n");
  EXPECT_EQ(Base("Quake4Configold.cfg"), "<missing>");
  EXPECT_EQ(Base("Quake4Configold1.cfg"), "<missing>");
}

// The killed copy's game plays on: its files are its own until it ends, and a process of
// the same id that started at another moment is not it.
TEST_F(Housekeeping, WhileTheJournalsGameRunsNothingIsTouched) {
  const platform::ProcessIdentity game{4242, 133000000000000007ull};
  PutBase("autoexec_old.cfg", "mine\r\n");
  PutBase("autoexec.cfg", "");
  PutBase("Quake4Configold.cfg", "users\r\n");
  PutBase("Quake4Config.cfg", "users\r\n");
  LeaveJournal({"C:\\Dextrel.exe",
                {{"autoexec.cfg", "autoexec_old.cfg", false}, {"Quake4Config.cfg", "Quake4Configold.cfg", true}},
                {"autoexec.cfg"},
                game});
  processes.outside.push_back(game);
  const auto before = files.AllFiles();
  EXPECT_EQ(Recover(), DemoHousekeeping::Recovery::GameRunning);
  EXPECT_EQ(files.AllFiles(), before);
  EXPECT_TRUE(files.shellCalls().empty());

  processes.outside = {platform::ProcessIdentity{4242, 133000000000000099ull}};  // the id used again
  EXPECT_EQ(Recover(), DemoHousekeeping::Recovery::Done);
  EXPECT_EQ(Base("autoexec.cfg"), "mine\r\n");
  EXPECT_EQ(Base("Quake4Config.cfg"), "users\r\n");
  EXPECT_EQ(Base("Dextrel-journal.txt"), "<missing>");
}

// A journal that names a file the benchmark never touches (a folder users may write in
// holds it, and the program acts as administrator) is not acted on at all.
TEST_F(Housekeeping, AJournalNamingOtherFilesIsNotActedOn) {
  PutBase("autoexec_old.cfg", "mine\r\n");
  PutBase("Dextrel-journal.txt",
          "Dextrel benchmark journal 1\r\nprogram\tC:\\Dextrel.exe\r\nwritten\t..\\..\\Windows\\win.ini\r\n"
          "moved\tautoexec.cfg\tautoexec_old.cfg\r\n");
  files.AddFile("C:\\Games\\Windows\\win.ini", "system");
  EXPECT_EQ(Recover(), DemoHousekeeping::Recovery::Unreadable);
  EXPECT_EQ(Base("autoexec_old.cfg"), "mine\r\n");
  EXPECT_EQ(files.Contents("C:\\Games\\Windows\\win.ini"), "system");
  // Nor does a benchmark start over it.
  PutBase("Quake4Config.cfg", "users\r\n");
  EXPECT_THROW(keeper.BackupGameConfig(kFolders.gameBasePath), Error);
}

TEST(HousekeepingLeftover, AtStartUpAConfigurationThatCannotBePutAsideStays) {
  NoMoves files;
  FakeProcesses processes;
  DemoHousekeeping keeper{files};
  files.AddFile(kFolders.gameBasePath + "Quake4Configold.cfg", "users\r\n");
  files.AddFile(kFolders.gameBasePath + "Quake4Config.cfg", "rewritten\r\n");
  files.AddFile(kFolders.gameBasePath + "Dextrel-journal.txt",
                FormatJournal({"C:\\Dextrel.exe", {{"Quake4Config.cfg", "Quake4Configold.cfg", true}}, {}, {}}));
  EXPECT_EQ(keeper.RecoverUnfinishedBenchmark(kFolders.gameBasePath, processes),
            DemoHousekeeping::Recovery::Incomplete);
  EXPECT_EQ(files.Contents(kFolders.gameBasePath + "Quake4Config.cfg"), "rewritten\r\n");
  EXPECT_EQ(files.Contents(kFolders.gameBasePath + "Quake4Configold.cfg"), "users\r\n");
  // The journal keeps what is still out, for the next try.
  EXPECT_NE(files.Contents(kFolders.gameBasePath + "Dextrel-journal.txt").find("Quake4Configold.cfg"),
            std::string::npos);
}

TEST_F(Housekeeping, RestoringAutoexec) {
  ConfigWriter writer{files};
  writer.Journal = &keeper.Journal;
  writer.BuildAmbientLightLine(false, "");
  LineList lines;
  keeper.RestoreAutoexec();
  EXPECT_TRUE(files.shellCalls().empty());

  // The user's file aside, the benchmark's written, the user's back.
  PutBase("autoexec.cfg", "mine\r\n");
  writer.WriteAutoexec(0, lines, kFolders.gameBasePath);
  EXPECT_EQ(Base("autoexec_old.cfg"), "mine\r\n");
  keeper.RestoreAutoexec();
  EXPECT_EQ(Base("autoexec.cfg"), "mine\r\n");
  EXPECT_EQ(Base("autoexec_old.cfg"), "<missing>");
  EXPECT_EQ(Base("Dextrel-journal.txt"), "<missing>");

  // The user's own file beside an earlier back-up: only the back-up the journal names goes back.
  PutBase("autoexec_old.cfg", "older\r\n");
  writer.WriteAutoexec(1, lines, kFolders.gameBasePath);
  EXPECT_EQ(Base("autoexec_old1.cfg"), "mine\r\n");
  keeper.RestoreAutoexec();
  EXPECT_EQ(Base("autoexec.cfg"), "mine\r\n");
  EXPECT_EQ(Base("autoexec_old1.cfg"), "<missing>");
  EXPECT_EQ(Base("autoexec_old.cfg"), "older\r\n");

  // None of the user's: the written one goes.
  files.RemoveFile(kFolders.gameBasePath + "autoexec.cfg");
  writer.WriteAutoexec(2, lines, kFolders.gameBasePath);
  EXPECT_NE(Base("autoexec.cfg"), "<missing>");
  keeper.RestoreAutoexec();
  EXPECT_EQ(Base("autoexec.cfg"), "<missing>");
  EXPECT_EQ(Base("autoexec_old.cfg"), "older\r\n");
  EXPECT_EQ(Base("Dextrel-journal.txt"), "<missing>");
}

TEST_F(Housekeeping, RemovingTheBenchmarksFiles) {
  files.AddFile(kFolders.gameDemoPath + "mine.demo", "user's");
  Prepare(true, false, "");
  // Between two runs the log goes and the next run notes it again: the journal on disk
  // names it throughout, so neither step writes it.
  keeper.NoteRunFiles(kFolders.gameBasePath, false);
  PutBase("qconsole.log", "log");
  const std::size_t writes = files.writes().size();
  keeper.RemoveConsoleLog(kFolders.gameBasePath);
  EXPECT_EQ(Base("qconsole.log"), "<missing>");
  EXPECT_FALSE(keeper.Journal.Names("qconsole.log"));
  keeper.NoteRunFiles(kFolders.gameBasePath, false);
  EXPECT_EQ(files.writes().size(), writes);
  EXPECT_EQ(ParseJournal(Base("Dextrel-journal.txt")), keeper.Journal.Entries());
  // A log that cannot be removed stays named.
  PutBase("qconsole.log", "log");
  files.SetReadOnly(kFolders.gameBasePath + "qconsole.log");
  keeper.RemoveConsoleLog(kFolders.gameBasePath);
  EXPECT_EQ(Base("qconsole.log"), "log");
  EXPECT_TRUE(keeper.Journal.Names("qconsole.log"));
  files.SetReadOnly(kFolders.gameBasePath + "qconsole.log", false);
  keeper.NoteRunFiles(kFolders.gameBasePath, true);
  PutBase("VKRBnetdemo.cfg", "script");
  PutBase("VKRnetdemo.txt", "dump");
  PutBase("qconsole.log", "log");
  keeper.RemoveBuiltinDemo();
  keeper.RemoveNetDemoFiles();
  keeper.RemoveConsoleLog(kFolders.gameBasePath);
  EXPECT_EQ(files.Contents(kFolders.gameDemoPath + "VKRdemo.demo"), "<missing>");
  EXPECT_EQ(files.Contents(kFolders.gameDemoPath + "mine.demo"), "user's");
  EXPECT_EQ(Base("VKRBnetdemo.cfg"), "<missing>");
  EXPECT_EQ(Base("VKRnetdemo.txt"), "<missing>");
  EXPECT_EQ(Base("qconsole.log"), "<missing>");
  EXPECT_EQ(Base("Dextrel-journal.txt"), "<missing>");
  // Absent files are skipped without complaint.
  keeper.RemoveNetDemoFiles();
  keeper.RemoveConsoleLog(kFolders.gameBasePath);
  // A built-in demo this program did not copy stays.
  files.AddFile(kFolders.gameDemoPath + "VKRdemo.demo", "the user's copy");
  Prepare(true, false, "");
  keeper.RemoveBuiltinDemo();
  EXPECT_EQ(files.Contents(kFolders.gameDemoPath + "VKRdemo.demo"), "the user's copy");
}

}  // namespace
}  // namespace dx::test
