#include "gameprep/BenchmarkJournal.h"

#include <gtest/gtest.h>

#include "common/Errors.h"
#include "tests/doubles/MemoryFileSystem.h"

namespace dx::test {
namespace {

const std::string kBase = "C:\\Games\\Quake 4\\q4base\\";

JournalEntries Sample() {
  return {"C:\\Program Files\\Tamberlin\\Dextrel\\Dextrel.exe",
          {{"autoexec.cfg", "autoexec_old1.cfg", false}, {"Quake4Config.cfg", "Quake4Configold.cfg", true}},
          {"autoexec.cfg", "Demos\\VKRdemo.demo", "qconsole.log"},
          platform::ProcessIdentity{4242, 133476543210000000ull}};
}

TEST(BenchmarkJournalText, ReadsBackWhatItWritesAndTheFormatIsPlain) {
  const std::string text = FormatJournal(Sample());
  EXPECT_EQ(text,
            "Dextrel benchmark journal 1\r\n"
            "program\tC:\\Program Files\\Tamberlin\\Dextrel\\Dextrel.exe\r\n"
            "moved\tautoexec.cfg\tautoexec_old1.cfg\r\n"
            "copied\tQuake4Config.cfg\tQuake4Configold.cfg\r\n"
            "written\tautoexec.cfg\r\n"
            "written\tDemos\\VKRdemo.demo\r\n"
            "written\tqconsole.log\r\n"
            "game\t4242\t133476543210000000\r\n");
  EXPECT_EQ(ParseJournal(text), Sample());
  // Line ends changed by an editor, and no game yet.
  JournalEntries noGame = Sample();
  noGame.game.reset();
  std::string unix = FormatJournal(noGame);
  std::erase(unix, '\r');
  EXPECT_EQ(ParseJournal(unix), noGame);
}

// The program acts as administrator on the names; a journal is a file in a folder users
// may write, so anything but the files a benchmark touches makes it no journal at all.
TEST(BenchmarkJournalText, AnythingButTheBenchmarksOwnFilesIsRefused) {
  const std::string head = "Dextrel benchmark journal 1\r\nprogram\tC:\\Dextrel.exe\r\n";
  EXPECT_TRUE(ParseJournal(head));
  for (const std::string line : {
           "written\t..\\..\\Windows\\win.ini", "written\tC:\\Windows\\win.ini", "written\tQuake4Config.cfg",
           "written\tDemos\\mine.demo", "moved\tQuake4Config.cfg\tautoexec_old.cfg",
           "moved\tautoexec.cfg\t..\\autoexec_old.cfg", "moved\tautoexec.cfg\tautoexec_oldx.cfg",
           "copied\tQuake4Config.cfg\tQuake4Configold1234567.cfg", "copied\tautoexec.cfg\tautoexec_old.cfg",
           "game\t4242", "game\t99999999999\t1", "game\t-1\t5", "game\t1\t99999999999999999999999",
           "moved\tautoexec.cfg\tautoexec_old.cfg\textra", "deleted\tautoexec.cfg", ""}) {
    EXPECT_FALSE(ParseJournal(head + line + "\r\n")) << line;
  }
  EXPECT_FALSE(ParseJournal("program\tC:\\Dextrel.exe\r\n"));                   // no heading
  EXPECT_FALSE(ParseJournal("Dextrel benchmark journal 1\r\nwritten\tqconsole.log\r\n"));  // no program
  EXPECT_FALSE(ParseJournal(head + "program\tC:\\Other.exe\r\n"));
  EXPECT_TRUE(ParseJournal(head + "moved\tAUTOEXEC.CFG\tAutoexec_Old12.cfg\r\n"));
}

TEST(BenchmarkJournalPlan, BackUpsGoBackFirstAndAFileWrittenOverOneIsReplacedNotRemoved) {
  using Kind = RestoreStep::Kind;
  EXPECT_EQ(RestorePlan(Sample(), false),
            (std::vector<RestoreStep>{{Kind::MoveBack, "autoexec.cfg", "autoexec_old1.cfg"},
                                      {Kind::MoveBack, "Quake4Config.cfg", "Quake4Configold.cfg"},
                                      {Kind::Remove, "Demos\\VKRdemo.demo", ""},
                                      {Kind::Remove, "qconsole.log", ""}}));
  EXPECT_EQ(RestorePlan(Sample(), true, {"Quake4Config.cfg"}),
            (std::vector<RestoreStep>{{Kind::KeepRewrite, "Quake4Config.cfg", "Quake4Configold.cfg"},
                                      {Kind::MoveBack, "Quake4Config.cfg", "Quake4Configold.cfg"}}));
  EXPECT_EQ(RestorePlan(Sample(), true, {"autoexec.cfg"}),
            (std::vector<RestoreStep>{{Kind::MoveBack, "autoexec.cfg", "autoexec_old1.cfg"}}));
  EXPECT_TRUE(RestorePlan(Sample(), false, {"VKRnetdemo.txt"}).empty());
  EXPECT_TRUE(RestorePlan({}, true).empty());
}

TEST(BenchmarkJournalFile, WrittenBeforeEachStepAndGoneWhenNothingIsOut) {
  MemoryFileSystem files;
  files.AddFolder(kBase);
  BenchmarkJournal journal{files};
  journal.ProgramPath = "C:\\Dextrel\\Dextrel.exe";
  journal.Begin(kBase);
  ASSERT_TRUE(journal.Open());
  EXPECT_EQ(files.Contents(kBase + "Dextrel-journal.txt"),
            "Dextrel benchmark journal 1\r\nprogram\tC:\\Dextrel\\Dextrel.exe\r\n");
  journal.NoteAside("autoexec.cfg", "autoexec_old.cfg", false);
  journal.NoteWritten("autoexec.cfg");
  journal.NoteWritten("autoexec.cfg");  // once is enough
  journal.NoteWritten("qconsole.log");
  journal.NoteGame({7, 8});
  auto onDisk = ParseJournal(files.Contents(kBase + "Dextrel-journal.txt"));
  ASSERT_TRUE(onDisk);
  EXPECT_EQ(*onDisk, journal.Entries());
  EXPECT_EQ(onDisk->written, (std::vector<std::string>{"autoexec.cfg", "qconsole.log"}));

  journal.Forget("qconsole.log");
  EXPECT_TRUE(journal.Open());
  EXPECT_EQ(ParseJournal(files.Contents(kBase + "Dextrel-journal.txt"))->written,
            (std::vector<std::string>{"autoexec.cfg"}));
  // A run's file forgotten between runs stays on disk until noted again, with no write for
  // the pair; after the last run closing writes the forgetting that waited, once.
  journal.NoteWritten("qconsole.log");
  const std::size_t writes = files.writes().size();
  journal.ForgetRunFile("qconsole.log");
  EXPECT_FALSE(journal.Names("qconsole.log"));
  journal.NoteWritten("qconsole.log");
  EXPECT_EQ(files.writes().size(), writes);
  EXPECT_EQ(ParseJournal(files.Contents(kBase + "Dextrel-journal.txt")), journal.Entries());
  journal.ForgetRunFile("qconsole.log");
  journal.CloseIfEmpty();
  journal.CloseIfEmpty();
  EXPECT_TRUE(journal.Open());
  EXPECT_EQ(files.writes().size(), writes + 1);
  EXPECT_EQ(ParseJournal(files.Contents(kBase + "Dextrel-journal.txt"))->written,
            (std::vector<std::string>{"autoexec.cfg"}));
  journal.Forget("autoexec.cfg");  // the back-up and the file written over it
  EXPECT_FALSE(journal.Open());
  EXPECT_EQ(files.Contents(kBase + "Dextrel-journal.txt"), "<missing>");

  // Another copy's journal left behind goes on as this one's; nothing of it is lost.
  files.AddFile(kBase + "Dextrel-journal.txt", FormatJournal(Sample()));
  journal.Begin(kBase);
  EXPECT_EQ(journal.Entries(), Sample());
}

TEST(BenchmarkJournalFile, AJournalThatCannotBeWrittenStopsTheStepBeforeItIsTaken) {
  MemoryFileSystem files;
  files.AddFolder(kBase);
  files.SetReadOnly(kBase);
  BenchmarkJournal journal{files};
  EXPECT_THROW(journal.Begin(kBase), Error);
  EXPECT_FALSE(journal.Open());
  files.SetReadOnly(kBase, false);
  journal.Begin(kBase);
  files.SetReadOnly(kBase);
  EXPECT_THROW(journal.NoteAside("autoexec.cfg", "autoexec_old.cfg", false), Error);
  EXPECT_TRUE(journal.Entries().asides.empty());  // not written: not taken
  EXPECT_THROW(journal.NoteWritten("qconsole.log"), Error);
  EXPECT_TRUE(journal.Entries().written.empty());
}

}  // namespace
}  // namespace dx::test
