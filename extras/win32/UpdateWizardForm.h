#pragma once
// TUpdateWizardForm: the update check's download window, shown beside the main window
// while the files of an update arrive, and its completion state.
#include <functional>
#include <string>
#include <vector>

#include "platform/win32/Pictures.h"
#include "platform/win32/Window.h"
#include "platform/win32/ui/ViewContainer.h"

namespace dx::win32 {

class TUpdateWizardForm : public Window {
 public:
  static constexpr int kClientWidth = 463;
  static constexpr int kClientHeight = 281;

  // onFinish: the OK button of the completion state. onCancel: the cancel button or the
  // close box; the window closes only through the component.
  TUpdateWizardForm(std::function<void()> onFinish, std::function<void()> onCancel);
  ~TUpdateWizardForm() override;

  // Created topmost and centred on the screen, shown without taking the program's input.
  bool Create(HWND owner);
  void ShowFile(const std::string& url, const std::string& allDownloading);
  void ShowFileSize(const std::string& text);
  void ShowProgress(int currentFilePercent, int allFilesPercent, const std::string& transferRate,
                    const std::string& estimatedTime);
  void ShowCompleted(const std::string& title, const std::string& afterNote);
  void Close();

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  HWND Item(int id) const { return ::GetDlgItem(hwnd(), id); }
  void SetText(int id, const std::string& text);
  void Paint(HDC dc);

  std::function<void()> onFinish_, onCancel_;
  ViewRoutes views_;
  Picture picture_;
  ScopedGdiObject titleFont_;
  std::vector<int> currentFileGroup_, allFilesGroup_;
};

}  // namespace dx::win32
