// The upgrade helper: replaces the program's files after it has ended and starts it again.
#include <windows.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/win32/ProtectedLaunch.h"
#include "platform/win32/Scoped.h"
#include "upgrade_helper/UpgradeHelper.h"

namespace {

constexpr const char* kCaption = "Dextrel upgrade helper";

// Open for reading and for its own rename only: no one else can write, rename or delete
// it while it is held.
class Win32HeldFile : public dx::upgrade::IHeldFile {
 public:
  explicit Win32HeldFile(dx::win32::ScopedFile file) : file_(std::move(file)) {}
  std::optional<std::size_t> Read(char* buffer, std::size_t size) override {
    DWORD got = 0;
    if (!::ReadFile(file_.get(), buffer, static_cast<DWORD>(size), &got, nullptr)) return std::nullopt;
    return got;
  }
  bool RenameTo(const std::string& path) override {
    const int length = ::MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0);
    if (length <= 0) return false;
    std::vector<char> block(sizeof(FILE_RENAME_INFO) + static_cast<std::size_t>(length) * sizeof(WCHAR));
    auto* info = reinterpret_cast<FILE_RENAME_INFO*>(block.data());
    info->ReplaceIfExists = TRUE;
    info->RootDirectory = nullptr;
    info->FileNameLength = static_cast<DWORD>((length - 1) * sizeof(WCHAR));
    ::MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, info->FileName, length);
    return ::SetFileInformationByHandle(file_.get(), FileRenameInfo, info, static_cast<DWORD>(block.size())) != 0;
  }

 private:
  dx::win32::ScopedFile file_;
};

class Win32HelperSystem : public dx::upgrade::IHelperSystem {
 public:
  bool FileExists(const std::string& path) override {
    const DWORD a = ::GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
  }
  std::string FoundName(const std::string& path) override {
    WIN32_FIND_DATAA found{};
    dx::win32::ScopedFind find(::FindFirstFileA(path.c_str(), &found));
    if (!find) return {};
    return found.cFileName;
  }
  std::unique_ptr<dx::upgrade::IHeldFile> Hold(const std::string& path) override {
    dx::win32::ScopedFile file(::CreateFileA(path.c_str(), GENERIC_READ | DELETE, FILE_SHARE_READ, nullptr,
                                             OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) return nullptr;
    return std::make_unique<Win32HeldFile>(std::move(file));
  }
  bool SetAttributes(const std::string& path, std::uint32_t attributes) override {
    return ::SetFileAttributesA(path.c_str(), attributes) != 0;
  }
  bool RemoveFile(const std::string& path) override { return ::DeleteFileA(path.c_str()) != 0; }
  bool CanOpenExclusively(const std::string& path) override {
    const dx::win32::ScopedFile file(
        ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return static_cast<bool>(file);
  }
  void WaitTurn() override {
    // Waiting for messages, not sleeping: the program that started the helper with
    // WinExec is held until the helper waits for input, and it cannot end before.
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageA(&msg);
    }
  }
  void SetLowPriority(bool low) override {
    ::SetThreadPriority(::GetCurrentThread(), low ? THREAD_PRIORITY_LOWEST : THREAD_PRIORITY_NORMAL);
  }
  std::uint32_t TickCount() override { return ::GetTickCount(); }
  bool StartProgram(const std::string& program, const std::string& arguments) override {
    // Quoted, so a folder with blanks cannot lead the system to another program.
    std::string commandLine = "\"" + program + "\"";
    if (!arguments.empty()) commandLine += " " + arguments;
    const std::size_t slash = program.find_last_of('\\');
    const std::string folder = slash == std::string::npos ? std::string() : program.substr(0, slash + 1);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION info{};
    if (!::CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          folder.empty() ? nullptr : folder.c_str(), &startup, &info)) {
      return false;
    }
    const dx::win32::ScopedHandle thread(info.hThread), process(info.hProcess);
    return true;
  }
  bool RunProtected(const std::string& fileName, const std::string& bytes, const std::string& arguments,
                    std::uint32_t limitMs) override {
    dx::win32::ProtectedLaunch launch;
    if (!launch.Prepare(fileName, bytes)) return false;
    const dx::win32::ScopedHandle process = launch.Start(arguments);
    if (!process) return false;
    // A setup program waits on the user; the helper's own window messages keep moving.
    const DWORD started = ::GetTickCount();
    for (;;) {
      HANDLE waited = process.get();
      const DWORD woken = ::MsgWaitForMultipleObjects(1, &waited, FALSE, 100, QS_ALLINPUT);
      if (woken == WAIT_OBJECT_0) return true;
      if (woken == WAIT_FAILED || ::GetTickCount() - started >= limitMs) return false;
      MSG msg;
      while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
      }
    }
  }
  void ShowError(const std::string& text) override {
    ::MessageBoxA(nullptr, text.c_str(), kCaption, MB_OK | MB_ICONERROR);
  }
};

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  if (__argc <= 1) {
    ::MessageBoxA(nullptr,
                  "This is the Dextrel upgrade helper.\n\n"
                  "Dextrel starts it by itself to install a downloaded update; "
                  "there is no need to start it by hand.",
                  kCaption, MB_OK | MB_ICONINFORMATION);
    return 0;
  }
  const dx::upgrade::HelperArguments arguments =
      dx::upgrade::ParseArguments(std::vector<std::string>(__argv + 1, __argv + __argc));
  if (!arguments.valid) {
    ::MessageBoxA(nullptr, "The upgrade helper was started with arguments it does not know. Nothing was changed.",
                  kCaption, MB_OK | MB_ICONERROR);
    return 1;
  }
  Win32HelperSystem system;
  dx::upgrade::RunUpgrade(arguments, system);
  return 0;
}
