#include "common/LineList.h"

#include <gtest/gtest.h>

#include "common/Errors.h"
#include "tests/doubles/MemoryFileSystem.h"

namespace dx {
namespace {

TEST(LineList, SplitsAtEveryKindOfLineEndAndKeepsAMissingFinalOne) {
  EXPECT_EQ(SplitLines("a\r\nb\rc\nd"), (std::vector<std::string>{"a", "b", "c", "d"}));
  // An empty line between two ends, and LF CR counting as two ends.
  EXPECT_EQ(SplitLines("a\r\n\r\nb\n\rc"), (std::vector<std::string>{"a", "", "b", "", "c"}));
  // A final line end does not start another, empty line.
  EXPECT_EQ(SplitLines("x\r\n"), (std::vector<std::string>{"x"}));
  EXPECT_EQ(SplitLines("x\r"), (std::vector<std::string>{"x"}));
  EXPECT_TRUE(SplitLines("").empty());
  EXPECT_EQ(SplitLines("\r\n"), (std::vector<std::string>{""}));
}

TEST(LineList, TextEndsEveryLineWithCrLfAndSurvivesARoundTrip) {
  LineList list;
  list.Add("seta r_znear \"4\"");
  list.Add("");
  list.Add("");
  EXPECT_EQ(list.Text(), "seta r_znear \"4\"\r\n\r\n\r\n");
  LineList back;
  back.SetText(list.Text());
  EXPECT_EQ(back, list);
  EXPECT_EQ(LineList().Text(), "");
}

TEST(LineList, DeleteFirstIndexAndCount) {
  LineList list({"one", "two", "three"});
  list.DeleteFirst();
  EXPECT_EQ(list.Count(), 2u);
  EXPECT_EQ(list[0], "two");
  EXPECT_EQ(list.IndexOf("three"), 1);
  EXPECT_EQ(list.IndexOf("one"), -1);
  list.Delete(7);  // out of range changes nothing
  EXPECT_EQ(list.Count(), 2u);
  LineList longer({"a", "b", "c", "d"});
  longer.DeleteFirst(3);
  EXPECT_EQ(longer.Lines(), std::vector<std::string>{"d"});
  longer.DeleteFirst(5);  // more than there are: all gone
  EXPECT_TRUE(longer.Empty());
  list.Clear();
  EXPECT_TRUE(list.Empty());
}

TEST(LineList, LoadsMixedLineEndsAndSavesWithCrLf) {
  test::MemoryFileSystem files;
  files.AddFile("C:\\q4\\mixed.txt", "first\nsecond\r\nthird\rlast without end");
  LineList list;
  list.LoadFromFile(files, "C:\\q4\\mixed.txt");
  ASSERT_EQ(list.Count(), 4u);
  EXPECT_EQ(list[3], "last without end");
  list.SaveToFile(files, "C:\\q4\\out.txt");
  EXPECT_EQ(files.Contents("C:\\q4\\out.txt"), "first\r\nsecond\r\nthird\r\nlast without end\r\n");
}

TEST(LineList, SaveIntoAMissingFolderRaisesTheCreateError) {
  test::MemoryFileSystem files;
  LineList list({"x"});
  try {
    list.SaveToFile(files, "C:\\nowhere\\autoexec.cfg");
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "Cannot create file \"C:\\nowhere\\autoexec.cfg\". The system cannot find the path specified");
  }
}

}  // namespace
}  // namespace dx
