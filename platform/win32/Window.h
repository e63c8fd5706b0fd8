#pragma once
// The one window-class pattern of the program: the object pointer travels in the
// creation parameters, is kept in GWLP_USERDATA from WM_NCCREATE on, and every message
// goes to the object's HandleMessage, guarded by the handler for unexpected errors.
#include <windows.h>

#include <string>

namespace dx::win32 {

class Window {
 public:
  Window() = default;
  virtual ~Window();
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  HWND hwnd() const { return hwnd_; }

 protected:
  struct ClassOptions {
    const char* name;
    UINT style = CS_HREDRAW | CS_VREDRAW;
    HBRUSH background = nullptr;
    HCURSOR cursor = nullptr;  // null: the arrow
    HICON icon = nullptr;
  };

  // Registers the class on first use and creates the window for this object.
  HWND CreateWindowFor(const ClassOptions& cls, DWORD exStyle, const char* title, DWORD style, int x, int y,
                       int width, int height, HWND parent, HMENU menu = nullptr);

  // Default: the system's handling.
  virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  // Called after WM_NCDESTROY; the handle is gone.
  virtual void OnDestroyed() {}

 private:
  static LRESULT CALLBACK StaticProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  HWND hwnd_ = nullptr;
};

HINSTANCE ModuleInstance();

// A window that is not modal but takes the dialog keys (Tab, Enter, Escape, mnemonics)
// from the program's message loop; the mark goes with the window.
void MarkAsDialog(HWND window);
// For the message loop: true when msg was a key for a marked window and has been handled.
bool RouteDialogKeys(MSG& msg);

// Handles the messages waiting in this thread's queue. A WM_QUIT met on the way is put
// back for the message loop that owns the thread.
void PumpWaitingMessages();

}  // namespace dx::win32
