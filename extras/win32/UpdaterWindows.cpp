#include "extras/win32/UpdaterWindows.h"

#include "extras/SelfUpdater.h"
#include "extras/win32/UpgradeAskForm.h"
#include "platform/win32/Win32Shell.h"

namespace dx::win32 {

UpdaterWindows::~UpdaterWindows() = default;

HWND UpdaterWindows::DownloadWindow() const { return wizard_ ? wizard_->hwnd() : nullptr; }

bool UpdaterWindows::AskUpgrade(const std::string& caption, const std::string& text) {
  return TUpgradeAskForm::Ask(owner_, caption, text);
}

void UpdaterWindows::ShowDownloadWindow() {
  closed_.reset();
  if (wizard_) CloseDownloadWindow();
  wizard_ = std::make_unique<TUpdateWizardForm>(
      [this] {
        if (component_) component_->FinishClicked();
      },
      [this] {
        if (component_) component_->CancelRequested();
      });
  wizard_->Create(owner_);
}

void UpdaterWindows::ShowFile(const std::string& url, const std::string& allDownloading) {
  if (wizard_) wizard_->ShowFile(url, allDownloading);
}

void UpdaterWindows::ShowFileSize(const std::string& text) {
  if (wizard_) wizard_->ShowFileSize(text);
}

void UpdaterWindows::ShowProgress(int currentFilePercent, int allFilesPercent, const std::string& transferRate,
                                  const std::string& estimatedTime) {
  if (wizard_) wizard_->ShowProgress(currentFilePercent, allFilesPercent, transferRate, estimatedTime);
}

void UpdaterWindows::ShowCompleted(const std::string& title, const std::string& afterNote) {
  if (wizard_) wizard_->ShowCompleted(title, afterNote);
}

void UpdaterWindows::CloseDownloadWindow() {
  if (!wizard_) return;
  wizard_->Close();
  closed_ = std::move(wizard_);
}

platform::MessageResult UpdaterWindows::ShowMessage(const std::string& text, const std::string& caption,
                                                    platform::MessageButtons buttons, platform::MessageIcon icon) {
  // Over the download window while it is open; it is topmost, so its boxes are too.
  HWND owner = DownloadWindow();
  if (!owner) owner = owner_;
  return ShowMessageBox(owner, text, caption, buttons, icon);
}

}  // namespace dx::win32
