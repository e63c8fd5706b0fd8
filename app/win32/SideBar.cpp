#include "app/win32/SideBar.h"

#include <memory>

#include "platform/win32/Scoped.h"
#include "platform/win32/ui/Controls.h"

namespace dx::win32 {
namespace {
constexpr int kCaptionHeight = 22;
constexpr int kItemHeight = 18;
}  // namespace

// One caption: a group's header (item -1) or one of its items.
class SideBar::Entry : public Window {
 public:
  Entry(SideBar& bar, int group, int item, std::string text, bool bold)
      : bar_(bar), group_(group), item_(item), text_(std::move(text)), bold_(bold) {}

  bool Create(HWND parent) {
    ClassOptions cls{"TRzGroupItem"};
    cls.cursor = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_HAND));
    return CreateWindowFor(cls, 0, text_.c_str(), WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, parent) != nullptr;
  }
  int group() const { return group_; }
  int item() const { return item_; }

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    switch (message) {
      case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = ::BeginPaint(hwnd(), &ps);
        RECT r;
        ::GetClientRect(hwnd(), &r);
        ::FillRect(dc, &r, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
        ::SetBkMode(dc, TRANSPARENT);
        const COLORREF normal = item_ < 0 ? SideBar::kCaptionColour : SideBar::kItemColour;
        ::SetTextColor(dc, hot_ ? RGB(255, 255, 255) : normal);
        {
          const ScopedSelection font(dc, ui::DefaultFont(bold_));
          r.left += item_ < 0 ? 6 : 16;
          ::DrawTextA(dc, text_.c_str(), -1, &r, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
          if (item_ < 0) {
            // The group's open/closed mark at the right.
            RECT mark = r;
            mark.right -= 6;
            ::DrawTextA(dc, bar_.openGroup() == group_ ? "\x96" : "+", -1, &mark,
                        DT_SINGLELINE | DT_VCENTER | DT_RIGHT | DT_NOPREFIX);
          }
        }
        ::EndPaint(hwnd(), &ps);
        return 0;
      }
      case WM_MOUSEMOVE:
        if (!hot_) {
          hot_ = true;
          TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, hwnd(), 0};
          ::TrackMouseEvent(&track);
          ::InvalidateRect(hwnd(), nullptr, FALSE);
        }
        return 0;
      case WM_MOUSELEAVE:
        hot_ = false;
        ::InvalidateRect(hwnd(), nullptr, FALSE);
        return 0;
      case WM_LBUTTONUP:
        bar_.Clicked(group_, item_);
        return 0;
      default:
        return Window::HandleMessage(message, wParam, lParam);
    }
  }

 private:
  SideBar& bar_;
  int group_;
  int item_;
  std::string text_;
  bool bold_;
  bool hot_ = false;
};

bool SideBar::Create(HWND parent, int x, int y, int width, int height) {
  ClassOptions cls{"TRzGroupBar"};
  cls.background = static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH));
  if (!CreateWindowFor(cls, 0, "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, x, y, width, height, parent)) return false;
  for (int g = 0; g < static_cast<int>(groups_.size()); ++g) {
    auto* caption = new Entry(*this, g, -1, groups_[g].caption, groups_[g].bold);
    caption->Create(hwnd());
    entries_.push_back(caption);
    for (int i = 0; i < static_cast<int>(groups_[g].items.size()); ++i) {
      auto* item = new Entry(*this, g, i, groups_[g].items[i], false);
      item->Create(hwnd());
      entries_.push_back(item);
    }
  }
  Layout();
  return true;
}

void SideBar::OpenGroup(int group) {
  open_ = group;
  Layout();
}

void SideBar::Layout() {
  RECT client;
  ::GetClientRect(hwnd(), &client);
  const int width = client.right - 2;
  int y = 1;
  for (Entry* entry : entries_) {
    const bool caption = entry->item() < 0;
    const bool visible = caption || entry->group() == open_;
    ::ShowWindow(entry->hwnd(), visible ? SW_SHOWNA : SW_HIDE);
    if (!visible) continue;
    const int height = caption ? kCaptionHeight : kItemHeight;
    ::MoveWindow(entry->hwnd(), 1, y, width, height, TRUE);
    ::InvalidateRect(entry->hwnd(), nullptr, FALSE);
    y += height;
  }
  ::InvalidateRect(hwnd(), nullptr, TRUE);
}

void SideBar::Clicked(int group, int item) {
  if (item < 0) {
    OpenGroup(open_ == group ? -1 : group);
    return;
  }
  if (onClick_) onClick_(group, item);
}

LRESULT SideBar::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = ::BeginPaint(hwnd(), &ps);
      RECT r;
      ::GetClientRect(hwnd(), &r);
      ::FillRect(dc, &r, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
      const ScopedGdiObject border(::CreateSolidBrush(kBorderColour));
      ::FrameRect(dc, &r, static_cast<HBRUSH>(border.get()));
      ::EndPaint(hwnd(), &ps);
      return 0;
    }
    case WM_NCDESTROY:
      for (Entry* entry : entries_) delete entry;
      entries_.clear();
      break;
    default:
      break;
  }
  return Window::HandleMessage(message, wParam, lParam);
}

}  // namespace dx::win32
