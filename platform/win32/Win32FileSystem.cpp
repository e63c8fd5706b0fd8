#include "platform/win32/Win32FileSystem.h"

#include <windows.h>
#include <shellapi.h>

#include "platform/Paths.h"
#include "platform/win32/Scoped.h"

namespace dx::win32 {
namespace {

std::string LastErrorText() { return SystemErrorText(::GetLastError()); }

// How long an append waits for another program to let go of the file.
constexpr int kAppendAttempts = 50;
constexpr DWORD kAppendRetryMilliseconds = 100;

// The whole file from its current position; false on a read error.
bool ReadRest(HANDLE file, std::string& data) {
  LARGE_INTEGER size{};
  if (!::GetFileSizeEx(file, &size)) return false;
  data.resize(static_cast<std::size_t>(size.QuadPart));
  std::size_t done = 0;
  while (done < data.size()) {
    DWORD got = 0;
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(data.size() - done, 1u << 24));
    if (!::ReadFile(file, data.data() + done, want, &got, nullptr)) return false;
    if (got == 0) break;  // the file shrank while we read it
    done += got;
  }
  data.resize(done);
  return true;
}

bool WriteAll(HANDLE file, const std::string& data) {
  std::size_t done = 0;
  while (done < data.size()) {
    DWORD wrote = 0;
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(data.size() - done, 1u << 24));
    if (!::WriteFile(file, data.data() + done, want, &wrote, nullptr) || wrote == 0) return false;
    done += wrote;
  }
  return ::FlushFileBuffers(file) != 0;
}

// The shell wants absolute paths (wine resolves relative ones against the wrong folder).
std::string FullPath(const std::string& path) {
  char buffer[MAX_PATH * 4];
  const DWORD n = ::GetFullPathNameA(path.c_str(), sizeof buffer, buffer, nullptr);
  return (n > 0 && n < sizeof buffer) ? std::string(buffer, n) : path;
}

// Lists of paths for SHFileOperation end with two zeros.
std::string DoubleZeroTerminated(const std::string& path) {
  std::string out = path;
  out.push_back('\0');
  out.push_back('\0');
  return out;
}

}  // namespace

bool Win32FileSystem::FileExists(const std::string& path) {
  const DWORD a = ::GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool Win32FileSystem::FolderExists(const std::string& path) {
  const DWORD a = ::GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool Win32FileSystem::RemoveFile(const std::string& path) { return ::DeleteFileA(path.c_str()) != 0; }

bool Win32FileSystem::CreateFolder(const std::string& path) { return ::CreateDirectoryA(path.c_str(), nullptr) != 0; }

platform::FileReadResult Win32FileSystem::ReadFile(const std::string& path) {
  ScopedFile file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return {false, {}, LastErrorText()};
  platform::FileReadResult result{true, {}, {}};
  if (!ReadRest(file.get(), result.data)) return {false, {}, LastErrorText()};
  return result;
}

platform::FileWriteResult Win32FileSystem::WriteFile(const std::string& path, const std::string& data) {
  // A rename may replace a read-only file (wine lets it); writing into one must fail as a
  // direct write would.
  const DWORD existing = ::GetFileAttributesA(path.c_str());
  if (existing != INVALID_FILE_ATTRIBUTES && (existing & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY))) {
    return {false, SystemErrorText(ERROR_ACCESS_DENIED)};
  }
  const std::string temp = path + ".dextrel-new";
  {
    ScopedFile file(::CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                  nullptr));
    if (!file) return {false, LastErrorText()};
    if (!WriteAll(file.get(), data)) {
      const std::string error = LastErrorText();
      file.reset();
      ::DeleteFileA(temp.c_str());
      return {false, error};
    }
  }
  if (!::MoveFileExA(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    const std::string error = LastErrorText();
    ::DeleteFileA(temp.c_str());
    return {false, error};
  }
  return {true, {}};
}

platform::FileWriteResult Win32FileSystem::AppendFile(
    const std::string& path, const std::function<std::string(const std::string&)>& addition) {
  // As for WriteFile: wine opens a read-only file for writing.
  const DWORD existing = ::GetFileAttributesA(path.c_str());
  if (existing != INVALID_FILE_ATTRIBUTES && (existing & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY))) {
    return {false, SystemErrorText(ERROR_ACCESS_DENIED)};
  }
  ScopedFile file;
  for (int attempt = 0; attempt < kAppendAttempts; ++attempt) {
    file.reset(::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file) break;
    const DWORD error = ::GetLastError();
    if (error != ERROR_SHARING_VIOLATION && error != ERROR_LOCK_VIOLATION) return {false, SystemErrorText(error)};
    ::Sleep(kAppendRetryMilliseconds);
  }
  if (!file) return {false, LastErrorText()};
  std::string contents;
  if (!ReadRest(file.get(), contents)) return {false, LastErrorText()};
  const std::string added = addition(contents);
  LARGE_INTEGER end{};
  if (!::SetFilePointerEx(file.get(), end, nullptr, FILE_END) || !WriteAll(file.get(), added)) {
    return {false, LastErrorText()};
  }
  return {true, {}};
}

