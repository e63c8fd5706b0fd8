#pragma once
// The program's borderless main window.
#include "platform/win32/Window.h"

namespace dx::win32 {

class ProgramWindow : public Window {
 public:
  static constexpr int kClientWidth = 508;
  static constexpr int kClientHeight = 323;

  // Creates the window centred on the desktop, hidden.
  bool Create();
  void Show(int showCommand);

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
};

}  // namespace dx::win32
