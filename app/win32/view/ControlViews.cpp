#include "app/win32/view/ControlViews.h"

#include <commctrl.h>

#include <algorithm>
#include <uxtheme.h>

#include "platform/win32/Scoped.h"
#include "platform/win32/ui/GuardedSubclass.h"
#include "platform/win32/ui/Palette.h"
#include "platform/win32/ui/Controls.h"

namespace dx::win32 {
namespace {

constexpr const char* kHotProperty = "Dextrel.Hot";
constexpr UINT_PTR kHotSubclass = 0x484F54;

// Marks a window "hot" while the mouse is over it, for the hot-track colour.
bool Hot(HWND hwnd, UINT message, WPARAM, LPARAM, DWORD_PTR, LRESULT&) {
  switch (message) {
    case WM_MOUSEMOVE:
      if (!::GetPropA(hwnd, kHotProperty)) {
        ::SetPropA(hwnd, kHotProperty, reinterpret_cast<HANDLE>(1));
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, hwnd, 0};
        ::TrackMouseEvent(&track);
        ::InvalidateRect(hwnd, nullptr, FALSE);
      }
      break;
    case WM_MOUSELEAVE:
      ::RemovePropA(hwnd, kHotProperty);
      ::InvalidateRect(hwnd, nullptr, FALSE);
      break;
    case WM_NCDESTROY:
      ::RemovePropA(hwnd, kHotProperty);
      break;
    default:
      break;
  }
  return false;
}

void TrackHot(HWND hwnd) { SetGuardedSubclass<&Hot>(hwnd, kHotSubclass); }
bool IsHot(HWND hwnd) { return ::GetPropA(hwnd, kHotProperty) != nullptr; }

// Owner-drawn buttons answer the check state from outside (BM_GETCHECK), as real tick
// boxes do, so tools that read check boxes see the truth.
constexpr const char* kCheckProperty = "Dextrel.Checked";
constexpr UINT_PTR kCheckSubclass = 0x434B;
bool CheckState(HWND hwnd, UINT message, WPARAM, LPARAM, DWORD_PTR, LRESULT& result) {
  if (message == BM_GETCHECK) {
    result = ::GetPropA(hwnd, kCheckProperty) ? BST_CHECKED : BST_UNCHECKED;
    return true;
  }
  if (message == WM_NCDESTROY) ::RemovePropA(hwnd, kCheckProperty);
  return false;
}
void ShowCheckState(HWND hwnd, bool checked) {
  if (checked) {
    ::SetPropA(hwnd, kCheckProperty, reinterpret_cast<HANDLE>(1));
  } else {
    ::RemovePropA(hwnd, kCheckProperty);
  }
  ::InvalidateRect(hwnd, nullptr, FALSE);
}

HWND ChoiceButton(HWND parent, const std::string& caption, Bounds at) {
  HWND button = ui::CreateControl("BUTTON", caption.c_str(), WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW, at.x, at.y,
                                  at.width, at.height, parent, 0);
  TrackHot(button);
  SetGuardedSubclass<&CheckState>(button, kCheckSubclass);
  return button;
}

std::string WindowText(HWND hwnd) {
  const int length = ::GetWindowTextLengthA(hwnd);
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  ::GetWindowTextA(hwnd, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(length));
  return text;
}

}  // namespace

Subscription::Subscription(controls::TControl& control, controls::TControl::Observer observer)
    : control_(&control), token_(control.Subscribe(std::move(observer))) {}

Subscription::~Subscription() {
  if (control_) control_->Unsubscribe(token_);
}

void SyncState(HWND window, const controls::TControl& control) {
  if (!window) return;
  if ((::IsWindowEnabled(window) != FALSE) != control.Enabled()) ::EnableWindow(window, control.Enabled());
  const bool visible = (::GetWindowLongA(window, GWL_STYLE) & WS_VISIBLE) != 0;
  if (visible != control.Visible()) ::ShowWindow(window, control.Visible() ? SW_SHOWNA : SW_HIDE);
}

