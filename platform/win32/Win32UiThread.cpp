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

// The end of a wait not left to the system's timer.
constexpr std::uint32_t kYieldedMilliseconds = 2;

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

// The system's sleep ends up to a timer tick late (about a millisecond under wine, up to
// 16 ms on Windows); the last stretch is yielded away against the performance counter, so
// a fixed wait between runs lasts what it says and no more.
void Win32UiThread::Sleep(std::uint32_t milliseconds) {
  LARGE_INTEGER frequency{}, now{};
  ::QueryPerformanceFrequency(&frequency);
  ::QueryPerformanceCounter(&now);
  const long long due = now.QuadPart + static_cast<long long>(milliseconds) * frequency.QuadPart / 1000;
  if (milliseconds > kYieldedMilliseconds) ::Sleep(milliseconds - kYieldedMilliseconds);
  for (::QueryPerformanceCounter(&now); now.QuadPart < due; ::QueryPerformanceCounter(&now)) ::SwitchToThread();
}

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
