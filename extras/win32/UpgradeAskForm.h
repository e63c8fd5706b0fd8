#pragma once
// TUpgradeAskForm: the update check's question whether to install a newer version.
#include <string>

#include "platform/win32/Window.h"
#include "platform/win32/ui/ViewContainer.h"

namespace dx::win32 {

class TUpgradeAskForm : public Window {
 public:
  static constexpr int kClientWidth = 318;
  static constexpr int kStripHeight = 45;

  // Shows the window modally over owner; true only when the user pressed Yes.
  static bool Ask(HWND owner, const std::string& caption, const std::string& text);

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  TUpgradeAskForm() = default;
  bool Create(HWND owner, const std::string& caption, const std::string& text);
  void Finish(bool yes);

  ViewRoutes views_;
  bool done_ = false;
  bool yes_ = false;
};

}  // namespace dx::win32
