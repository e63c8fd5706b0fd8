#include "platform/win32/Win32Registry.h"

#include <gtest/gtest.h>

#include "common/SharedRegistry.h"
#include "common/Errors.h"
#include "tests/win32/TestSupport.h"

namespace dx {
namespace {

// Every test works below its own key and removes it afterwards.
class Win32RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    keyName = "DextrelTest" + std::to_string(::GetCurrentProcessId()) + "_" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name();
    path = "SOFTWARE\\" + keyName;
  }
  void TearDown() override {
    for (REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
      HKEY software = nullptr;
      if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE", 0, KEY_ALL_ACCESS | view, &software) == ERROR_SUCCESS) {
        ::RegDeleteTreeA(software, keyName.c_str());
        ::RegCloseKey(software);
      }
    }
  }

  std::string keyName;
  std::string path;
  win32::Win32Registry native;
  SharedRegistry reg{native};
};

TEST_F(Win32RegistryTest, WritesAndReadsBackStringsAndMissingValuesReadEmpty) {
  EXPECT_FALSE(reg.OpenKey("\\" + path, false));
  ASSERT_TRUE(reg.OpenKey("\\" + path, true));
  reg.WriteString("Path", "C:\\Program Files\\Quake 4\\");
  reg.WriteString("Empty", "");
  reg.WriteString("Times", "1280 \xD7 1024");
  ASSERT_TRUE(reg.OpenKey("\\" + path, false));
  EXPECT_EQ(reg.ReadString("Path"), "C:\\Program Files\\Quake 4\\");
  EXPECT_EQ(reg.ReadString("Times"), "1280 \xD7 1024");
  EXPECT_EQ(reg.ReadString("Empty"), "");
  EXPECT_TRUE(reg.ValueExists("Empty"));
  EXPECT_FALSE(reg.ValueExists("Nothing"));
  EXPECT_EQ(reg.ReadString("Nothing"), "");
  EXPECT_TRUE(reg.KeyExists("\\" + path));
}

TEST_F(Win32RegistryTest, AValueOfAnotherTypeRaisesTheTypeError) {
  ASSERT_TRUE(reg.OpenKey("\\" + path, true));
  HKEY key = nullptr;
  ASSERT_EQ(::RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_ALL_ACCESS | KEY_WOW64_32KEY, &key), ERROR_SUCCESS);
  const DWORD three = 3;
  ::RegSetValueExA(key, "RunNumber", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&three), sizeof three);
  ::RegSetValueExA(key, "Folder", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>("%TEMP%\\x"), 9);
  ::RegCloseKey(key);
  EXPECT_EQ(reg.ReadString("Folder"), "%TEMP%\\x");
  try {
    reg.ReadString("RunNumber");
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "Invalid data type for 'RunNumber'");
  }
}

TEST_F(Win32RegistryTest, KeysLiveInThe32BitViewWhereRegQuerySeesThem) {
  ASSERT_TRUE(reg.OpenKey("\\" + path, true));
  reg.WriteString("News", "0");
  // The native 64-bit view does not hold it...
  HKEY key = nullptr;
  EXPECT_NE(::RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ | KEY_WOW64_64KEY, &key), ERROR_SUCCESS);
  // ...and the registry tool finds it only when asked for the 32-bit view.
  const auto in32 = test::RunProgram("reg.exe query \"HKLM\\" + path + "\" /v News /reg:32");
  ASSERT_TRUE(in32.started);
  EXPECT_NE(in32.output.find("News"), std::string::npos) << in32.output;
  EXPECT_NE(in32.output.find("REG_SZ"), std::string::npos) << in32.output;
  const auto in64 = test::RunProgram("reg.exe query \"HKLM\\" + path + "\" /v News /reg:64");
  EXPECT_EQ(in64.output.find("REG_SZ"), std::string::npos) << in64.output;
}

TEST_F(Win32RegistryTest, AFailedOpenLeavesNothingToWriteInto) {
  ASSERT_TRUE(reg.OpenKey("\\" + path, true));
  EXPECT_FALSE(reg.OpenKey("\\" + path + "\\Missing", false));
  EXPECT_THROW(reg.WriteString("News", "1"), Error);
  ASSERT_TRUE(reg.OpenKey("\\" + path, false));
  EXPECT_FALSE(reg.ValueExists("News"));
}

}  // namespace
}  // namespace dx
