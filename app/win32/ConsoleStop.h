#pragma once
// Ctrl+C, Ctrl+Break and closing the console a benchmark nobody watches was started from:
// the system calls the handler on a thread of its own, so it hands the close over to the
// window and waits, within the system's grace period, until the benchmark has ended and
// its files are back.
#include <windows.h>

#include "platform/win32/Scoped.h"

namespace dx::win32 {

class ConsoleStop {
 public:
  explicit ConsoleStop(HWND window);
  ~ConsoleStop();
  ConsoleStop(const ConsoleStop&) = delete;
  ConsoleStop& operator=(const ConsoleStop&) = delete;
  // The benchmark has ended and everything is back: a waiting handler may return.
  void Done();

 private:
  static BOOL WINAPI Handler(DWORD event);
  HWND window_;
  ScopedHandle done_;
};

}  // namespace dx::win32
