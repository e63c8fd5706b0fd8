#include "platform/win32/ui/Controls.h"

#include "platform/win32/Scoped.h"
#include "platform/win32/ui/GuardedSubclass.h"
#include <commctrl.h>

#include <map>

namespace dx::win32::ui {
namespace {

constexpr const char* kHandProperty = "Dextrel.HandCursor";

constexpr UINT_PTR kHandCursorSubclass = 0x48414E44;

bool HandCursor(HWND, UINT message, WPARAM, LPARAM lParam, DWORD_PTR, LRESULT& result) {
  if (message != WM_SETCURSOR || LOWORD(lParam) != HTCLIENT) return false;
  ::SetCursor(::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_HAND)));
  result = TRUE;
  return true;
}

HWND TooltipOf(HWND parent) {
  static std::map<HWND, HWND> tooltips;
  auto it = tooltips.find(parent);
  if (it != tooltips.end() && ::IsWindow(it->second)) return it->second;
  HWND tip = ::CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, parent, nullptr,
                               ::GetModuleHandleA(nullptr), nullptr);
  tooltips[parent] = tip;
  return tip;
}

}  // namespace

HFONT FontOfHeight(int pixels, bool bold) {
  static std::map<std::pair<int, bool>, HFONT> fonts;
  auto& font = fonts[{pixels, bold}];
  if (!font) {
    font = ::CreateFontA(-pixels, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET,
                         OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS,
                         "MS Sans Serif");
  }
  return font;
}

HFONT DefaultFont(bool bold) {
  // 8 points at the screen's resolution.
  const int dpi = ::GetDeviceCaps(ScopedWindowDc(nullptr).get(), LOGPIXELSY);
  return FontOfHeight(::MulDiv(8, dpi, 72), bold);
}

HWND CreateControl(const char* cls, const char* text, DWORD style, int x, int y, int width, int height, HWND parent,
                   int id, DWORD exStyle) {
  HWND control = ::CreateWindowExA(exStyle, cls, text, style | WS_CHILD, x, y, width, height, parent,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ::GetModuleHandleA(nullptr),
                                   nullptr);
  if (control) ::SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(DefaultFont()), FALSE);
  return control;
}

void AddTooltip(HWND control, const std::string& text) {
  HWND parent = ::GetParent(control);
  HWND tip = TooltipOf(parent ? parent : control);
  TTTOOLINFOA info{};
  info.cbSize = TTTOOLINFOA_V1_SIZE;
  info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  info.hwnd = parent ? parent : control;
  info.uId = reinterpret_cast<UINT_PTR>(control);
  info.lpszText = const_cast<char*>(text.c_str());
  ::SendMessageA(tip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info));
}

void UseHandCursor(HWND control) { SetGuardedSubclass<&HandCursor>(control, kHandCursorSubclass); }

HWND CreatePictureButton(HWND parent, int id, int x, int y, int width, int height) {
  HWND button = CreateControl("BUTTON", "", WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW, x, y, width, height, parent, id);
  UseHandCursor(button);
  return button;
}

void DrawPictureButton(const DRAWITEMSTRUCT& item, const Picture* up, const Picture* down) {
  const bool pressed = (item.itemState & ODS_SELECTED) != 0;
  const bool disabled = (item.itemState & ODS_DISABLED) != 0;
  const Picture* picture = (pressed && down) ? down : up;
  const int width = item.rcItem.right - item.rcItem.left;
  const int height = item.rcItem.bottom - item.rcItem.top;
  if (picture && *picture) {
    ScopedCreatedDc memory(::CreateCompatibleDC(item.hDC));
    const ScopedSelection selected(memory.get(), picture->get());
    if (disabled) {
      // Dimmed: the picture at a quarter of its brightness.
      ::FillRect(item.hDC, &item.rcItem, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
      BLENDFUNCTION blend{AC_SRC_OVER, 0, 90, 0};
      ::GdiAlphaBlend(item.hDC, 0, 0, width, height, memory.get(), 0, 0, picture->width, picture->height, blend);
    } else {
      ::StretchBlt(item.hDC, 0, 0, width, height, memory.get(), 0, 0, picture->width, picture->height, SRCCOPY);
    }
  } else {
    ::FillRect(item.hDC, &item.rcItem, static_cast<HBRUSH>(::GetStockObject(GRAY_BRUSH)));
  }
  if (item.itemState & ODS_FOCUS) {
    RECT focus = item.rcItem;
    ::InflateRect(&focus, -2, -2);
    ::DrawFocusRect(item.hDC, &focus);
  }
}

void RunModalLoop(HWND owner, const std::function<bool()>& done) {
  const bool ownerWasEnabled = owner && ::IsWindowEnabled(owner);
  if (ownerWasEnabled) ::EnableWindow(owner, FALSE);
  MSG msg;
  while (!done()) {
    const BOOL got = ::GetMessageA(&msg, nullptr, 0, 0);
    if (got == 0) {
      ::PostQuitMessage(static_cast<int>(msg.wParam));  // leave the quit for the main loop
      break;
    }
    if (got < 0) break;
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
  if (ownerWasEnabled) ::EnableWindow(owner, TRUE);
  if (owner) ::SetActiveWindow(owner);
}

void CentreOver(HWND window, HWND owner) {
  RECT area{};
  if (owner && ::IsWindowVisible(owner)) {
    ::GetWindowRect(owner, &area);
  } else {
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
  }
  RECT own{};
  ::GetWindowRect(window, &own);
  const int width = own.right - own.left;
  const int height = own.bottom - own.top;
  RECT work{};
  ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  int x = area.left + (area.right - area.left - width) / 2;
  int y = area.top + (area.bottom - area.top - height) / 2;
  x = std::max<int>(work.left, std::min<int>(x, work.right - width));
  y = std::max<int>(work.top, std::min<int>(y, work.bottom - height));
  ::SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace dx::win32::ui
