#include "platform/win32/Win32UiThread.h"

#include <memory>
#include <mutex>

#include "platform/win32/Messages.h"
#include "platform/win32/Window.h"

namespace dx::win32 {
namespace {

class CallWindow : public Window {
 public:
  CallWindow() { CreateWindowFor({"DextrelUiThread"}, 0, "", 0, 0, 0, 0, 0, HWND_MESSAGE); }

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    // A null call is a message sent while its sender was being torn down: nothing to run.
    if (message == messages::kUiThreadCall) {
      if (lParam) (*reinterpret_cast<const std::function<void()>*>(lParam))();
      return 0;
    }
    return Window::HandleMessage(message, wParam, lParam);
  }
};

std::mutex gLock;
std::unique_ptr<CallWindow> gWindow;
int gUsers = 0;

}  // namespace

Win32UiThread::Win32UiThread() : threadId_(::GetCurrentThreadId()) {
  std::lock_guard lock(gLock);
  if (gUsers++ == 0) gWindow = std::make_unique<CallWindow>();
}

Win32UiThread::~Win32UiThread() {
  std::lock_guard lock(gLock);
  if (--gUsers == 0) gWindow.reset();
}

HWND Win32UiThread::SharedWindow() {
  std::lock_guard lock(gLock);
  return gWindow ? gWindow->hwnd() : nullptr;
}

void Win32UiThread::Sleep(std::uint32_t milliseconds) { ::Sleep(milliseconds); }

void Win32UiThread::ProcessMessages() { PumpWaitingMessages(); }

void Win32UiThread::Invoke(const std::function<void()>& call) {
  if (::GetCurrentThreadId() == threadId_) {
    call();
    return;
  }
  if (const HWND window = SharedWindow()) {
    ::SendMessageA(window, messages::kUiThreadCall, 0, reinterpret_cast<LPARAM>(&call));
  }
}

}  // namespace dx::win32