void DrawChoice(HDC dc, const RECT& rect, const std::string& caption, bool radio, bool checked, bool enabled, bool hot,
                COLORREF textColour) {
  ::FillRect(dc, &rect, palette::Brush(palette::kPage));
  const int size = 13;
  const int top = rect.top + (rect.bottom - rect.top - size) / 2;
  RECT box{rect.left, top, rect.left + size, top + size};
  const COLORREF frame = !enabled ? palette::kDisabledText : (hot ? palette::kSelectionHot : palette::kSelectionFrame);
  {
    const ScopedGdiObject pen(::CreatePen(PS_SOLID, 1, frame));
    const ScopedSelection penSelected(dc, pen.get());
    const ScopedSelection brushSelected(dc, palette::Brush(enabled ? palette::kField : RGB(60, 60, 60)));
    if (radio) {
      ::Ellipse(dc, box.left, box.top, box.right, box.bottom);
    } else {
      ::Rectangle(dc, box.left, box.top, box.right, box.bottom);
    }
    if (checked) {
      const COLORREF mark = enabled ? palette::kSelectionHighlight : palette::kDisabledText;
      if (radio) {
        const ScopedSelection markBrush(dc, palette::Brush(mark));
        const ScopedGdiObject markPen(::CreatePen(PS_SOLID, 1, mark));
        const ScopedSelection markPenSelected(dc, markPen.get());
        ::Ellipse(dc, box.left + 3, box.top + 3, box.right - 3, box.bottom - 3);
      } else {
        const ScopedGdiObject markPen(::CreatePen(PS_SOLID, 2, mark));
        const ScopedSelection markPenSelected(dc, markPen.get());
        ::MoveToEx(dc, box.left + 3, box.top + 6, nullptr);
        ::LineTo(dc, box.left + 5, box.top + 9);
        ::LineTo(dc, box.left + 10, box.top + 3);
      }
    }
  }

  RECT text = rect;
  text.left += size + 4;
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, enabled ? textColour : palette::kDisabledText);
  const ScopedSelection font(dc, ui::DefaultFont());
  ::DrawTextA(dc, caption.c_str(), -1, &text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
}

// --- EditView

EditView::EditView(ViewContainer& parent, controls::TEdit& model, Bounds at, Look look) : model_(model), look_(look) {
  DWORD style = WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL;
  if (model.ReadOnly()) style |= ES_READONLY;
  hwnd_ = ui::CreateControl("EDIT", model.Text().c_str(), style, at.x, at.y, at.width, at.height, parent.hwnd(), 0,
                            WS_EX_CLIENTEDGE);
  if (model.PasswordChar()) ::SendMessageA(hwnd_, EM_SETPASSWORDCHAR, static_cast<WPARAM>(model.PasswordChar()), 0);
  if (model.MaxLength()) ::SendMessageA(hwnd_, EM_LIMITTEXT, model.MaxLength(), 0);
  ::SetWindowTextA(hwnd_, model.Text().c_str());
  parent.Route(hwnd_, *this);
  subscription_ = std::make_unique<Subscription>(model_, [this](const controls::TControl&) { Follow(); });
  SyncState(hwnd_, model_);
}

void EditView::Follow() {
  updating_ = true;
  if (WindowText(hwnd_) != model_.Text()) ::SetWindowTextA(hwnd_, model_.Text().c_str());
  ::SendMessageA(hwnd_, EM_SETREADONLY, model_.ReadOnly(), 0);
  SyncState(hwnd_, model_);
  updating_ = false;
  ::InvalidateRect(hwnd_, nullptr, TRUE);
}

void EditView::Command(WORD code, HWND /*child*/) {
  if (code == EN_CHANGE && !updating_) {
    const std::string text = WindowText(hwnd_);
    if (text != model_.Text()) model_.UserEdited(text);
    // The model may refuse or shorten what was typed; the window shows what it kept.
    if (WindowText(hwnd_) != model_.Text()) Follow();
  }
  if (look_ == Look::SizeField && (code == EN_SETFOCUS || code == EN_KILLFOCUS)) ::InvalidateRect(hwnd_, nullptr, TRUE);
}

