#include "extras/HelpLinks.h"

#include "common/Hosts.h"

namespace dx {

void OpenHelpFile(platform::IFileSystem& files, platform::IShell& shell, const std::string& programDir) {
  const std::string path = programDir + kHelpFile;
  if (!files.FileExists(path)) {
    shell.ShowMessage(kHelpMissing, "Dextrel", platform::MessageButtons::Ok, platform::MessageIcon::Error);
    return;
  }
  shell.Open(path, platform::ShowMode::Show);
}

// Without a scheme: the shell opens them as web addresses.
void OpenTweakGuide(platform::IShell& shell) { shell.Open(kTweakGuidePage, platform::ShowMode::Normal); }

void OpenHomePage(platform::IShell& shell) { shell.Open(kMakerHomePage, platform::ShowMode::Normal); }

}  // namespace dx
