#include "platform/win32/Win32FileSystem.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "common/Errors.h"
#include "common/LineList.h"
#include "platform/win32/Scoped.h"
#include "tests/win32/TestSupport.h"

namespace dx {
namespace {

TEST(Win32FileSystem, WritesThroughATemporaryFileAndLeavesNoneBehind) {
  test::TempFolder dir;
  win32::Win32FileSystem files;
  const std::string target = dir.path() + "autoexec.cfg";
  test::WriteWholeFile(target, "the user's own lines\r\n");
  ASSERT_TRUE(files.WriteFile(target, "seta r_znear \"4\"\r\n").ok);
  EXPECT_EQ(test::ReadWholeFile(target), "seta r_znear \"4\"\r\n");
  EXPECT_EQ(files.ListFiles(dir.path(), "*"), std::vector<std::string>{"autoexec.cfg"});
}

TEST(Win32FileSystem, AFailedWriteKeepsTheOldContentsAndSaysWhy) {
  test::TempFolder dir;
  win32::Win32FileSystem files;
  const std::string target = dir.path() + "Quake4Config.cfg";
  test::WriteWholeFile(target, "bind w +forward\r\n");
  ASSERT_TRUE(files.SetAttributes(target, FILE_ATTRIBUTE_READONLY));
  const auto result = files.WriteFile(target, "overwritten");
  EXPECT_FALSE(result.ok);
  EXPECT_FALSE(result.errorText.empty());
  files.SetAttributes(target, FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(test::ReadWholeFile(target), "bind w +forward\r\n");
  EXPECT_EQ(files.ListFiles(dir.path(), "*").size(), 1u);

  LineList lines({"x"});
  try {
    lines.SaveToFile(files, dir.path() + "missing\\autoexec.cfg");
    FAIL() << "no error";
  } catch (const Error& e) {
    const std::string text = e.what();
    EXPECT_EQ(text.rfind("Cannot create file \"" + dir.path() + "missing\\autoexec.cfg\". ", 0), 0u) << text;
    EXPECT_GT(text.size(), std::string("Cannot create file \"\". ").size() + dir.path().size() + 20);
  }
}

// Two copies finishing together: every line of both is kept, none written twice, and a
// file another program holds is waited for rather than given up or replaced.
TEST(Win32FileSystem, AppendsOfTwoWritersAllArriveAndAHeldFileIsWaitedFor) {
  test::TempFolder dir;
  win32::Win32FileSystem files;
  const std::string target = dir.path() + "results.csv";
  test::WriteWholeFile(target, "header");
  auto appendLines = [&](char who) {
    for (int i = 0; i < 25; ++i) {
      const auto added = files.AppendFile(target, [&](const std::string& existing) {
        return std::string(existing.back() == '\n' ? "" : "\r\n") + who + std::to_string(i) + "\r\n";
      });
      EXPECT_TRUE(added.ok) << added.errorText;
    }
  };
  std::thread other(appendLines, 'b');
  appendLines('a');
  other.join();
  const std::string content = test::ReadWholeFile(target);
  EXPECT_EQ(content.rfind("header\r\n", 0), 0u);
  EXPECT_EQ(std::count(content.begin(), content.end(), '\n'), 51);
  for (const char* line : {"\na0\r", "\na24\r", "\nb0\r", "\nb24\r"}) {
    EXPECT_NE(content.find(line), std::string::npos) << line;
  }

  win32::ScopedFile held(
      ::CreateFileA(target.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(held);
  platform::FileWriteResult late;
  std::thread waiting([&] { late = files.AppendFile(target, [](const std::string&) { return "late\r\n"; }); });
  ::Sleep(300);
  held.reset();
  waiting.join();
  EXPECT_TRUE(late.ok) << late.errorText;
  EXPECT_EQ(test::ReadWholeFile(target), content + "late\r\n");

  ASSERT_TRUE(files.SetAttributes(target, FILE_ATTRIBUTE_READONLY));
  EXPECT_FALSE(files.AppendFile(target, [](const std::string&) { return "refused"; }).ok);
  files.SetAttributes(target, FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(test::ReadWholeFile(target), content + "late\r\n");
}

TEST(Win32FileSystem, ExistsDeleteFoldersAndPatterns) {
  test::TempFolder dir;
  win32::Win32FileSystem files;
  EXPECT_TRUE(files.FolderExists(dir.path()));
  EXPECT_FALSE(files.FileExists(dir.path()));
  ASSERT_TRUE(files.CreateFolder(dir.path() + "Demos"));
  EXPECT_FALSE(files.CreateFolder(dir.path() + "a\\b"));  // the last level only
  test::WriteWholeFile(dir.path() + "one.uTMP", "1");
  test::WriteWholeFile(dir.path() + "two.utmp", "2");
  test::WriteWholeFile(dir.path() + "three.txt", "3");
  auto found = files.ListFiles(dir.path(), "*.uTMP");
  std::sort(found.begin(), found.end());
  EXPECT_EQ(found, (std::vector<std::string>{"one.uTMP", "two.utmp"}));
  EXPECT_TRUE(files.FileExists(dir.path() + "THREE.TXT"));
  EXPECT_TRUE(files.RemoveFile(dir.path() + "three.txt"));
  EXPECT_FALSE(files.RemoveFile(dir.path() + "three.txt"));
  const auto read = files.ReadFile(dir.path() + "three.txt");
  EXPECT_FALSE(read.ok);
  EXPECT_FALSE(read.errorText.empty());
  EXPECT_EQ(files.GetAttributes(dir.path() + "nothing"), 0xFFFFFFFFu);
}

TEST(Win32FileSystem, ModificationTimeIsSetInUtc) {
  test::TempFolder dir;
  win32::Win32FileSystem files;
  const std::string target = dir.path() + "Dextrel.exe.uTMP";
  test::WriteWholeFile(target, "MZ");
  const platform::FileTime when = 1162562709;  // 2006-11-03 14:05:09 UTC
  ASSERT_TRUE(files.SetModificationTime(target, when));
  WIN32_FILE_ATTRIBUTE_DATA data{};
  ASSERT_TRUE(::GetFileAttributesExA(target.c_str(), GetFileExInfoStandard, &data));
  SYSTEMTIME st{};
  ::FileTimeToSystemTime(&data.ftLastWriteTime, &st);
  EXPECT_EQ(st.wYear, 2006);
  EXPECT_EQ(st.wMonth, 11);
  EXPECT_EQ(st.wDay, 3);
  EXPECT_EQ(st.wHour, 14);
  EXPECT_EQ(st.wMinute, 5);
  EXPECT_EQ(st.wSecond, 9);
}

}  // namespace
}  // namespace dx
