#include "platform/Paths.h"

#include <gtest/gtest.h>

#include "tests/doubles/MemoryFileSystem.h"

namespace dx {
namespace {

TEST(Paths, NameAndFolderSplitAtTheLastBackslashOrTheDriveColon) {
  EXPECT_EQ(ExtractFileName("D:dm2.demo"), "dm2.demo");
  EXPECT_EQ(ExtractFileName("D:\\a\\b.c.netdemo"), "b.c.netdemo");
  EXPECT_EQ(ExtractFileName("plain.exe"), "plain.exe");
  EXPECT_EQ(ExtractFilePath("C:\\Games\\Dextrel.exe"), "C:\\Games\\");
  EXPECT_EQ(ExtractFilePath("D:dm2.demo"), "D:");
  EXPECT_EQ(ExtractFilePath("plain.exe"), "");
  EXPECT_EQ(IncludeTrailingBackslash("C:\\Results"), "C:\\Results\\");
  EXPECT_EQ(IncludeTrailingBackslash("C:\\Results\\"), "C:\\Results\\");
  // No folder set stays no folder, not the root of the drive.
  EXPECT_EQ(IncludeTrailingBackslash(""), "");
  // A report's name in a folder given with its "\", shown as the system reads it.
  EXPECT_EQ(ShownPath("C:\\Results\\\\result_1.htm"), "C:\\Results\\result_1.htm");
  EXPECT_EQ(ShownPath("\\\\server\\share\\\\r.htm"), "\\\\server\\share\\r.htm");
  EXPECT_EQ(ShownPath("C"), "C");
  EXPECT_EQ(ExcludeTrailingBackslashes("C:\\Windows\\system32\\\\"), "C:\\Windows\\system32");
}

TEST(Paths, EveryMissingLevelOfAFolderIsCreated) {
  test::MemoryFileSystem files;
  files.AddFolder("C:\\");
  CreateFolderPath(files, "C:\\Results\\2026\\logs");
  EXPECT_TRUE(files.FolderExists("C:\\Results"));
  EXPECT_TRUE(files.FolderExists("C:\\Results\\2026\\logs"));
  // An existing path is left as it is.
  files.AddFile("C:\\Results\\2026\\logs\\kept.txt", "x");
  CreateFolderPath(files, "C:\\Results\\2026\\logs\\");
  EXPECT_EQ(files.Contents("C:\\Results\\2026\\logs\\kept.txt"), "x");
}

}  // namespace
}  // namespace dx
