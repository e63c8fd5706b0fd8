#include "app/win32/UnattendedLog.h"

#include <windows.h>

#include <cstdio>

#include "app/SettingsStore.h"
#include "app/win32/ConsoleOutput.h"
#include "common/SharedRegistry.h"
#include "common/Text.h"
#include "platform/Paths.h"
#include "platform/win32/VersionInfo.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Registry.h"

namespace dx::win32 {

std::string StoredResultsFolder() {
  Win32Registry registry;
  std::string folder;
  try {
    SharedRegistry settings(registry);
    if (settings.OpenKey(settings::kSettingsKey, false)) folder = settings.ReadString(settings::kResultPath);
  } catch (const std::exception&) {
    // A stored value that cannot be read leaves the folder the program would choose.
  }
  return folder.empty() ? ExtractFilePath(OwnExecutablePath()) + settings::kDefaultResultsFolder : folder;
}

UnattendedLog::UnattendedLog(ConsoleOutput& out, const std::string& resultsFolder)
    : out_(out), folder_(resultsFolder) {}

void UnattendedLog::Line(const std::string& text) {
  if (out_.Available()) {
    out_.Line(text);
    return;
  }
  Win32FileSystem files;
  if (path_.empty()) {
    std::string folder = folder_;
    if (folder.empty() || !files.FolderExists(folder)) folder = StoredResultsFolder();
    if (!files.FolderExists(folder)) folder = files.TempFolder();
    path_ = IncludeTrailingBackslash(folder) + kUnattendedLogName;
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, "%04u-%02u-%02u %02u:%02u:%02u", now.wYear, now.wMonth, now.wDay, now.wHour,
                  now.wMinute, now.wSecond);
    files.AppendFile(path_, [&](const std::string&) { return "-- Dextrel /benchmark, " + std::string(stamp) + "\r\n"; });
  }
  // Nowhere else to tell a failure: the line is lost, the benchmark goes on.
  files.AppendFile(path_, [&](const std::string&) { return text + "\r\n"; });
}

bool AsksForBenchmark(const std::vector<std::string>& arguments) {
  for (const auto& argument : arguments) {
    if (EqualsNoCase(argument, "/benchmark") || EqualsNoCase(argument, "-benchmark")) return true;
  }
  return false;
}

}  // namespace dx::win32
