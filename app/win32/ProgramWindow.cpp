#include "app/win32/ProgramWindow.h"

namespace dx::win32 {

bool ProgramWindow::Create() {
  RECT work{};
  ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  const int x = work.left + (work.right - work.left - kClientWidth) / 2;
  const int y = work.top + (work.bottom - work.top - kClientHeight) / 2;
  ClassOptions cls{"TForm1"};
  cls.background = static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH));
  return CreateWindowFor(cls, WS_EX_APPWINDOW, "Dextrel", WS_POPUP | WS_CLIPCHILDREN | WS_MINIMIZEBOX | WS_SYSMENU, x,
                         y, kClientWidth, kClientHeight, nullptr) != nullptr;
}

void ProgramWindow::Show(int showCommand) {
  ::ShowWindow(hwnd(), showCommand);
  ::UpdateWindow(hwnd());
}

LRESULT ProgramWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_DESTROY:
      ::PostQuitMessage(0);
      return 0;
    default:
      return Window::HandleMessage(message, wParam, lParam);
  }
}

}  // namespace dx::win32
