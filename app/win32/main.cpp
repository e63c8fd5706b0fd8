// Dextrel: the program entry.
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include "app/win32/MainWindow.h"
#include "app/win32/SingleInstance.h"
#include "extras/win32/AboutBox.h"
#include "platform/win32/CrashHandler.h"
#include "platform/win32/Scoped.h"
#include "platform/win32/Win32Display.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Internet.h"
#include "platform/win32/Win32LocaleClock.h"
#include "platform/win32/Win32Processes.h"
#include "platform/win32/Win32Processor.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32Shell.h"
#include "platform/win32/Win32SystemMarks.h"
#include "platform/win32/Win32UiThread.h"

namespace {

// Everything the program owns lives in this scope, so it is released in order once the
// event loop has ended.
int RunProgram(dx::win32::SingleInstance& instance, int showCommand) {
  dx::win32::Win32UiThread ui;
  dx::win32::Win32Registry registry;
  dx::win32::Win32FileSystem files;
  dx::win32::Win32Processes processes(ui);
  dx::win32::Win32Display display;
  dx::win32::Win32Processor processor;
  dx::win32::Win32Shell shell;
  dx::win32::Win32Internet internet;
  dx::win32::Win32LocaleClock clock;
  dx::win32::Win32SystemMarks marks;
  dx::platform::Platform platform{registry, files, processes, ui, display, processor, shell, internet, clock, marks};

  {
    dx::win32::TAboutBox splash;
    if (splash.Create()) splash.ShowSplash(ui);
  }

  dx::win32::MainWindow window(platform, shell);
  if (!window.Create()) return 1;
  files.SetOwnerWindow(window.hwnd());
  instance.SetMainWindow(window.hwnd());
  window.Show(showCommand);

  MSG msg;
  while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (window.TranslateProgramKey(msg)) continue;
    if (dx::win32::RouteDialogKeys(msg)) continue;
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
  files.SetOwnerWindow(nullptr);
  shell.SetOwner(nullptr);
  return static_cast<int>(msg.wParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int showCommand) {
  dx::win32::InstallCrashHandler({});

  // Before anything is shown: one copy per executable path.
  dx::win32::SingleInstance instance;
  if (!instance.Enrol()) ::TerminateProcess(::GetCurrentProcess(), 0);

  const dx::win32::ScopedOleInitialize ole;
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
  ::InitCommonControlsEx(&controls);
  const int exitCode = RunProgram(instance, showCommand);
  instance.SignOut();
  return exitCode;
}
