// Faults on purpose so the tests can see what the crash handler leaves behind.
// Arguments: the folder for the report files; an exit code to end with once told.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "platform/win32/CrashHandler.h"

int main(int argc, char** argv) {
  dx::win32::CrashHandlerOptions options;
  options.programName = "FaultOnPurpose";
  if (argc > 1) options.folder = argv[1];
  if (argc > 2) options.exitCode = static_cast<unsigned>(std::atoi(argv[2]));
  options.notify = [](const dx::win32::CrashReportFiles& files) {
    std::printf("report: %s\ndump: %s\n", files.reportPath.c_str(), files.dumpPath.c_str());
    std::fflush(stdout);
  };
  dx::win32::InstallCrashHandler(options);
  volatile int* nowhere = reinterpret_cast<volatile int*>(0x10);
  *nowhere = 1;
  return 0;
}
