#include "platform/win32/ui/PlainViews.h"

#include "platform/win32/ui/Palette.h"

namespace dx::win32 {

HBRUSH ColourView::Colour(HDC dc, HWND) {
  ::SetTextColor(dc, text_);
  ::SetBkColor(dc, background_);
  return palette::Brush(background_);
}

}  // namespace dx::win32
