#include "app/HistoryCommand.h"

#include "app/MainForm.h"
#include "bench/ResultHistory.h"
#include "platform/FileSystem.h"
#include "platform/Shell.h"

namespace dx {

HistoryOpening OpenResultHistory(platform::IFileSystem& files, platform::IShell& shell,
                                 const std::string& resultsFolder, char decimalSeparator) {
  if (resultsFolder.empty() || !files.FolderExists(resultsFolder)) return {false, kNoResultsFolderMessage};
  const auto written = WriteResultHistory(files, resultsFolder, decimalSeparator);
  if (!written.ok) {
    return {false, "The results history \"" + written.path + "\" could not be written: " +
                       (written.errorText.empty() ? "the system gave no reason." : written.errorText)};
  }
  shell.Open(written.path, platform::ShowMode::Normal);
  return {true, written.notice};
}

void TForm1::HistoryButtonClick() {
  const auto opening =
      OpenResultHistory(platform_.files, platform_.shell, ResEdit.Text(), platform_.clock.DecimalSeparator());
  if (!opening.message.empty()) ShowMessageOk(opening.message);
}

}  // namespace dx
