// What the two programs carry in their resources.
#include <windows.h>

#include <gtest/gtest.h>

#include "common/win32/ResourceIds.h"
#include "platform/win32/VersionInfo.h"
#include "tests/win32/TestSupport.h"

namespace dx {
namespace {

TEST(Resources, BothProgramsCarryFileVersion1_5_0_12) {
  EXPECT_EQ(win32::FileVersionOf(test::BuiltProgram("Dextrel.exe")), "1.5.0.12");
  EXPECT_EQ(win32::FileVersionOf(test::BuiltProgram("DextrelUpgrade.exe")), "1.5.0.12");
  // A module without a version resource gives nothing, which the window shows as "Value Not Available".
  EXPECT_EQ(win32::FileVersionOf(test::BuiltProgram("fault_on_purpose.exe")), "");
}

TEST(Resources, TheProgramAsksForAdministratorRightsAndCommonControls6AndCarriesTheHelper) {
  HMODULE program = ::LoadLibraryExA(test::BuiltProgram("Dextrel.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(program, nullptr);
  HRSRC manifest = ::FindResourceA(program, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
  ASSERT_NE(manifest, nullptr);
  const std::string text(static_cast<const char*>(::LockResource(::LoadResource(program, manifest))),
                         ::SizeofResource(program, manifest));
  EXPECT_NE(text.find("requireAdministrator"), std::string::npos);
  EXPECT_NE(text.find("Microsoft.Windows.Common-Controls"), std::string::npos);
  EXPECT_NE(text.find("version=\"6.0.0.0\""), std::string::npos);
  // The program's own identity carries the project's version, as the version resource does.
  EXPECT_NE(text.find("name=\"Tamberlin.Dextrel\" version=\"1.5.0.12\""), std::string::npos) << text;

  HRSRC helper = ::FindResourceA(program, MAKEINTRESOURCEA(IDR_UPGRADE_HELPER), MAKEINTRESOURCEA(10));
  ASSERT_NE(helper, nullptr);
  const std::string helperBytes(static_cast<const char*>(::LockResource(::LoadResource(program, helper))),
                                ::SizeofResource(program, helper));
  EXPECT_EQ(helperBytes, test::ReadWholeFile(test::BuiltProgram("DextrelUpgrade.exe")));
  ::FreeLibrary(program);
}

}  // namespace
}  // namespace dx
