#pragma once
// The program's private window messages, in one place so no two of them collide.
#include <windows.h>

namespace dx::win32::messages {

// A call handed to the user-interface thread; the number the transfer workers have
// always sent, so it stays fixed.
inline constexpr UINT kUiThreadCall = 0x8FFF;
// Posted by the mouse-leave watch to look at the cursor once the system has moved it.
inline constexpr UINT kCheckMouseLeave = WM_APP + 0x4D4;
// Posted by the main window to itself on activation, so its activation handler runs
// after the activation has finished.
inline constexpr UINT kAfterActivation = WM_APP + 1;
// Posted by the news window to itself: the links its page may not show are opened after
// the browser's event that asked for them has returned.
inline constexpr UINT kOpenLinksOutside = WM_APP + 2;

}  // namespace dx::win32::messages
