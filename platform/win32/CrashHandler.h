#pragma once
// Hardware faults (access violations and the like) cannot be survived: the process
// writes a minidump and a short text report into the user's temporary folder, tells
// the user where they are, and ends.
#include <functional>
#include <optional>
#include <string>

namespace dx::win32 {

struct CrashReportFiles {
  std::string dumpPath;
  std::string reportPath;
};

struct CrashHandlerOptions {
  std::string programName = "Dextrel";
  // Empty: the user's temporary folder.
  std::string folder;
  // Tells the user; the default shows an error box.
  std::function<void(const CrashReportFiles&)> notify;
  // The process's exit code once told; otherwise the fault's own code.
  std::optional<unsigned> exitCode;
};

void InstallCrashHandler(CrashHandlerOptions options);

}  // namespace dx::win32
