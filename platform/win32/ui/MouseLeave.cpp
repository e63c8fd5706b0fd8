#include "platform/win32/ui/MouseLeave.h"

#include "platform/win32/Messages.h"
#include "platform/win32/ui/GuardedSubclass.h"

namespace dx::win32 {
MouseLeaveWatch::MouseLeaveWatch(HWND area, std::function<void()> onLeave) : area_(area), onLeave_(std::move(onLeave)) {
  SetGuardedSubclass<&MouseLeaveWatch::Handle>(area_, Id(), reinterpret_cast<DWORD_PTR>(this));
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
    RemoveGuardedSubclass<&MouseLeaveWatch::Handle>(area_, Id());
    ::EnumChildWindows(
        area_,
        [](HWND child, LPARAM self) -> BOOL {
          RemoveGuardedSubclass<&MouseLeaveWatch::Handle>(child, reinterpret_cast<MouseLeaveWatch*>(self)->Id());
          return TRUE;
        },
        reinterpret_cast<LPARAM>(this));
  }
}

void MouseLeaveWatch::WatchChild(HWND child) {
  SetGuardedSubclass<&MouseLeaveWatch::Handle>(child, Id(), reinterpret_cast<DWORD_PTR>(this));
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

bool MouseLeaveWatch::Handle(HWND hwnd, UINT message, WPARAM, LPARAM, DWORD_PTR data, LRESULT& result) {
  auto* self = reinterpret_cast<MouseLeaveWatch*>(data);
  switch (message) {
    case WM_MOUSEMOVE:
      self->Moved(hwnd);
      return false;
    case WM_MOUSELEAVE:
      ::PostMessageA(self->area_, messages::kCheckMouseLeave, 0, 0);
      return false;
    case messages::kCheckMouseLeave:
      if (hwnd != self->area_) return false;
      self->Left();
      result = 0;
      return true;
    default:
      return false;
  }
}

}  // namespace dx::win32
