#include "extras/win32/UpgradeAskForm.h"

#include "common/win32/ControlIds.h"
#include "common/win32/ResourceIds.h"
#include "platform/win32/Scoped.h"
#include "platform/win32/ui/Controls.h"
#include "platform/win32/ui/PlainViews.h"

namespace dx::win32 {
namespace {

constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_TOPMOST | WS_EX_CONTROLPARENT;

// Height of text wrapped to width in the dialog font.
int WrappedHeight(const std::string& text, int width) {
  ScopedWindowDc dc(nullptr);
  const ScopedSelection font(dc.get(), ui::DefaultFont());
  RECT box{0, 0, width, 0};
  ::DrawTextA(dc.get(), text.c_str(), -1, &box, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
  return box.bottom - box.top;
}

}  // namespace

bool TUpgradeAskForm::Ask(HWND owner, const std::string& caption, const std::string& text) {
  TUpgradeAskForm form;
  if (!form.Create(owner, caption, text)) return false;
  const bool ownerWasEnabled = owner && ::IsWindowEnabled(owner);
  if (ownerWasEnabled) ::EnableWindow(owner, FALSE);
  ::ShowWindow(form.hwnd(), SW_SHOW);
  ::SetForegroundWindow(form.hwnd());
  ::SetFocus(::GetDlgItem(form.hwnd(), IDC_YesBtn));
  MSG msg;
  while (!form.done_) {
    const BOOL got = ::GetMessageA(&msg, nullptr, 0, 0);
    if (got == 0) {
      ::PostQuitMessage(static_cast<int>(msg.wParam));  // the main loop ends the program
      break;
    }
    if (got < 0) break;
    // Tab, Enter on the default button and Escape as in any dialog.
    if (form.hwnd() && ::IsDialogMessageA(form.hwnd(), &msg)) continue;
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
  if (ownerWasEnabled) ::EnableWindow(owner, TRUE);
  if (owner) ::SetActiveWindow(owner);
  return form.yes_;
}

bool TUpgradeAskForm::Create(HWND owner, const std::string& caption, const std::string& text) {
  RECT frame{0, 0, kClientWidth, 100};
  ::AdjustWindowRectEx(&frame, kStyle, FALSE, kExStyle);
  const int outerWidth = frame.right - frame.left;
  const int labelWidth = outerWidth - 56;
  const int labelHeight = WrappedHeight(text, labelWidth);
  const int clientHeight = 5 + labelHeight + kStripHeight;
  RECT outer{0, 0, kClientWidth, clientHeight};
  ::AdjustWindowRectEx(&outer, kStyle, FALSE, kExStyle);

  ClassOptions cls{"TUpgradeAskForm"};
  cls.background = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  if (!CreateWindowFor(cls, kExStyle, caption.c_str(), kStyle, 0, 0, outer.right - outer.left,
                       outer.bottom - outer.top, owner)) {
    return false;
  }
  ui::CentreOver(hwnd(), nullptr);

  HWND icon = ui::CreateControl("STATIC", "", WS_VISIBLE | SS_ICON | SS_REALSIZEIMAGE, 7, 5, 32, 32, hwnd(),
                                IDC_UpgradeAskIcon);
  HANDLE appIcon = ::LoadImageA(ModuleInstance(), MAKEINTRESOURCEA(IDI_APP), IMAGE_ICON, 32, 32, LR_SHARED);
  ::SendMessageA(icon, STM_SETICON, reinterpret_cast<WPARAM>(appIcon), 0);
  ui::CreateControl("STATIC", text.c_str(), WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 45, 5, labelWidth, labelHeight,
                    hwnd(), IDC_UpgradeAskLabel);
  const int strip = 5 + labelHeight;
  HWND yes = ui::CreateControl("BUTTON", "&Yes", WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 78, strip + 13, 75, 23,
                               hwnd(), IDC_YesBtn);
  HWND later = ui::CreateControl("BUTTON", "&Later", WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 167, strip + 13, 75, 23,
                                 hwnd(), IDC_LaterBtn);
  views_.Route(yes, std::make_unique<ClickView>([this] { Finish(true); }));
  views_.Route(later, std::make_unique<ClickView>([this] { Finish(false); }));
  views_.SetDialogButtons(yes, later);
  return true;
}

void TUpgradeAskForm::Finish(bool yes) {
  if (done_) return;
  done_ = true;
  yes_ = yes;
  ::ShowWindow(hwnd(), SW_HIDE);
}

LRESULT TUpgradeAskForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (LRESULT result = 0; views_.Dispatch(message, wParam, lParam, result)) return result;
  switch (message) {
    case WM_CLOSE:
      Finish(false);
      return 0;
    default:
      break;
  }
  return Window::HandleMessage(message, wParam, lParam);
}

}  // namespace dx::win32
