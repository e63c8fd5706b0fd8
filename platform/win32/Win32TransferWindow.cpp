#include "platform/win32/Win32TransferWindow.h"

#include <mutex>

#include "platform/win32/UnexpectedError.h"
#include "platform/win32/Window.h"

namespace dx::win32 {
namespace {

constexpr const char* kClassName = "DextrelTransferWindow";

std::mutex gLock;
HWND gWindow = nullptr;
int gUsers = 0;

LRESULT CALLBACK TransferProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kTransferMessage && lParam) {
    RunGuarded([&] { (*reinterpret_cast<const std::function<void()>*>(lParam))(); });
    return 0;
  }
  return ::DefWindowProcA(hwnd, message, wParam, lParam);
}

HWND CreateTransferWindow() {
  WNDCLASSA cls{};
  cls.lpfnWndProc = TransferProc;
  cls.hInstance = ModuleInstance();
  cls.lpszClassName = kClassName;
  ::RegisterClassA(&cls);  // fails harmlessly when already registered
  return ::CreateWindowExA(0, kClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, ModuleInstance(), nullptr);
}

}  // namespace

Win32TransferWindow::Win32TransferWindow() : ownerThread_(::GetCurrentThreadId()) {
  std::lock_guard lock(gLock);
  if (gUsers++ == 0) gWindow = CreateTransferWindow();
}

Win32TransferWindow::~Win32TransferWindow() {
  std::lock_guard lock(gLock);
  if (--gUsers == 0 && gWindow) {
    ::DestroyWindow(gWindow);
    gWindow = nullptr;
  }
}

HWND Win32TransferWindow::SharedWindow() {
  std::lock_guard lock(gLock);
  return gWindow;
}

void Win32TransferWindow::Sleep(std::uint32_t milliseconds) { ::Sleep(milliseconds); }

void Win32TransferWindow::ProcessMessages() { PumpWaitingMessages(); }

void Win32TransferWindow::Invoke(const std::function<void()>& call) {
  if (::GetCurrentThreadId() == ownerThread_) {
    call();
    return;
  }
  const HWND window = SharedWindow();
  if (window) ::SendMessageA(window, kTransferMessage, 0, reinterpret_cast<LPARAM>(&call));
}

}  // namespace dx::win32
