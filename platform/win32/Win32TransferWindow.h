#pragma once
// The user-interface thread as the transfer components see it: one hidden window for all
// of them receives message 0x8FFF from their workers and runs the handed-over call. The
// window is created with the first instance and destroyed with the last, under a lock.
#include <windows.h>

#include <cstdint>
#include <functional>

#include "platform/UiThread.h"

namespace dx::win32 {

inline constexpr UINT kTransferMessage = 0x8FFF;

class Win32TransferWindow : public platform::IUiThread {
 public:
  // On the user-interface thread.
  Win32TransferWindow();
  ~Win32TransferWindow() override;
  Win32TransferWindow(const Win32TransferWindow&) = delete;
  Win32TransferWindow& operator=(const Win32TransferWindow&) = delete;

  void Sleep(std::uint32_t milliseconds) override;
  void ProcessMessages() override;
  // From a worker: sends the call to the window and returns once it has run; an error it
  // raises goes to the handler for unexpected errors. On the owning thread it runs at once.
  void Invoke(const std::function<void()>& call) override;

  // The shared window; null when no instance exists.
  static HWND SharedWindow();

 private:
  DWORD ownerThread_;
};

}  // namespace dx::win32
