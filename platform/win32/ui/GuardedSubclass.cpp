#include "platform/win32/ui/GuardedSubclass.h"

#include "platform/win32/UnexpectedError.h"

namespace dx::win32 {

LRESULT RunSubclassHandler(SubclassHandler handler, SUBCLASSPROC self, HWND hwnd, UINT message, WPARAM wParam,
                           LPARAM lParam, UINT_PTR id, DWORD_PTR data) {
  LRESULT result = 0;
  bool answered = false;
  const bool ran = RunGuarded([&] { answered = handler(hwnd, message, wParam, lParam, data, result); });
  if (message == WM_NCDESTROY) ::RemoveWindowSubclass(hwnd, self, id);
  if (!ran) return 0;
  return answered ? result : ::DefSubclassProc(hwnd, message, wParam, lParam);
}

}  // namespace dx::win32
