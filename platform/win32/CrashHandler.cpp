#include "platform/win32/CrashHandler.h"

#include <windows.h>
#include <dbghelp.h>
#include <psapi.h>

#include <cstdio>

#include "platform/Paths.h"
#include "platform/win32/Scoped.h"

namespace dx::win32 {
namespace {

CrashHandlerOptions& Options() {
  static CrashHandlerOptions options;
  return options;
}

std::string TempFolder() {
  char buffer[MAX_PATH + 1] = {};
  const DWORD n = ::GetTempPathA(sizeof buffer, buffer);
  return (n > 0 && n < sizeof buffer) ? std::string(buffer, n) : std::string(".\\");
}

std::string ModuleName(HMODULE module) {
  char name[MAX_PATH] = {};
  const DWORD n = ::GetModuleFileNameA(module, name, sizeof name);
  return std::string(name, n);
}

void WriteReport(const std::string& path, EXCEPTION_POINTERS* info) {
  ScopedFile file(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return;
  std::string text;
  char line[512];
  const EXCEPTION_RECORD* record = info->ExceptionRecord;
  const auto address = reinterpret_cast<ULONG_PTR>(record->ExceptionAddress);
  std::snprintf(line, sizeof line, "%s fault report\r\nException code: 0x%08lX\r\nAddress: 0x%016llX\r\n",
                Options().programName.c_str(), static_cast<unsigned long>(record->ExceptionCode),
                static_cast<unsigned long long>(address));
  text += line;
  if (record->ExceptionCode == EXCEPTION_ACCESS_VIOLATION && record->NumberParameters >= 2) {
    std::snprintf(line, sizeof line, "Access violation: %s at 0x%016llX\r\n",
                  record->ExceptionInformation[0] == 1 ? "write" : (record->ExceptionInformation[0] == 8 ? "execute" : "read"),
                  static_cast<unsigned long long>(record->ExceptionInformation[1]));
    text += line;
  }
  text += "Modules:\r\n";
  HMODULE modules[512];
  DWORD needed = 0;
  if (::EnumProcessModules(::GetCurrentProcess(), modules, sizeof modules, &needed)) {
    const DWORD count = std::min<DWORD>(needed / sizeof(HMODULE), 512);
    for (DWORD i = 0; i < count; ++i) {
      MODULEINFO mi{};
      ::GetModuleInformation(::GetCurrentProcess(), modules[i], &mi, sizeof mi);
      const auto base = reinterpret_cast<ULONG_PTR>(mi.lpBaseOfDll);
      const bool holdsFault = address >= base && address < base + mi.SizeOfImage;
      std::snprintf(line, sizeof line, "  0x%016llX %8lu %s%s\r\n", static_cast<unsigned long long>(base),
                    static_cast<unsigned long>(mi.SizeOfImage), ModuleName(modules[i]).c_str(),
                    holdsFault ? "  <- fault" : "");
      text += line;
    }
  }
  DWORD written = 0;
  ::WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

void WriteDump(const std::string& path, EXCEPTION_POINTERS* info) {
  ScopedFile file(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return;
  MINIDUMP_EXCEPTION_INFORMATION exception{};
  exception.ThreadId = ::GetCurrentThreadId();
  exception.ExceptionPointers = info;
  exception.ClientPointers = FALSE;
  ::MiniDumpWriteDump(::GetCurrentProcess(), ::GetCurrentProcessId(), file.get(), MiniDumpNormal, &exception,
                      nullptr, nullptr);
}

LONG WINAPI OnUnhandledFault(EXCEPTION_POINTERS* info) {
  // Only one thread reports; a second fault meanwhile just ends the process.
  static volatile LONG entered = 0;
  if (::InterlockedExchange(&entered, 1) != 0) return EXCEPTION_EXECUTE_HANDLER;

  const CrashHandlerOptions& options = Options();
  const std::string folder = IncludeTrailingBackslash(options.folder.empty() ? TempFolder() : options.folder);
  SYSTEMTIME now{};
  ::GetLocalTime(&now);
  char stem[128];
  std::snprintf(stem, sizeof stem, "%s-fault-%04u%02u%02u-%02u%02u%02u-%lu", options.programName.c_str(), now.wYear,
                now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond,
                static_cast<unsigned long>(::GetCurrentProcessId()));
  CrashReportFiles files{folder + stem + ".dmp", folder + stem + ".txt"};
  WriteReport(files.reportPath, info);
  WriteDump(files.dumpPath, info);
  if (options.notify) {
    options.notify(files);
  } else {
    const std::string text = options.programName +
                             " met a fault it cannot recover from and has to close.\n\n"
                             "A report of the fault was written to:\n" +
                             files.reportPath + "\n" + files.dumpPath;
    ::MessageBoxA(nullptr, text.c_str(), options.programName.c_str(), MB_OK | MB_ICONERROR | MB_TASKMODAL);
  }
  if (options.exitCode) ::TerminateProcess(::GetCurrentProcess(), *options.exitCode);
  return EXCEPTION_EXECUTE_HANDLER;
}

}  // namespace

void InstallCrashHandler(CrashHandlerOptions options) {
  Options() = std::move(options);
  ::SetUnhandledExceptionFilter(&OnUnhandledFault);
}

}  // namespace dx::win32
