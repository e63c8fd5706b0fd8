#include "extras/HelpLinks.h"

#include <gtest/gtest.h>

#include "tests/doubles/FakeShell.h"
#include "tests/doubles/MemoryFileSystem.h"

namespace dx {
namespace {

TEST(HelpLinks, TheHelpFileOpensWhenPresentAndIsReportedMissingOtherwise) {
  test::MemoryFileSystem files;
  test::FakeShell shell;
  files.AddFile("C:\\Program Files\\Tamberlin\\Dextrel\\help.chm", "ITSF");
  OpenHelpFile(files, shell, "C:\\Program Files\\Tamberlin\\Dextrel\\");
  ASSERT_EQ(shell.opened, std::vector<std::string>{"C:\\Program Files\\Tamberlin\\Dextrel\\help.chm"});
  EXPECT_EQ(shell.openModes[0], platform::ShowMode::Show);
  EXPECT_TRUE(shell.messages.empty());

  files.RemoveFile("C:\\Program Files\\Tamberlin\\Dextrel\\help.chm");
  OpenHelpFile(files, shell, "C:\\Program Files\\Tamberlin\\Dextrel\\");
  EXPECT_EQ(shell.opened.size(), 1u);
  ASSERT_EQ(shell.messages.size(), 1u);
  EXPECT_EQ(shell.messages[0].text, "The help file is missing!");
  EXPECT_EQ(shell.messages[0].icon, platform::MessageIcon::Error);
  EXPECT_EQ(shell.messages[0].buttons, platform::MessageButtons::Ok);
}

TEST(HelpLinks, WebPagesGoToTheShellWithoutSchemeEveryTime) {
  test::FakeShell shell;
  OpenHomePage(shell);
  OpenHomePage(shell);
  OpenTweakGuide(shell);
  ASSERT_EQ(shell.opened.size(), 3u);
  EXPECT_EQ(shell.opened[0], shell.opened[1]);
  EXPECT_EQ(shell.opened[0].find("://"), std::string::npos);
  EXPECT_NE(shell.opened[2].find("/Quake4_1.html"), std::string::npos);
  EXPECT_EQ(shell.openModes[2], platform::ShowMode::Normal);
}

}  // namespace
}  // namespace dx
