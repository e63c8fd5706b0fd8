#pragma once
// The picture window: the splash shown for six seconds at start-up.
#include "platform/UiThread.h"
#include "platform/win32/Pictures.h"
#include "platform/win32/Window.h"

namespace dx::win32 {

class TAboutBox : public Window {
 public:
  static constexpr int kWidth = 785;
  static constexpr int kHeight = 547;
  static constexpr unsigned kSplashMilliseconds = 6000;

  // Borderless, always on top, centred on the screen; hidden until shown.
  bool Create();
  // Shows the window, paints it at once and holds the user-interface thread for the
  // splash time; the caller destroys the window afterwards.
  void ShowSplash(platform::IUiThread& ui);

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  Picture picture_;
};

}  // namespace dx::win32
