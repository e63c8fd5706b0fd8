#pragma once
#include <windows.h>

#include "platform/Shell.h"

namespace dx::win32 {

// A message box owned by owner, with the buttons and the icon asked for.
platform::MessageResult ShowMessageBox(HWND owner, const std::string& text, const std::string& caption,
                                       platform::MessageButtons buttons, platform::MessageIcon icon);

class Win32Shell : public platform::IShell {
 public:
  // Message boxes and dialogs are owned by this window (the main window once it exists).
  void SetOwner(HWND owner) { owner_ = owner; }

  bool Open(const std::string& target, platform::ShowMode mode) override;
  platform::MessageResult ShowMessage(const std::string& text, const std::string& caption,
                                      platform::MessageButtons buttons, platform::MessageIcon icon) override;
  std::optional<std::string> BrowseForFolder(const std::string& title, bool allowCreateAndDelete) override;
  std::optional<std::string> OpenFile(const std::string& title, const std::string& filter) override;

 private:
  HWND owner_ = nullptr;
};

}  // namespace dx::win32
