#include "app/win32/CommandLineRun.h"

#include "app/HistoryCommand.h"
#include "app/MainForm.h"
#include "app/UnattendedBenchmark.h"
#include "app/win32/ConsoleOutput.h"
#include "app/win32/UnattendedLog.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32LocaleClock.h"
#include "platform/win32/Win32Shell.h"

namespace dx::win32 {

void Tell(ConsoleOutput& out, const std::string& message) {
  if (out.Available()) {
    out.Line(message);
  } else {
    ::MessageBoxA(nullptr, message.c_str(), kMessageCaption, MB_OK);
  }
}

int ShowHelp(ConsoleOutput& out) {
  std::string text;
  for (const auto& line : CommandLineHelp()) text += line + "\r\n";
  Tell(out, text.substr(0, text.size() - 2));
  return 0;
}

int RunHistory(ConsoleOutput& out) {
  Win32FileSystem files;
  Win32Shell shell;
  Win32LocaleClock clock;
  const std::string folder = StoredResultsFolder();
  const auto opening = OpenResultHistory(files, shell, folder, clock.DecimalSeparator());
  if (!opening.message.empty()) Tell(out, opening.message);
  return opening.opened ? 0 : kExitCouldNotStart;
}

}  // namespace dx::win32
