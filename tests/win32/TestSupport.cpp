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
