// Dextrel: the program entry.
#include <windows.h>
#include <commctrl.h>

#include "app/win32/ProgramWindow.h"
#include "platform/win32/CrashHandler.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int showCommand) {
  dx::win32::InstallCrashHandler({});
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
  ::InitCommonControlsEx(&controls);

  dx::win32::ProgramWindow window;
  if (!window.Create()) return 1;
  window.Show(showCommand);

  MSG msg;
  while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
  return static_cast<int>(msg.wParam);
}
