#pragma once
// Opening a web address for the user without handing the program's rights on: the
// program runs elevated, and a browser it starts itself would run elevated too.
#include <string>

namespace dx::win32 {

// Has the shell of the desktop (explorer, which runs with the user's own rights) open
// url, so the browser starts as the desktop's user. False when there is no such shell
// to ask (another shell, or none).
bool OpenThroughDesktopShell(const std::wstring& url);

// Opens url in the user's browser: through the desktop's shell where it can, otherwise
// (the last resort, with this program's rights) directly.
void OpenInUsersBrowser(const std::wstring& url);

}  // namespace dx::win32
