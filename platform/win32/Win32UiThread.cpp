#include "platform/win32/Win32UiThread.h"

namespace dx::win32 {
namespace {

constexpr UINT kInvokeMessage = WM_APP + 0x3A1;

}  // namespace

Win32UiThread::Win32UiThread() : threadId_(::GetCurrentThreadId()) {
  CreateWindowFor({"DextrelUiThread"}, 0, "", 0, 0, 0, 0, 0, HWND_MESSAGE);
}

void Win32UiThread::Sleep(std::uint32_t milliseconds) { ::Sleep(milliseconds); }

void Win32UiThread::ProcessMessages() { PumpWaitingMessages(); }

void Win32UiThread::Invoke(const std::function<void()>& call) {
  if (::GetCurrentThreadId() == threadId_) {
    call();
    return;
  }
  if (hwnd()) ::SendMessageA(hwnd(), kInvokeMessage, 0, reinterpret_cast<LPARAM>(&call));
}

LRESULT Win32UiThread::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kInvokeMessage) {
    (*reinterpret_cast<const std::function<void()>*>(lParam))();
    return 0;
  }
  return Window::HandleMessage(message, wParam, lParam);
}

}  // namespace dx::win32
