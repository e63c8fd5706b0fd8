#include "extras/win32/CustomResolutionDialog.h"

#include "common/win32/ResourceIds.h"
#include "platform/win32/Scoped.h"
#include "platform/win32/ui/Controls.h"
#include "platform/win32/ui/PlainViews.h"

namespace dx::win32 {

// The list of sizes; each item carries its own check box, drawn here.
class CustomResolutionDialog::TickListView : public ControlView {
 public:
  explicit TickListView(CustomResolutionDialog& dialog) : dialog_(dialog) {}
  void Command(WORD code, HWND list) override {
    if (code != LBN_SELCHANGE && code != LBN_DBLCLK) return;
    // A click on an item (or selecting it from outside) flips its tick.
    dialog_.Toggle(static_cast<int>(::SendMessageA(list, LB_GETCURSEL, 0, 0)));
    ::SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
  }
  bool DrawItem(const DRAWITEMSTRUCT& item) override;

 private:
  CustomResolutionDialog& dialog_;
};

bool CustomResolutionDialog::TickListView::DrawItem(const DRAWITEMSTRUCT& item) {
  if (item.itemID == static_cast<UINT>(-1)) return false;
  const TForm3& logic = dialog_.logic_;
  const auto index = static_cast<std::size_t>(item.itemID);
  ::FillRect(item.hDC, &item.rcItem, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
  RECT box{item.rcItem.left + 2, item.rcItem.top + 2, item.rcItem.left + 15, item.rcItem.top + 15};
  ::DrawFrameControl(item.hDC, &box, DFC_BUTTON, DFCS_BUTTONCHECK | (logic.Checked(index) ? DFCS_CHECKED : 0) | DFCS_FLAT);
  RECT text = item.rcItem;
  text.left += 20;
  ::SetBkMode(item.hDC, TRANSPARENT);
  ::SetTextColor(item.hDC, RGB(0, 0, 0));
  const ScopedSelection font(item.hDC, ui::DefaultFont());
  if (index < logic.Items().size()) {
    ::DrawTextA(item.hDC, logic.Items()[index].c_str(), -1, &text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
  }
  return true;
}

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
  views_.Route(closeButton_, std::make_unique<PictureButtonView>(closeIcon_, [this] { logic_.RzToolButton1Click(); }));
  list_ = ui::CreateControl("LISTBOX", "",
                            WS_VISIBLE | WS_BORDER | WS_VSCROLL | WS_TABSTOP | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS |
                                LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
                            8, 64, 129, 433, hwnd(), kListId);
  ::SendMessageA(list_, LB_SETITEMHEIGHT, 0, 17);
  views_.Route(list_, std::make_unique<TickListView>(*this));
  addButton_ = ui::CreateControl("BUTTON", "Add", WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 144, 112, 75, 25, hwnd(),
                                 kAddId);
  ui::UseHandCursor(addButton_);
  views_.Route(addButton_, std::make_unique<ClickView>([this] { logic_.RzButton1Click(); }));
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
  if (LRESULT result = 0; views_.Dispatch(message, wParam, lParam, result)) return result;
  switch (message) {
    case WM_ERASEBKGND: {
      DrawPicture(reinterpret_cast<HDC>(wParam), background_, 0, 0);
      return 1;
    }
    case WM_KEYDOWN:
      if (wParam == VK_ESCAPE) logic_.RzToolButton1Click();
      return 0;
    case WM_CLOSE:
      logic_.RzToolButton1Click();
      return 0;
    default:
      break;
  }
  return Window::HandleMessage(message, wParam, lParam);
}

}  // namespace dx::win32
