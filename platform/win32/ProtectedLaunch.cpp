#include "platform/win32/ProtectedLaunch.h"

#include <shlobj.h>
#include <sddl.h>

namespace dx::win32 {
namespace {

// Protected from inheritance: full control for SYSTEM and Administrators, reading and
// running (0x1200a9) for users, nothing for anyone else.
constexpr const char* kFolderAccess = "D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)";

bool IsPlainName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.find_first_of("\\/:*?\"<>|") == std::string::npos;
}

// A new folder, never one that was there before: someone may have made that one.
std::string MakeFolder() {
  char base[MAX_PATH] = {};
  if (FAILED(::SHGetFolderPathA(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, base))) return {};
  const ScopedLocalMemory owned = ProtectedFolderDescriptor();
  PSECURITY_DESCRIPTOR descriptor = owned.get();
  if (!descriptor) return {};
  SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
  const std::string stem = std::string(base) + "\\Dextrel upgrade " + std::to_string(::GetCurrentProcessId()) + "-" +
                           std::to_string(::GetTickCount()) + "-";
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string folder = stem + std::to_string(attempt);
    if (::CreateDirectoryA(folder.c_str(), &attributes)) {
      // Set once more by name: not every file system keeps what the creation was given,
      // and a folder whose list cannot be set is not used.
      if (::SetFileSecurityA(folder.c_str(), DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                             descriptor)) {
        return folder + "\\";
      }
      ::RemoveDirectoryA(folder.c_str());
      return {};
    }
    if (::GetLastError() != ERROR_ALREADY_EXISTS) return {};
  }
  return {};
}

bool WriteNew(const std::string& path, const std::string& bytes) {
  const ScopedFile file(
      ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  DWORD written = 0;
  return ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
         written == bytes.size();
}

// Whether the held file holds exactly bytes.
bool HoldsExactly(HANDLE file, const std::string& bytes) {
  std::string read(bytes.size() + 1, '\0');
  DWORD got = 0, total = 0;
  while (total < read.size() &&
         ::ReadFile(file, read.data() + total, static_cast<DWORD>(read.size() - total), &got, nullptr) && got > 0) {
    total += got;
  }
  return total == bytes.size() && read.compare(0, total, bytes) == 0;
}

}  // namespace

ScopedLocalMemory ProtectedFolderDescriptor() {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!::ConvertStringSecurityDescriptorToSecurityDescriptorA(kFolderAccess, SDDL_REVISION_1, &descriptor, nullptr)) {
    return {};
  }
  return ScopedLocalMemory(descriptor);
}

ProtectedLaunch::~ProtectedLaunch() {
  held_.reset();
  if (folder_.empty()) return;
  if (!path_.empty() && !::DeleteFileA(path_.c_str()) && ::GetFileAttributesA(path_.c_str()) != INVALID_FILE_ATTRIBUTES) {
    // Still running: the system removes both when it starts next.
    ::MoveFileExA(path_.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    ::MoveFileExA(folder_.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    return;
  }
  ::RemoveDirectoryA(folder_.c_str());
}

bool ProtectedLaunch::Prepare(const std::string& fileName, const std::string& bytes) {
  if (!folder_.empty() || !IsPlainName(fileName) || bytes.empty()) return false;
  folder_ = MakeFolder();
  if (folder_.empty()) return false;
  const std::string path = folder_ + fileName;
  if (!WriteNew(path, bytes)) {
    ::DeleteFileA(path.c_str());
    return false;
  }
  path_ = path;
  // Reading and running only, for anyone, until the start; checked once held.
  held_.reset(::CreateFileA(path_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!held_ || !HoldsExactly(held_.get(), bytes)) {
    held_.reset();
    return false;
  }
  return true;
}

ScopedHandle ProtectedLaunch::Start(const std::string& arguments) {
  if (!held_ || started_) return {};
  std::string commandLine = "\"" + path_ + "\"";
  if (!arguments.empty()) commandLine += " " + arguments;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION info{};
  const bool created = ::CreateProcessA(path_.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                        folder_.c_str(), &startup, &info) != 0;
  held_.reset();
  if (!created) return {};
  started_ = true;
  const ScopedHandle thread(info.hThread);
  return ScopedHandle(info.hProcess);
}

}  // namespace dx::win32
