#pragma once
// The colours of the program's windows.
#include <windows.h>

namespace dx::win32::palette {

inline constexpr COLORREF kPage = RGB(0, 0, 0);
inline constexpr COLORREF kText = RGB(255, 255, 255);
inline constexpr COLORREF kSilver = RGB(192, 192, 192);
inline constexpr COLORREF kDisabledText = RGB(110, 110, 110);
inline constexpr COLORREF kField = RGB(255, 255, 255);
inline constexpr COLORREF kFieldText = RGB(0, 0, 0);
inline constexpr COLORREF kReadOnlyField = RGB(255, 255, 225);  // the light yellow of tooltips
// Selection boxes and radio items.
inline constexpr COLORREF kSelectionFrame = RGB(28, 81, 128);
inline constexpr COLORREF kSelectionHighlight = RGB(33, 161, 33);
inline constexpr COLORREF kSelectionHot = RGB(255, 199, 60);

// Solid brushes, made once and kept for the life of the process.
HBRUSH Brush(COLORREF colour);

}  // namespace dx::win32::palette
