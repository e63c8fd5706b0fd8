#include "platform/win32/ui/MouseLeave.h"

#include <commctrl.h>

#include "platform/win32/Messages.h"

namespace dx::win32 {
MouseLeaveWatch::MouseLeaveWatch(HWND area, std::function<void()> onLeave) : area_(area), onLeave_(std::move(onLeave)) {
  ::SetWindowSubclass(area_, Proc, Id(), reinterpret_cast<DWORD_PTR>(this));
  ::EnumChildWindows(
      area_,
      [](HWND child, LPARAM self) -> BOOL {
        reinterpret_cast<MouseLeaveWatch*>(self)->WatchChild(child);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(this));
}

MouseLeaveWatch::~MouseLeaveWatch() {
  if (::IsWindow(area_)) {
    ::RemoveWindowSubclass(area_, Proc, Id());
    ::EnumChildWindows(
        area_,
        [](HWND child, LPARAM self) -> BOOL {
          ::RemoveWindowSubclass(child, Proc, reinterpret_cast<MouseLeaveWatch*>(self)->Id());
          return TRUE;
        },
        reinterpret_cast<LPARAM>(this));
  }
}

void MouseLeaveWatch::WatchChild(HWND child) {
  ::SetWindowSubclass(child, Proc, Id(), reinterpret_cast<DWORD_PTR>(this));
}

bool MouseLeaveWatch::CursorInside() const {
  POINT cursor{};
  ::GetCursorPos(&cursor);
  RECT rect{};
  ::GetWindowRect(area_, &rect);
  return ::PtInRect(&rect, cursor) && ::IsWindowVisible(area_);
}

void MouseLeaveWatch::Moved(HWND over) {
  inside_ = true;
  TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, over, 0};
  ::TrackMouseEvent(&track);
}

void MouseLeaveWatch::Left() {
  // Leaving one window of the area for another of it, or a window that hides, is
  // checked against the area's rectangle once the move has settled.
  if (!inside_ || CursorInside()) return;
  inside_ = false;
  if (onLeave_) onLeave_();
}

LRESULT CALLBACK MouseLeaveWatch::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                       DWORD_PTR data) {
  auto* self = reinterpret_cast<MouseLeaveWatch*>(data);
  switch (message) {
    case WM_MOUSEMOVE:
      self->Moved(hwnd);
      break;
    case WM_MOUSELEAVE:
      ::PostMessageA(self->area_, messages::kCheckMouseLeave, 0, 0);
      break;
    case messages::kCheckMouseLeave:
      if (hwnd == self->area_) {
        self->Left();
        return 0;
      }
      break;
    case WM_NCDESTROY:
      ::RemoveWindowSubclass(hwnd, Proc, id);
      break;
    default:
      break;
  }
  return ::DefSubclassProc(hwnd, message, wParam, lParam);
}

}  // namespace dx::win32
