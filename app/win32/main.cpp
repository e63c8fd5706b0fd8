// Dextrel: the program entry.
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include "app/win32/ProgramWindow.h"
#include "app/win32/SingleInstance.h"
#include "extras/win32/AboutBox.h"
#include "platform/win32/CrashHandler.h"
#include "platform/win32/Win32UiThread.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int showCommand) {
  dx::win32::InstallCrashHandler({});

  // Before anything is shown: one copy per executable path.
  dx::win32::SingleInstance instance;
  if (!instance.Enrol()) ::TerminateProcess(::GetCurrentProcess(), 0);

  ::OleInitialize(nullptr);
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
  ::InitCommonControlsEx(&controls);
  dx::win32::Win32UiThread ui;

  {
    dx::win32::TAboutBox splash;
    if (splash.Create()) splash.ShowSplash(ui);
  }

  dx::win32::ProgramWindow window;
  if (!window.Create()) return 1;
  instance.SetMainWindow(window.hwnd());
  window.Show(showCommand);

  MSG msg;
  while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
  instance.SignOut();
  ::OleUninitialize();
  return static_cast<int>(msg.wParam);
}