HBRUSH EditView::Colour(HDC dc, HWND) {
  COLORREF background = palette::kField;
  if (look_ == Look::ReadOnlyPath) background = palette::kReadOnlyField;
  if (look_ == Look::SizeField && ::GetFocus() == hwnd_) background = palette::kReadOnlyField;
  ::SetTextColor(dc, model_.Enabled() ? palette::kFieldText : palette::kDisabledText);
  ::SetBkColor(dc, background);
  return palette::Brush(background);
}

// --- LabelView

LabelView::LabelView(ViewContainer& parent, controls::TLabel& model, Bounds at, COLORREF colour, HFONT font, bool wrap)
    : model_(model), colour_(colour) {
  hwnd_ = ui::CreateControl("STATIC", model.Caption().c_str(),
                            WS_VISIBLE | SS_NOPREFIX | (wrap ? SS_LEFT : SS_LEFTNOWORDWRAP), at.x, at.y, at.width,
                            at.height, parent.hwnd(), 0);
  if (font) ::SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  parent.Route(hwnd_, *this);
  subscription_ = std::make_unique<Subscription>(model_, [this](const controls::TControl&) {
    if (WindowText(hwnd_) != model_.Caption()) ::SetWindowTextA(hwnd_, model_.Caption().c_str());
    SyncState(hwnd_, model_);
    ::InvalidateRect(hwnd_, nullptr, TRUE);
  });
  SyncState(hwnd_, model_);
}

HBRUSH LabelView::Colour(HDC dc, HWND) {
  ::SetTextColor(dc, colour_);
  ::SetBkColor(dc, palette::kPage);
  return palette::Brush(palette::kPage);
}

// --- ButtonView

ButtonView::ButtonView(ViewContainer& parent, controls::TButton& model, Bounds at, const Picture* icon,
                       const Picture* pressed, const std::string& tooltip, bool handCursor)
    : model_(model), icon_(icon), pressed_(pressed) {
  const DWORD style = WS_VISIBLE | WS_TABSTOP | (icon ? BS_OWNERDRAW : BS_PUSHBUTTON);
  hwnd_ = ui::CreateControl("BUTTON", model.Caption().c_str(), style, at.x, at.y, at.width, at.height, parent.hwnd(), 0);
  if (!tooltip.empty()) ui::AddTooltip(hwnd_, tooltip);
  if (handCursor) ui::UseHandCursor(hwnd_);
  parent.Route(hwnd_, *this);
  subscription_ = std::make_unique<Subscription>(model_, [this](const controls::TControl&) {
    SyncState(hwnd_, model_);
    ::InvalidateRect(hwnd_, nullptr, TRUE);
  });
  SyncState(hwnd_, model_);
}

void ButtonView::Command(WORD code, HWND /*child*/) {
  if (code == BN_CLICKED) model_.UserClick();
}

