// The folder the elevated program starts the upgrade helper from: only Administrators and
// SYSTEM may write it, and the file cannot be changed, replaced or deleted between its
// writing and its start.
#include <windows.h>
#include <gtest/gtest.h>

#include "platform/win32/ProtectedLaunch.h"
#include "tests/win32/TestSupport.h"

namespace dx::win32 {
namespace {

constexpr DWORD kWriteRights = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_WRITE_EA | FILE_WRITE_ATTRIBUTES |
                               FILE_DELETE_CHILD | DELETE | WRITE_DAC | WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL;

bool IsWellKnown(PSID sid, WELL_KNOWN_SID_TYPE type) {
  BYTE buffer[SECURITY_MAX_SID_SIZE];
  DWORD size = sizeof buffer;
  return ::CreateWellKnownSid(type, nullptr, buffer, &size) && ::EqualSid(sid, buffer);
}

// The folder's access list as it is made and set. (Wine keeps no access lists on its files,
// so reading the folder's own back would test wine, not the program.)
TEST(ProtectedLaunchTest, TheFoldersAccessListLetsOnlyAdministratorsAndSystemWrite) {
  const ScopedLocalMemory descriptor = ProtectedFolderDescriptor();
  ASSERT_TRUE(descriptor);
  SECURITY_DESCRIPTOR_CONTROL control = 0;
  DWORD revision = 0;
  ASSERT_TRUE(::GetSecurityDescriptorControl(descriptor.get(), &control, &revision));
  // Nothing the parent folder grants reaches it.
  EXPECT_TRUE(control & SE_DACL_PROTECTED);
  BOOL present = FALSE, defaulted = FALSE;
  PACL acl = nullptr;
  ASSERT_TRUE(::GetSecurityDescriptorDacl(descriptor.get(), &present, &acl, &defaulted));
  ASSERT_TRUE(present);
  ASSERT_NE(acl, nullptr);  // a null list would let everyone in
  int writers = 0, readers = 0;
  for (DWORD i = 0; i < acl->AceCount; ++i) {
    void* ace = nullptr;
    ASSERT_TRUE(::GetAce(acl, i, &ace));
    const auto* header = static_cast<ACE_HEADER*>(ace);
    ASSERT_EQ(header->AceType, ACCESS_ALLOWED_ACE_TYPE);
    auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(ace);
    PSID sid = &allowed->SidStart;
    if (allowed->Mask & kWriteRights) {
      ++writers;
      EXPECT_TRUE(IsWellKnown(sid, WinBuiltinAdministratorsSid) || IsWellKnown(sid, WinLocalSystemSid))
          << "entry " << i << " lets someone else write: " << std::hex << allowed->Mask;
    } else {
      ++readers;
      EXPECT_TRUE(IsWellKnown(sid, WinBuiltinUsersSid)) << "entry " << i;
    }
  }
  EXPECT_EQ(writers, 2);
  EXPECT_EQ(readers, 1);
}

TEST(ProtectedLaunchTest, TheFileIsHeldAgainstWritesUntilTheStartAndGoesWithItsFolderAfterwards) {
  const std::string bytes = test::ReadWholeFile(test::BuiltProgram("runner_child.exe"));
  ASSERT_FALSE(bytes.empty());
  std::string folder, path;
  {
    ProtectedLaunch launch;
    EXPECT_FALSE(launch.Prepare("..\\escape.exe", bytes));
    ASSERT_TRUE(launch.Prepare("child.exe", bytes));
    folder = launch.Folder();
    path = launch.Path();
    // A fresh folder of its own under the common application data folder.
    char common[MAX_PATH] = {};
    ASSERT_EQ(::GetEnvironmentVariableA("ProgramData", common, sizeof common) > 0, true);
    EXPECT_EQ(folder.rfind(std::string(common) + "\\Dextrel upgrade ", 0), 0u) << folder;
    EXPECT_EQ(path, folder + "child.exe");
    EXPECT_EQ(test::ReadWholeFile(path), bytes);

    // Held: no one opens it for writing or deletion, nor deletes or replaces it.
    const ScopedFile writer(::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                          nullptr, OPEN_EXISTING, 0, nullptr));
    EXPECT_FALSE(writer);
    EXPECT_FALSE(::DeleteFileA(path.c_str()));
    EXPECT_FALSE(::MoveFileExA(path.c_str(), (folder + "moved.exe").c_str(), 0));
    EXPECT_EQ(test::ReadWholeFile(path), bytes);

    const ScopedHandle process = launch.Start("exit 7");
    ASSERT_TRUE(process);
    ASSERT_EQ(::WaitForSingleObject(process.get(), 30000), WAIT_OBJECT_0);
    DWORD code = 0;
    ASSERT_TRUE(::GetExitCodeProcess(process.get(), &code));
    EXPECT_EQ(code, 7u);
    EXPECT_FALSE(launch.Start("exit 8"));
  }
  // Ended, so both go at once.
  EXPECT_EQ(::GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(::GetFileAttributesA(folder.c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
}  // namespace dx::win32
