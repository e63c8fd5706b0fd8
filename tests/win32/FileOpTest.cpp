// The shell copy and move that every game-folder step goes through, on real files, and
// the game folder's housekeeping on top of it.
#include <gtest/gtest.h>

#include <algorithm>

#include "common/LineList.h"
#include "gameprep/ConfigWriter.h"
#include "gameprep/DemoHousekeeping.h"
#include "platform/win32/Win32FileSystem.h"
#include "tests/win32/TestSupport.h"

namespace dx {
namespace {

constexpr const char* kTitle = "Please wait...";

TEST(FileOp, CopyIntoAFolderKeepsTheNameAndTheSource) {
  test::TempFolder dir;
  win32::Win32FileSystem files;
  ASSERT_TRUE(files.CreateFolder(dir.path() + "Demos"));
  test::WriteWholeFile(dir.path() + "VKRdemo.demo", "demo bytes\r\n\xD7");
  const auto result = files.ShellCopy(dir.path() + "VKRdemo.demo", dir.path() + "Demos\\", kTitle);
  EXPECT_TRUE(result.Succeeded()) << result.code;
  EXPECT_EQ(test::ReadWholeFile(dir.path() + "Demos\\VKRdemo.demo"), "demo bytes\r\n\xD7");
  EXPECT_EQ(test::ReadWholeFile(dir.path() + "VKRdemo.demo"), "demo bytes\r\n\xD7");
}

TEST(FileOp, CopyReplacesAnExistingTargetWithoutAsking) {
  test::TempFolder dir;
  win32::Win32FileSystem files;
  test::WriteWholeFile(dir.path() + "Quake4Config.cfg", "current\r\n");
  test::WriteWholeFile(dir.path() + "Quake4Configold.cfg", "stale\r\n");
  const auto result = files.ShellCopy(dir.path() + "Quake4Config.cfg", dir.path() + "Quake4Configold.cfg", kTitle);
  EXPECT_TRUE(result.Succeeded()) << result.code;
  EXPECT_EQ(test::ReadWholeFile(dir.path() + "Quake4Configold.cfg"), "current\r\n");
}

TEST(FileOp, MoveOverAnExistingFileReplacesItAndRemovesTheSource) {
  test::TempFolder dir;
  win32::Win32FileSystem files;
  test::WriteWholeFile(dir.path() + "autoexec_old.cfg", "the user's own\r\n");
  test::WriteWholeFile(dir.path() + "autoexec.cfg", "written for the benchmark\r\n");
  const auto result = files.ShellMove(dir.path() + "autoexec_old.cfg", dir.path() + "autoexec.cfg", kTitle);
  EXPECT_TRUE(result.Succeeded()) << result.code;
  EXPECT_EQ(test::ReadWholeFile(dir.path() + "autoexec.cfg"), "the user's own\r\n");
  EXPECT_FALSE(files.FileExists(dir.path() + "autoexec_old.cfg"));
  EXPECT_EQ(files.ListFiles(dir.path(), "*").size(), 1u);
}

TEST(FileOp, AMissingSourceFailsQuietlyAndCreatesNothing) {
  test::TempFolder dir;
  win32::Win32FileSystem files;
  test::WriteWholeFile(dir.path() + "autoexec.cfg", "kept\r\n");
  // Neither call may show anything or wait for anyone: the test would hang. The copy
  // says it failed; wine's move of a missing file says it succeeded, so callers look
  // at the files, not at the code.
  EXPECT_FALSE(files.ShellCopy(dir.path() + "missing.demo", dir.path() + "copy.demo", kTitle).Succeeded());
  files.ShellMove(dir.path() + "autoexec_old.cfg", dir.path() + "autoexec.cfg", kTitle);
  EXPECT_EQ(test::ReadWholeFile(dir.path() + "autoexec.cfg"), "kept\r\n");
  EXPECT_EQ(files.ListFiles(dir.path(), "*"), std::vector<std::string>{"autoexec.cfg"});
}

TEST(FileOp, TwoBenchmarksGiveBackTheUsersFilesByteForByte) {
  test::TempFolder dir;
  win32::Win32FileSystem files;
  const std::string base = dir.path() + "q4base\\";
  const std::string demos = base + "Demos\\";
  const std::string program = dir.path() + "Dextrel\\";
  ASSERT_TRUE(files.CreateFolder(base));
  ASSERT_TRUE(files.CreateFolder(demos));
  ASSERT_TRUE(files.CreateFolder(program));
  ASSERT_TRUE(files.CreateFolder(program + "Demos"));
  test::WriteWholeFile(program + "Demos\\VKRdemo.demo", "built-in");
  const std::string autoexec = "bind F12 screenshot\nseta com_showFPS \"1\"\r\n";
  const std::string config = "seta r_mode \"5\"\r\n";
  test::WriteWholeFile(base + "autoexec.cfg", autoexec);
  test::WriteWholeFile(base + "Quake4Config.cfg", config);

  ConfigWriter writer(files);
  DemoHousekeeping keeper(files);
  writer.Journal = &keeper.Journal;
  LineList lines;
  for (int quality : {3, 0}) {
    keeper.RemoveBuiltinDemo();
    keeper.BackupGameConfig(base);
    keeper.PrepareDemo({true, false, ""}, {program, base, demos});
    writer.BuildAmbientLightLine(false, "");
    writer.BuildFilteringLines(1, 1);
    writer.WriteAutoexec(quality, lines, base);
    EXPECT_EQ(test::ReadWholeFile(demos + "VKRdemo.demo"), "built-in");
    test::WriteWholeFile(base + "Quake4Config.cfg", "changed by the game\r\n");
    keeper.RestoreGameConfig();
    keeper.RemoveBuiltinDemo();
  }
  EXPECT_EQ(test::ReadWholeFile(base + "autoexec_old.cfg"), autoexec);
  EXPECT_TRUE(files.FileExists(base + "Dextrel-journal.txt"));
  keeper.RestoreAutoexec();
  EXPECT_EQ(test::ReadWholeFile(base + "autoexec.cfg"), autoexec);
  EXPECT_EQ(test::ReadWholeFile(base + "Quake4Config.cfg"), config);
  auto left = files.ListFiles(base, "*");
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<std::string>{"Quake4Config.cfg", "autoexec.cfg"}));
  EXPECT_TRUE(files.ListFiles(demos, "*").empty());
}

}  // namespace
}  // namespace dx
