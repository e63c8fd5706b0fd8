#include "extras/win32/AboutBox.h"

#include "common/win32/ResourceIds.h"

namespace dx::win32 {

bool TAboutBox::Create() {
  picture_ = LoadPicture(IDJ_SPLASH);
  const int x = (::GetSystemMetrics(SM_CXSCREEN) - kWidth) / 2;
  const int y = (::GetSystemMetrics(SM_CYSCREEN) - kHeight) / 2;
  ClassOptions cls{"TAboutBox"};
  cls.background = ::GetSysColorBrush(COLOR_DESKTOP);
  return CreateWindowFor(cls, WS_EX_TOPMOST | WS_EX_TOOLWINDOW, "About", WS_POPUP, x, y, kWidth, kHeight, nullptr) !=
         nullptr;
}

void TAboutBox::ShowSplash(platform::IUiThread& ui) {
  ::ShowWindow(hwnd(), SW_SHOWNOACTIVATE);
  ::UpdateWindow(hwnd());
  ui.Sleep(kSplashMilliseconds);
}

LRESULT TAboutBox::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(hwnd(), &ps);
    DrawPicture(dc, picture_, 0, 0);
    ::EndPaint(hwnd(), &ps);
    return 0;
  }
  return Window::HandleMessage(message, wParam, lParam);
}

}  // namespace dx::win32