bool ButtonView::DrawItem(const DRAWITEMSTRUCT& item) {
  if (!icon_) return false;
  const bool pressed = (item.itemState & ODS_SELECTED) != 0;
  const bool enabled = (item.itemState & ODS_DISABLED) == 0;
  if (model_.Caption().empty() && icon_->width == item.rcItem.right - item.rcItem.left) {
    ui::DrawPictureButton(item, icon_, pressed_ ? pressed_ : icon_);
    return true;
  }
  // An icon with a caption beside it on a dark face.
  RECT face = item.rcItem;
  ::FillRect(item.hDC, &face, palette::Brush(pressed ? RGB(40, 48, 26) : RGB(24, 28, 18)));
  HBRUSH border = palette::Brush(enabled ? RGB(85, 107, 47) : palette::kDisabledText);
  ::FrameRect(item.hDC, &face, border);
  const int iconY = face.top + (face.bottom - face.top - icon_->height) / 2;
  const int iconX = model_.Caption().empty() ? face.left + (face.right - face.left - icon_->width) / 2 : face.left + 4;
  DrawPicture(item.hDC, *icon_, iconX + (pressed ? 1 : 0), iconY + (pressed ? 1 : 0));
  if (!model_.Caption().empty()) {
    RECT text = face;
    text.left = iconX + icon_->width + 4;
    ::SetBkMode(item.hDC, TRANSPARENT);
    ::SetTextColor(item.hDC, enabled ? palette::kText : palette::kDisabledText);
    const ScopedSelection font(item.hDC, ui::DefaultFont());
    ::DrawTextA(item.hDC, model_.Caption().c_str(), -1, &text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
  }
  return true;
}

// --- CheckBoxView

CheckBoxView::CheckBoxView(ViewContainer& parent, controls::TCheckBox& model, Bounds at, COLORREF textColour)
    : model_(model), textColour_(textColour) {
  hwnd_ = ChoiceButton(parent.hwnd(), model.Caption(), at);
  parent.Route(hwnd_, *this);
  ShowCheckState(hwnd_, model_.Checked());
  subscription_ = std::make_unique<Subscription>(model_, [this](const controls::TControl&) {
    ShowCheckState(hwnd_, model_.Checked());
    SyncState(hwnd_, model_);
  });
  SyncState(hwnd_, model_);
  leave_ = std::make_unique<MouseLeaveWatch>(hwnd_, [this] { model_.MouseLeave(); });
}

void CheckBoxView::Command(WORD code, HWND /*child*/) {
  if (code == BN_CLICKED) model_.UserClick();
}

bool CheckBoxView::DrawItem(const DRAWITEMSTRUCT& item) {
  DrawChoice(item.hDC, item.rcItem, model_.Caption(), false, model_.Checked(), model_.Enabled(), IsHot(hwnd_),
             textColour_);
  return true;
}

// --- RadioGroupView

RadioGroupView::RadioGroupView(ViewContainer& parent, controls::TRadioGroup& model, Bounds at, int columns, int itemTop,
                               int itemHeight)
    : model_(model) {
  parent.AddFrame({{at.x, at.y, at.x + at.width, at.y + at.height}, model.Caption(), palette::kText, palette::kText});
  const int count = static_cast<int>(model.Items().size());
  const int rows = (count + columns - 1) / columns;
  const int columnWidth = (at.width - 16) / columns;
  for (int i = 0; i < count; ++i) {
    // Items run down the first column, then the next, as a radio group lays them out.
    const int column = i / rows;
    const int row = i % rows;
    HWND item = ChoiceButton(parent.hwnd(), model.Items()[i],
                             {at.x + 8 + column * columnWidth, at.y + itemTop + row * itemHeight, columnWidth - 4, 17});
    parent.Route(item, *this);
    items_.push_back(item);
  }
  auto follow = [this](const controls::TControl&) {
    for (std::size_t i = 0; i < items_.size(); ++i) {
      ShowCheckState(items_[i], model_.ItemIndex() == static_cast<int>(i));
      SyncState(items_[i], model_);
    }
  };
  subscription_ = std::make_unique<Subscription>(model_, follow);
  follow(model_);
}

void RadioGroupView::Command(WORD code, HWND child) {
  if (code != BN_CLICKED) return;
  for (std::size_t i = 0; i < items_.size(); ++i) {
    if (items_[i] == child) model_.UserSelect(static_cast<int>(i));
  }
}

bool RadioGroupView::DrawItem(const DRAWITEMSTRUCT& item) {
  for (std::size_t i = 0; i < items_.size(); ++i) {
    if (items_[i] != item.hwndItem) continue;
    DrawChoice(item.hDC, item.rcItem, model_.Items()[i], true, model_.ItemIndex() == static_cast<int>(i),
               model_.Enabled(), IsHot(item.hwndItem), palette::kText);
    return true;
  }
  return false;
}

// --- CheckGroupView

CheckGroupView::CheckGroupView(ViewContainer& parent, controls::TCheckGroup& model, Bounds at, int columns)
    : model_(model), area_(std::make_unique<PageWindow>()) {
  area_->Create(parent.hwnd(), at.x, at.y, at.width, at.height, true, palette::kPage, "TRzCheckGroup");
  // The frame is black: invisible on the page, only the caption shows.
  area_->AddFrame({{0, 0, at.width, at.height}, model.Caption(), palette::kText, palette::kPage});
  const int count = static_cast<int>(model.Count());
  const int rows = (count + columns - 1) / columns;
  // Items fill the columns top to bottom; columns left empty give their room to the others.
  const int used = std::max(1, (count + rows - 1) / rows);
  const int columnWidth = (at.width - 16) / used;
  for (int i = 0; i < count; ++i) {
    const int column = i / rows;
    const int row = i % rows;
    HWND item = ChoiceButton(area_->hwnd(), model.Items()[i], {8 + column * columnWidth, 18 + row * 20, columnWidth - 2, 17});
    area_->Route(item, *this);
    items_.push_back(item);
  }
  auto follow = [this](const controls::TControl&) {
    for (std::size_t i = 0; i < items_.size(); ++i) {
      ShowCheckState(items_[i], model_.ItemChecked(i));
      const bool enabled = model_.Enabled() && model_.ItemEnabled(i);
      if ((::IsWindowEnabled(items_[i]) != FALSE) != enabled) ::EnableWindow(items_[i], enabled);
      ::InvalidateRect(items_[i], nullptr, FALSE);
    }
  };
  subscription_ = std::make_unique<Subscription>(model_, follow);
  follow(model_);
}

void CheckGroupView::WatchMouseLeave() {
  leave_ = std::make_unique<MouseLeaveWatch>(area_->hwnd(), [this] { model_.MouseLeave(); });
}

void CheckGroupView::Command(WORD code, HWND child) {
  if (code != BN_CLICKED) return;
  for (std::size_t i = 0; i < items_.size(); ++i) {
    if (items_[i] == child) model_.UserClickItem(i);
  }
}

bool CheckGroupView::DrawItem(const DRAWITEMSTRUCT& item) {
  for (std::size_t i = 0; i < items_.size(); ++i) {
    if (items_[i] != item.hwndItem) continue;
    DrawChoice(item.hDC, item.rcItem, model_.Items()[i], false, model_.ItemChecked(i),
               model_.Enabled() && model_.ItemEnabled(i), IsHot(item.hwndItem), palette::kText);
    return true;
  }
  return false;
}

// --- ComboView

ComboView::ComboView(ViewContainer& parent, controls::TComboBox& model, Bounds at) : model_(model) {
  hwnd_ = ui::CreateControl("COMBOBOX", "", WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL,
                            at.x, at.y, at.width, 200, parent.hwnd(), 0);
  for (const auto& item : model.Items()) ::SendMessageA(hwnd_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
  parent.Route(hwnd_, *this);
  subscription_ = std::make_unique<Subscription>(model_, [this](const controls::TControl&) { Follow(); });
  Follow();
}

void ComboView::Follow() {
  updating_ = true;
  const int shown = static_cast<int>(::SendMessageA(hwnd_, CB_GETCURSEL, 0, 0));
  if (shown != model_.ItemIndex()) ::SendMessageA(hwnd_, CB_SETCURSEL, static_cast<WPARAM>(model_.ItemIndex()), 0);
  if (WindowText(hwnd_) != model_.Text()) ::SetWindowTextA(hwnd_, model_.Text().c_str());
  SyncState(hwnd_, model_);
  updating_ = false;
}

void ComboView::Command(WORD code, HWND /*child*/) {
  if (updating_) return;
  if (code == CBN_SELCHANGE) {
    const int index = static_cast<int>(::SendMessageA(hwnd_, CB_GETCURSEL, 0, 0));
    if (index >= 0) model_.UserSelect(index);
  } else if (code == CBN_EDITCHANGE) {
    model_.UserType(WindowText(hwnd_));
  }
}

HBRUSH ComboView::Colour(HDC dc, HWND) {
  ::SetTextColor(dc, model_.Enabled() ? palette::kFieldText : palette::kDisabledText);
  ::SetBkColor(dc, palette::kField);
  return palette::Brush(palette::kField);
}

}  // namespace dx::win32
