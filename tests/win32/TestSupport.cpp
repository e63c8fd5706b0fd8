#include "tests/win32/TestSupport.h"

#include <shellapi.h>

#include <atomic>
#include <fstream>
#include <sstream>

#include "platform/win32/Scoped.h"

namespace dx::test {
namespace {
std::atomic<int> counter{0};
}

TempFolder::TempFolder() {
  char temp[MAX_PATH] = {};
  ::GetTempPathA(sizeof temp, temp);
  path_ = std::string(temp) + "dextrel-test-" + std::to_string(::GetCurrentProcessId()) + "-" +
          std::to_string(counter++) + "\\";
  ::CreateDirectoryA(path_.c_str(), nullptr);
}

TempFolder::~TempFolder() {
  std::string from = path_.substr(0, path_.size() - 1);
  from.push_back('\0');
  from.push_back('\0');
  SHFILEOPSTRUCTA op{};
  op.wFunc = FO_DELETE;
  op.pFrom = from.c_str();
  op.fFlags = FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
  ::SHFileOperationA(&op);
}

ProgramRun RunProgram(const std::string& commandLine, const std::string& folder, DWORD timeoutMs) {
  ProgramRun run;
  SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
  win32::ScopedHandle readEnd, writeEnd;
  if (!::CreatePipe(readEnd.put(), writeEnd.put(), &sa, 0)) return run;
  ::SetHandleInformation(readEnd.get(), HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOA si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdOutput = writeEnd.get();
  si.hStdError = writeEnd.get();
  si.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
  PROCESS_INFORMATION pi{};
  std::string mutableLine = commandLine;
  if (!::CreateProcessA(nullptr, mutableLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &si, &pi)) {
    return run;
  }
  win32::ScopedHandle process(pi.hProcess), thread(pi.hThread);
  writeEnd.reset();
  run.started = true;
  char buffer[4096];
  DWORD got = 0;
  while (::ReadFile(readEnd.get(), buffer, sizeof buffer, &got, nullptr) && got > 0) run.output.append(buffer, got);
  if (::WaitForSingleObject(process.get(), timeoutMs) != WAIT_OBJECT_0) {
    ::TerminateProcess(process.get(), 0xDEAD);
    run.exitCode = 0xDEAD;
    return run;
  }
  ::GetExitCodeProcess(process.get(), &run.exitCode);
  return run;
}

StartedProgram::StartedProgram(StartedProgram&& other) noexcept
    : process(other.process), thread(other.thread), id(other.id) {
  other.process = other.thread = nullptr;
}

StartedProgram::~StartedProgram() {
  if (process) {
    // A test that failed half-way must not leave its program running into the next test.
    if (::WaitForSingleObject(process, 0) == WAIT_TIMEOUT) ::TerminateProcess(process, 0xDEAD);
    ::CloseHandle(process);
  }
  if (thread) ::CloseHandle(thread);
}

DWORD StartedProgram::WaitForExit(DWORD timeoutMs) {
  if (::WaitForSingleObject(process, timeoutMs) != WAIT_OBJECT_0) {
    ::TerminateProcess(process, 0xDEAD);
    ::WaitForSingleObject(process, 5000);
    return 0xDEAD;
  }
  DWORD code = 0;
  ::GetExitCodeProcess(process, &code);
  return code;
}

bool StartedProgram::Running() const { return process && ::WaitForSingleObject(process, 0) == WAIT_TIMEOUT; }

StartedProgram StartProgram(const std::string& commandLine, const std::string& folder) {
  StartedProgram started;
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  std::string line = commandLine;
  if (::CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                       folder.empty() ? nullptr : folder.c_str(), &si, &pi)) {
    started.process = pi.hProcess;
    started.thread = pi.hThread;
    started.id = pi.dwProcessId;
  }
  return started;
}

HWND WaitForTopWindow(DWORD processId, const char* windowClass, const char* title, DWORD timeoutMs) {
  struct Search {
    DWORD pid;
    const char* cls;
    const char* title;
    HWND found;
  } search{processId, windowClass, title, nullptr};
  for (DWORD waited = 0;; waited += 50) {
    ::EnumWindows(
        [](HWND hwnd, LPARAM param) -> BOOL {
          auto* s = reinterpret_cast<Search*>(param);
          DWORD pid = 0;
          ::GetWindowThreadProcessId(hwnd, &pid);
          char name[256] = {};
          ::GetClassNameA(hwnd, name, sizeof name);
          char text[256] = {};
          ::GetWindowTextA(hwnd, text, sizeof text);
          if ((s->pid == 0 || pid == s->pid) && std::string(name) == s->cls &&
              (!s->title || std::string(text) == s->title) && ::IsWindowVisible(hwnd)) {
            s->found = hwnd;
            return FALSE;
          }
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    if (search.found || waited >= timeoutMs) return search.found;
    ::Sleep(50);
  }
}

std::string BuiltProgram(const std::string& name) {
  std::string dir = DEXTREL_BIN_DIR;
  // The build folder is a Linux path; wine maps the Linux root to drive Z:.
  if (!dir.empty() && dir[0] == '/') {
    for (char& c : dir) {
      if (c == '/') c = '\\';
    }
    dir = "Z:" + dir;
  }
  return dir + "\\" + name;
}

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

void WriteWholeFile(const std::string& path, const std::string& data) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << data;
}

}  // namespace dx::test
