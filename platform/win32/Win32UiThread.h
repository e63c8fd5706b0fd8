#pragma once
// The user-interface thread: one hidden message-only window for the whole process
// receives the calls other threads hand over (message 0x8FFF), so they run between the
// thread's other messages. The window is created with the first instance and destroyed
// with the last, under a lock; the program, the transfer workers and the child-process
// waits all go through it.
#include <windows.h>

#include <cstdint>
#include <functional>

#include "platform/UiThread.h"

namespace dx::win32 {

class Win32UiThread : public platform::IUiThread {
 public:
  // On the user-interface thread, which owns the shared window.
  Win32UiThread();
  ~Win32UiThread() override;
  Win32UiThread(const Win32UiThread&) = delete;
  Win32UiThread& operator=(const Win32UiThread&) = delete;

  void Sleep(std::uint32_t milliseconds) override;
  void ProcessMessages() override;
  // From another thread the call is sent to the shared window and this returns once it
  // has run; an error it raises goes to the handler for unexpected errors. On the
  // user-interface thread itself the call runs at once and its errors reach the caller.
  void Invoke(const std::function<void()>& call) override;

  DWORD ThreadId() const { return threadId_; }
  // The shared window; null while no instance exists.
  static HWND SharedWindow();

 private:
  DWORD threadId_;
};

}  // namespace dx::win32
