#include "app/win32/ConsoleStop.h"

#include <atomic>

namespace dx::win32 {
namespace {

// Closing the console leaves five seconds before the system ends the process.
constexpr DWORD kCloseGraceMilliseconds = 4500;
// Ctrl+C has no limit; the game is closed and the report saved well within this.
constexpr DWORD kInterruptWaitMilliseconds = 60000;

std::atomic<HWND> currentWindow{nullptr};
std::atomic<HANDLE> currentDone{nullptr};

}  // namespace

ConsoleStop::ConsoleStop(HWND window) : window_(window), done_(::CreateEventA(nullptr, TRUE, FALSE, nullptr)) {
  if (!done_) return;
  currentWindow = window_;
  currentDone = done_.get();
  ::SetConsoleCtrlHandler(&ConsoleStop::Handler, TRUE);
}

ConsoleStop::~ConsoleStop() {
  ::SetConsoleCtrlHandler(&ConsoleStop::Handler, FALSE);
  Done();
  currentWindow = nullptr;
  currentDone = nullptr;
}

void ConsoleStop::Done() {
  if (done_) ::SetEvent(done_.get());
}

BOOL WINAPI ConsoleStop::Handler(DWORD event) {
  // Log-off and shut-down reach the window as session messages.
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT) return FALSE;
  const HWND window = currentWindow.load();
  const HANDLE done = currentDone.load();
  if (!window || !done) return FALSE;
  if (::PostMessageA(window, WM_CLOSE, 0, 0)) {
    ::WaitForSingleObject(done, event == CTRL_CLOSE_EVENT ? kCloseGraceMilliseconds : kInterruptWaitMilliseconds);
  }
  return TRUE;
}

}  // namespace dx::win32
