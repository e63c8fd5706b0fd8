#pragma once
// Reports when the mouse leaves an area made of a window and all its child windows,
// through TrackMouseEvent. Moving from the window onto one of its children is not a leave.
#include <windows.h>

#include <functional>

namespace dx::win32 {

// Watches area and its children (those existing now and those added later with
// WatchChild); calls onLeave once each time the cursor has left the area's rectangle.
class MouseLeaveWatch {
 public:
  MouseLeaveWatch(HWND area, std::function<void()> onLeave);
  ~MouseLeaveWatch();
  MouseLeaveWatch(const MouseLeaveWatch&) = delete;
  MouseLeaveWatch& operator=(const MouseLeaveWatch&) = delete;
  void WatchChild(HWND child);

 private:
  static bool Handle(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR data, LRESULT& result);
  void Moved(HWND over);
  void Left();
  bool CursorInside() const;
  // Nested areas (a box inside a group) watch the same windows: each watch subclasses
  // under an id of its own.
  UINT_PTR Id() const { return reinterpret_cast<UINT_PTR>(this); }

  HWND area_;
  std::function<void()> onLeave_;
  bool inside_ = false;
};

}  // namespace dx::win32
