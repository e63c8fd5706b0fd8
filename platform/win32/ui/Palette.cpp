#include "platform/win32/ui/Palette.h"

#include <map>

namespace dx::win32::palette {

HBRUSH Brush(COLORREF colour) {
  static std::map<COLORREF, HBRUSH> brushes;
  auto& brush = brushes[colour];
  if (!brush) brush = ::CreateSolidBrush(colour);
  return brush;
}

}  // namespace dx::win32::palette
