#pragma once
// Pictures from the program's resources.
#include <windows.h>

#include "platform/win32/Scoped.h"

namespace dx::win32 {

struct Picture {
  ScopedGdiObject bitmap;
  int width = 0;
  int height = 0;
  HBITMAP get() const { return static_cast<HBITMAP>(bitmap.get()); }
  explicit operator bool() const { return static_cast<bool>(bitmap); }
};

// A PNG or JPEG kept as RCDATA, decoded with GDI+: the pictures travel compressed.
Picture LoadPicture(int resourceId);
// Draws the picture at x, y in its own size.
void DrawPicture(HDC dc, const Picture& picture, int x, int y);

}  // namespace dx::win32
