#include "extras/win32/CustomResolutionDialog.h"

#include "common/win32/ResourceIds.h"
#include "platform/win32/Scoped.h"
#include "platform/win32/ui/Controls.h"

namespace dx::win32 {

bool CustomResolutionDialog::Create(HWND owner) {
  owner_ = owner;
  background_ = LoadPicture(IDJ_DIALOG);
  closeIcon_ = LoadPicture(IDB_ICON_CLOSE);
  ClassOptions cls{"TForm3"};
  cls.background = static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH));
  if (!CreateWindowFor(cls, WS_EX_TOPMOST | WS_EX_TOOLWINDOW, "Custom resolution", WS_POPUP | WS_CLIPCHILDREN, 0, 0,
                       kWidth, kHeight, owner)) {
    return false;
  }
  closeButton_ = ui::CreatePictureButton(hwnd(), kCloseId, 200, 8, 20, 20);
  ui::AddTooltip(closeButton_, "Close");
  // Each item carries its own check box, drawn by the window.
  list_ = ui::CreateControl("LISTBOX", "",
                            WS_VISIBLE | WS_BORDER | WS_VSCROLL | WS_TABSTOP | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS |
                                LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
                            8, 64, 129, 433, hwnd(), kListId);
  ::SendMessageA(list_, LB_SETITEMHEIGHT, 0, 17);
  addButton_ = ui::CreateControl("BUTTON", "Add", WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 144, 112, 75, 25, hwnd(),
                                 kAddId);
  ui::UseHandCursor(addButton_);
  logic_.onClose = [this] { Close(); };
  return true;
}

void CustomResolutionDialog::ShowModal() {
  ui::CentreOver(hwnd(), owner_);
  open_ = true;
  logic_.FormActivate();
  Fill();
  ::ShowWindow(hwnd(), SW_SHOW);
  ::SetForegroundWindow(hwnd());
  ::SetFocus(list_);
  ui::RunModalLoop(owner_, [this] { return !open_; });
}

void CustomResolutionDialog::Fill() {
  ::SendMessageA(list_, LB_RESETCONTENT, 0, 0);
  for (const auto& item : logic_.Items()) ::SendMessageA(list_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
}

void CustomResolutionDialog::Toggle(int index) {
  if (index < 0) return;
  logic_.SetChecked(static_cast<std::size_t>(index), !logic_.Checked(static_cast<std::size_t>(index)));
  RECT item{};
  ::SendMessageA(list_, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&item));
  ::InvalidateRect(list_, &item, TRUE);
}

void CustomResolutionDialog::Close() {
  if (!open_) return;
  open_ = false;
  ::ShowWindow(hwnd(), SW_HIDE);
  logic_.FormDeactivate();
}

LRESULT CustomResolutionDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND: {
      DrawPicture(reinterpret_cast<HDC>(wParam), background_, 0, 0);
      return 1;
    }
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      const int code = HIWORD(wParam);
      if (id == kAddId && code == BN_CLICKED) logic_.RzButton1Click();
      if (id == kCloseId && code == BN_CLICKED) logic_.RzToolButton1Click();
      if (id == kListId && (code == LBN_SELCHANGE || code == LBN_DBLCLK)) {
        // A click on an item (or selecting it from outside) flips its tick.
        Toggle(static_cast<int>(::SendMessageA(list_, LB_GETCURSEL, 0, 0)));
        ::SendMessageA(list_, LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
      }
      return 0;
    }
    case WM_KEYDOWN:
      if (wParam == VK_ESCAPE) logic_.RzToolButton1Click();
      return 0;
    case WM_CLOSE:
      logic_.RzToolButton1Click();
      return 0;
    case WM_DRAWITEM: {
      const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (item.CtlID == kCloseId) {
        ui::DrawPictureButton(item, &closeIcon_, &closeIcon_);
        return TRUE;
      }
      if (item.CtlID == kListId && item.itemID != static_cast<UINT>(-1)) {
        const auto index = static_cast<std::size_t>(item.itemID);
        ::FillRect(item.hDC, &item.rcItem, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
        RECT box{item.rcItem.left + 2, item.rcItem.top + 2, item.rcItem.left + 15, item.rcItem.top + 15};
        ::DrawFrameControl(item.hDC, &box, DFC_BUTTON,
                           DFCS_BUTTONCHECK | (logic_.Checked(index) ? DFCS_CHECKED : 0) | DFCS_FLAT);
        RECT text = item.rcItem;
        text.left += 20;
        ::SetBkMode(item.hDC, TRANSPARENT);
        ::SetTextColor(item.hDC, RGB(0, 0, 0));
        const ScopedSelection font(item.hDC, ui::DefaultFont());
        if (index < logic_.Items().size()) {
          ::DrawTextA(item.hDC, logic_.Items()[index].c_str(), -1, &text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
        }
        return TRUE;
      }
      break;
    }
    default:
      break;
  }
  return Window::HandleMessage(message, wParam, lParam);
}

}  // namespace dx::win32