std::vector<std::string> Win32FileSystem::ListFiles(const std::string& folder, const std::string& pattern) {
  std::vector<std::string> names;
  const std::string searchPattern = IncludeTrailingBackslash(folder) + pattern;
  WIN32_FIND_DATAA found{};
  ScopedFind find(::FindFirstFileA(searchPattern.c_str(), &found));
  if (!find) return names;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.emplace_back(found.cFileName);
  } while (::FindNextFileA(find.get(), &found));
  return names;
}

std::uint32_t Win32FileSystem::GetAttributes(const std::string& path) { return ::GetFileAttributesA(path.c_str()); }

bool Win32FileSystem::SetAttributes(const std::string& path, std::uint32_t attributes) {
  return ::SetFileAttributesA(path.c_str(), attributes) != 0;
}

bool Win32FileSystem::SetModificationTime(const std::string& path, platform::FileTime time) {
  ScopedFile file(::CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  // 100-ns intervals since 1601-01-01.
  const ULONGLONG ticks = static_cast<ULONGLONG>(time + 11644473600LL) * 10000000ULL;
  FILETIME ft{static_cast<DWORD>(ticks & 0xFFFFFFFFu), static_cast<DWORD>(ticks >> 32)};
  return ::SetFileTime(file.get(), &ft, &ft, &ft) != 0;
}

std::string Win32FileSystem::TempFolder() {
  char buffer[MAX_PATH + 1];
  const DWORD length = ::GetTempPathA(sizeof buffer, buffer);
  if (length == 0 || length > MAX_PATH) return {};
  return IncludeTrailingBackslash(std::string(buffer, length));
}

platform::FileOpResult Win32FileSystem::ShellOperation(unsigned operation, const std::string& source,
                                                       const std::string& target, const std::string& progressTitle) {
  // The shell's answer for a missing source differs between systems (wine reports
  // success); the file system's does not.
  if (::GetFileAttributesA(source.c_str()) == INVALID_FILE_ATTRIBUTES) return {ERROR_FILE_NOT_FOUND};
  const std::string from = DoubleZeroTerminated(FullPath(source));
  const std::string to = DoubleZeroTerminated(FullPath(target));
  SHFILEOPSTRUCTA op{};
  op.hwnd = static_cast<HWND>(owner_);
  op.wFunc = operation;
  op.pFrom = from.c_str();
  op.pTo = to.c_str();
  op.fFlags = FOF_NOCONFIRMATION | FOF_NOCONFIRMMKDIR | FOF_FILESONLY | FOF_SIMPLEPROGRESS | FOF_NOERRORUI;
  op.lpszProgressTitle = progressTitle.c_str();
  const int code = ::SHFileOperationA(&op);
  if (code == 0 && op.fAnyOperationsAborted) return {ERROR_CANCELLED};
  return {code};
}

platform::FileOpResult Win32FileSystem::ShellCopy(const std::string& source, const std::string& target,
                                                  const std::string& progressTitle) {
  return ShellOperation(FO_COPY, source, target, progressTitle);
}

platform::FileOpResult Win32FileSystem::ShellMove(const std::string& source, const std::string& target,
                                                  const std::string& progressTitle) {
  return ShellOperation(FO_MOVE, source, target, progressTitle);
}

}  // namespace dx::win32
