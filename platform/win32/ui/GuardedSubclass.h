#pragma once
// The one way to subclass a window: the handler runs inside the same exception boundary
// as every window procedure (RunGuarded), and the subclass removes itself when the window
// goes. An exception escaping the handler is shown and the message counts as handled.
#include <windows.h>

#include <commctrl.h>

namespace dx::win32 {

// Answers a message by setting result and returning true; returning false passes it on.
using SubclassHandler = bool (*)(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR data,
                                 LRESULT& result);

LRESULT RunSubclassHandler(SubclassHandler handler, SUBCLASSPROC self, HWND hwnd, UINT message, WPARAM wParam,
                           LPARAM lParam, UINT_PTR id, DWORD_PTR data);

// One procedure per handler, so that (procedure, id) tells the subclasses of a window apart.
template <SubclassHandler Handler>
LRESULT CALLBACK GuardedSubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                     DWORD_PTR data) {
  return RunSubclassHandler(Handler, &GuardedSubclassProc<Handler>, hwnd, message, wParam, lParam, id, data);
}

template <SubclassHandler Handler>
void SetGuardedSubclass(HWND hwnd, UINT_PTR id, DWORD_PTR data = 0) {
  ::SetWindowSubclass(hwnd, &GuardedSubclassProc<Handler>, id, data);
}

template <SubclassHandler Handler>
void RemoveGuardedSubclass(HWND hwnd, UINT_PTR id) {
  ::RemoveWindowSubclass(hwnd, &GuardedSubclassProc<Handler>, id);
}

}  // namespace dx::win32
