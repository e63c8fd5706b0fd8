#include "app/win32/CommandLineRun.h"

#include "app/HistoryCommand.h"
#include "app/MainForm.h"
#include "app/SettingsStore.h"
#include "common/SharedRegistry.h"
#include "app/UnattendedBenchmark.h"
#include "app/win32/ConsoleOutput.h"
#include "platform/win32/VersionInfo.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32LocaleClock.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32Shell.h"

namespace dx::win32 {

void Tell(ConsoleOutput& out, const std::string& message) {
  if (out.Available()) {
    out.Line(message);
  } else {
    ::MessageBoxA(nullptr, message.c_str(), kMessageCaption, MB_OK);
  }
}

int RunHistory(ConsoleOutput& out) {
  Win32Registry registry;
  Win32FileSystem files;
  Win32Shell shell;
  Win32LocaleClock clock;
  std::string folder;
  try {
    SharedRegistry settings(registry);
    if (settings.OpenKey(settings::kSettingsKey, false)) folder = settings.ReadString(settings::kResultPath);
  } catch (const std::exception&) {
    // A stored value that cannot be read leaves the folder the program would choose.
  }
  if (folder.empty()) folder = ExtractFilePath(OwnExecutablePath()) + settings::kDefaultResultsFolder;
  const auto opening = OpenResultHistory(files, shell, folder, clock.DecimalSeparator());
  if (!opening.message.empty()) Tell(out, opening.message);
  return opening.opened ? 0 : kExitCouldNotStart;
}

}  // namespace dx::win32
