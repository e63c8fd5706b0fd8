#include "platform/win32/Window.h"

#include "platform/win32/UnexpectedError.h"

namespace dx::win32 {

HINSTANCE ModuleInstance() { return ::GetModuleHandleA(nullptr); }

namespace {
constexpr const char* kDialogMark = "Dextrel.Dialog";
}

void MarkAsDialog(HWND window) { ::SetPropA(window, kDialogMark, reinterpret_cast<HANDLE>(1)); }

bool RouteDialogKeys(MSG& msg) {
  if (msg.message < WM_KEYFIRST || msg.message > WM_KEYLAST || !msg.hwnd) return false;
  HWND root = ::GetAncestor(msg.hwnd, GA_ROOT);
  return root && ::GetPropA(root, kDialogMark) && ::IsDialogMessageA(root, &msg);
}

void PumpWaitingMessages() {
  MSG msg;
  while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      ::PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
}

Window::~Window() {
  if (hwnd_) {
    // Detach first: messages sent during destruction must not reach a half-destroyed object.
    ::SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
    ::DestroyWindow(hwnd_);
  }
}

HWND Window::CreateWindowFor(const ClassOptions& cls, DWORD exStyle, const char* title, DWORD style, int x, int y,
                             int width, int height, HWND parent, HMENU menu) {
  WNDCLASSEXA wc{};
  if (!::GetClassInfoExA(ModuleInstance(), cls.name, &wc)) {
    wc = {};
    wc.cbSize = sizeof wc;
    wc.style = cls.style;
    wc.lpfnWndProc = &Window::StaticProc;
    wc.hInstance = ModuleInstance();
    wc.hCursor = cls.cursor ? cls.cursor : ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = cls.background;
    wc.hIcon = cls.icon;
    wc.hIconSm = cls.icon;
    wc.lpszClassName = cls.name;
    if (!::RegisterClassExA(&wc)) return nullptr;
  }
  return ::CreateWindowExA(exStyle, cls.name, title, style, x, y, width, height, parent, menu, ModuleInstance(), this);
}

LRESULT Window::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return ::DefWindowProcA(hwnd_, message, wParam, lParam);
}

LRESULT CALLBACK Window::StaticProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Window* self = nullptr;
  if (message == WM_NCCREATE) {
    self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    self->hwnd_ = hwnd;
    ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  } else {
    self = reinterpret_cast<Window*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  }
  if (!self) return ::DefWindowProcA(hwnd, message, wParam, lParam);

  LRESULT result = 0;
  const bool handled = RunGuarded([&] { result = self->HandleMessage(message, wParam, lParam); });
  if (message == WM_NCDESTROY) {
    ::RemovePropA(hwnd, kDialogMark);
    ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
    self->OnDestroyed();
  }
  // A handler that failed has done what it did; the message counts as handled.
  return handled ? result : 0;
}

}  // namespace dx::win32
