#pragma once
// The user-interface thread: a hidden message-only window created on it receives the
// calls other threads hand over, so they run between the thread's other messages.
#include <windows.h>

#include <cstdint>
#include <functional>

#include "platform/UiThread.h"
#include "platform/win32/Window.h"

namespace dx::win32 {

class Win32UiThread : public platform::IUiThread, private Window {
 public:
  // Must be created on the user-interface thread.
  Win32UiThread();
  ~Win32UiThread() override = default;

  void Sleep(std::uint32_t milliseconds) override;
  void ProcessMessages() override;
  // From another thread the call is sent to the hidden window and this returns once it
  // has run; an error it raises goes to the handler for unexpected errors. On the
  // user-interface thread itself the call runs at once and its errors reach the caller.
  void Invoke(const std::function<void()>& call) override;

  DWORD ThreadId() const { return threadId_; }

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  DWORD threadId_;
};

}  // namespace dx::win32
