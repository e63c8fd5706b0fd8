#include "app/HistoryCommand.h"

#include "app/MainForm.h"
#include "bench/ResultHistory.h"
#include "platform/FileSystem.h"
#include "platform/Shell.h"

namespace dx {

std::optional<std::string> OpenResultHistory(platform::IFileSystem& files, platform::IShell& shell,
                                             const std::string& resultsFolder, char decimalSeparator) {
  if (resultsFolder.empty() || !files.FolderExists(resultsFolder)) return std::string(kNoResultsFolderMessage);
  const auto written = WriteResultHistory(files, resultsFolder, decimalSeparator);
  if (!written.ok) {
    return "The results history \"" + written.path + "\" could not be written: " +
           (written.errorText.empty() ? "the system gave no reason." : written.errorText);
  }
  shell.Open(written.path, platform::ShowMode::Normal);
  return std::nullopt;
}

void TForm1::HistoryButtonClick() {
  if (auto problem = OpenResultHistory(platform_.files, platform_.shell, ResEdit.Text(),
                                       platform_.clock.DecimalSeparator())) {
    ShowMessageOk(*problem);
  }
}

}  // namespace dx
