#pragma once
// The update component's front end on Windows: the question window, the download window
// and the component's message boxes, each box owned by the window it belongs to.
#include <memory>

#include "extras/UpdaterUi.h"
#include "extras/win32/UpdateWizardForm.h"

namespace dx {
class TSelfUpdater;
}

namespace dx::win32 {

class UpdaterWindows : public IUpdaterUi {
 public:
  // owner: the main window, which owns both windows and the boxes shown without the
  // download window.
  explicit UpdaterWindows(HWND owner = nullptr) : owner_(owner) {}
  ~UpdaterWindows() override;

  void SetOwner(HWND owner) { owner_ = owner; }
  // The component whose buttons the download window presses.
  void Attach(TSelfUpdater* component) { component_ = component; }
  // The open download window, or null.
  HWND DownloadWindow() const;

  bool AskUpgrade(const std::string& caption, const std::string& text) override;
  void ShowDownloadWindow() override;
  void ShowFile(const std::string& url, const std::string& allDownloading) override;
  void ShowFileSize(const std::string& text) override;
  void ShowProgress(int currentFilePercent, int allFilesPercent, const std::string& transferRate,
                    const std::string& estimatedTime) override;
  void ShowCompleted(const std::string& title, const std::string& afterNote) override;
  void CloseDownloadWindow() override;
  platform::MessageResult ShowMessage(const std::string& text, const std::string& caption,
                                      platform::MessageButtons buttons, platform::MessageIcon icon) override;

 private:
  HWND owner_;
  TSelfUpdater* component_ = nullptr;
  std::unique_ptr<TUpdateWizardForm> wizard_;
  // A closed window whose button handler may still be running; freed at the next opening.
  std::unique_ptr<TUpdateWizardForm> closed_;
};

}  // namespace dx::win32
