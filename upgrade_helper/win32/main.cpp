// The upgrade helper: replaces the program's files after it has ended and starts it again.
#include <windows.h>

#include <string>
#include <vector>

#include "upgrade_helper/UpgradeHelper.h"

namespace {

constexpr const char* kCaption = "Dextrel upgrade helper";

class Win32HelperSystem : public dx::upgrade::IHelperSystem {
 public:
  bool FileExists(const std::string& path) override {
    const DWORD a = ::GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
  }
  std::string FoundName(const std::string& path) override {
    WIN32_FIND_DATAA found{};
    HANDLE find = ::FindFirstFileA(path.c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return {};
    ::FindClose(find);
    return found.cFileName;
  }
  std::vector<std::string> ListFiles(const std::string& folder, const std::string& pattern) override {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found{};
    HANDLE find = ::FindFirstFileA((folder + pattern).c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
      if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.emplace_back(found.cFileName);
    } while (::FindNextFileA(find, &found));
    ::FindClose(find);
    return names;
  }
  bool SetAttributes(const std::string& path, std::uint32_t attributes) override {
    return ::SetFileAttributesA(path.c_str(), attributes) != 0;
  }
  bool RemoveFile(const std::string& path) override { return ::DeleteFileA(path.c_str()) != 0; }
  bool RenameFile(const std::string& from, const std::string& to) override {
    return ::MoveFileA(from.c_str(), to.c_str()) != 0;
  }
  bool CanOpenExclusively(const std::string& path) override {
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    ::CloseHandle(file);
    return true;
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
    ::CloseHandle(info.hThread);
    ::CloseHandle(info.hProcess);
    return true;
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
  std::vector<std::string> arguments(__argv + 1, __argv + __argc);
  Win32HelperSystem system;
  dx::upgrade::RunUpgrade(dx::upgrade::ParseArguments(arguments), system);
  return 0;
}
