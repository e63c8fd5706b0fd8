#include "common/SharedRegistry.h"

#include <gtest/gtest.h>

#include "common/Errors.h"
#include "tests/doubles/FakeRegistry.h"

namespace dx {
namespace {

using platform::RegistryValueType;

class SharedRegistryTest : public ::testing::Test {
 protected:
  test::FakeRegistry fake;
  SharedRegistry reg{fake};
};

TEST_F(SharedRegistryTest, LeadingBackslashStartsAtTheRootOtherwiseAtTheCurrentKey) {
  fake.AddKey("SOFTWARE\\Tamberlin\\Dextrel");
  fake.AddKey("SOFTWARE\\id\\Quake 4");
  ASSERT_TRUE(reg.OpenKey("\\SOFTWARE\\id\\Quake 4", false));
  EXPECT_EQ(reg.CurrentPath(), "SOFTWARE\\id\\Quake 4");
  // Relative to the current key: SOFTWARE\id\Quake 4\SOFTWARE\... does not exist.
  EXPECT_FALSE(reg.OpenKey("SOFTWARE\\Tamberlin\\Dextrel", false));
  EXPECT_FALSE(reg.HasCurrentKey());
  // With no key open a relative path starts at the root.
  ASSERT_TRUE(reg.OpenKey("SOFTWARE\\Tamberlin\\Dextrel", false));
  EXPECT_EQ(reg.CurrentPath(), "SOFTWARE\\Tamberlin\\Dextrel");
  ASSERT_TRUE(reg.OpenKey("\\SOFTWARE", false));
  ASSERT_TRUE(reg.OpenKey("Tamberlin", false));
  EXPECT_EQ(reg.CurrentPath(), "SOFTWARE\\Tamberlin");
}

TEST_F(SharedRegistryTest, TheNextOpenReplacesTheCurrentKey) {
  fake.SetString("SOFTWARE\\id\\Quake 4", "Version", "1.3");
  fake.AddKey("SOFTWARE\\Tamberlin\\Dextrel");
  ASSERT_TRUE(reg.OpenKey("\\SOFTWARE\\id\\Quake 4", false));
  ASSERT_TRUE(reg.OpenKey("\\SOFTWARE\\Tamberlin\\Dextrel", false));
  reg.WriteString("Path", "C:\\Games\\Quake 4\\");
  EXPECT_EQ(fake.Get("SOFTWARE\\Tamberlin\\Dextrel", "Path"), "C:\\Games\\Quake 4\\");
  EXPECT_EQ(fake.Get("SOFTWARE\\id\\Quake 4", "Path"), "<missing>");
  EXPECT_EQ(reg.ReadString("Version"), "");  // read from the new key
}

TEST_F(SharedRegistryTest, AFailedOpenNeverLetsAWriteReachTheKeyOpenBefore) {
  fake.SetString("SOFTWARE\\id\\Quake 4", "Version", "1.3");
  ASSERT_TRUE(reg.OpenKey("\\SOFTWARE\\id\\Quake 4", false));
  EXPECT_FALSE(reg.OpenKey("\\SOFTWARE\\Tamberlin\\Dextrel", false));
  try {
    reg.WriteString("News", "1");
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "Failed to set data for 'News'");
  }
  EXPECT_EQ(fake.Get("SOFTWARE\\id\\Quake 4", "News"), "<missing>");
  EXPECT_FALSE(fake.HasKey("SOFTWARE\\Tamberlin\\Dextrel"));
}

TEST_F(SharedRegistryTest, OpenWithCreationMakesTheKey) {
  EXPECT_FALSE(reg.KeyExists("\\SOFTWARE\\Tamberlin\\Dextrel"));
  ASSERT_TRUE(reg.OpenKey("\\SOFTWARE\\Tamberlin\\Dextrel", true));
  EXPECT_TRUE(reg.KeyExists("\\SOFTWARE\\Tamberlin\\Dextrel"));
  EXPECT_TRUE(fake.HasKey("SOFTWARE\\Tamberlin"));
}

TEST_F(SharedRegistryTest, AKeyCheckLooksInTheViewAskedForWhateverWasOpenedBefore) {
  const std::string display = "SYSTEM\\ControlSet001\\Control\\Class\\{4D36E968-E325-11CE-BFC1-08002BE10318}\\0000";
  fake.AddKey(display, platform::RegistryView::Native);
  fake.AddKey("SOFTWARE\\Tamberlin\\Dextrel");
  ASSERT_TRUE(reg.OpenKey("\\" + display, false, platform::RegistryView::Native));
  EXPECT_TRUE(reg.KeyExists("\\SOFTWARE\\Tamberlin\\Dextrel"));
  EXPECT_FALSE(reg.KeyExists("\\SOFTWARE\\Tamberlin\\Dextrel", platform::RegistryView::Native));
}

TEST_F(SharedRegistryTest, ReadsStringsMissingAsEmptyAndRefusesOtherTypes) {
  fake.SetString("SOFTWARE\\Tamberlin\\Dextrel", "Note", "fast box");
  fake.SetValue("SOFTWARE\\Tamberlin\\Dextrel", "ResultPath", {RegistryValueType::ExpandString, "%TEMP%\\r\\"});
  fake.SetValue("SOFTWARE\\Tamberlin\\Dextrel", "RunNumber", {RegistryValueType::Dword, "\x03\0\0\0"});
  ASSERT_TRUE(reg.OpenKey("\\SOFTWARE\\Tamberlin\\Dextrel", false));
  EXPECT_EQ(reg.ReadString("Note"), "fast box");
  EXPECT_EQ(reg.ReadString("ResultPath"), "%TEMP%\\r\\");  // not expanded
  EXPECT_EQ(reg.ReadString("Quality"), "");
  EXPECT_TRUE(reg.ValueExists("Note"));
  EXPECT_FALSE(reg.ValueExists("Quality"));
  try {
    reg.ReadString("RunNumber");
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "Invalid data type for 'RunNumber'");
  }
}

TEST_F(SharedRegistryTest, AWriteTheSystemRefusesRaisesTheAccessorsError) {
  fake.AddKey("SOFTWARE\\Tamberlin\\Dextrel");
  fake.RefuseWrites("SOFTWARE\\Tamberlin\\Dextrel");
  ASSERT_TRUE(reg.OpenKey("\\SOFTWARE\\Tamberlin\\Dextrel", false));
  EXPECT_THROW(reg.WriteString("Quality", "3"), Error);
  EXPECT_EQ(reg.ReadString("Quality"), "");
}

TEST_F(SharedRegistryTest, WithNoKeyOpenReadsAreEmpty) {
  EXPECT_EQ(reg.ReadString("News"), "");
  EXPECT_FALSE(reg.ValueExists("News"));
  EXPECT_THROW(reg.WriteString("News", "0"), Error);
}

}  // namespace
}  // namespace dx
