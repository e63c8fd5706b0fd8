#include "platform/win32/ui/ViewContainer.h"

#include "platform/win32/Scoped.h"
#include "platform/win32/ui/Palette.h"
#include "platform/win32/ui/Controls.h"

namespace dx::win32 {

ControlView& ViewRoutes::Adopt(std::unique_ptr<ControlView> view) {
  views_.push_back(std::move(view));
  return *views_.back();
}

ControlView* ViewRoutes::ViewOf(HWND child) const {
  auto it = routes_.find(child);
  return it == routes_.end() ? nullptr : it->second;
}

bool ViewRoutes::Dispatch(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) const {
  switch (message) {
    case DM_GETDEFID:
      // Asked by the dialog manager for Enter; it then sends the button's click here.
      if (!defaultButton_) return false;
      result = ::IsWindowEnabled(defaultButton_) ? MAKELRESULT(::GetDlgCtrlID(defaultButton_), DC_HASDEFID) : 0;
      return true;
    case WM_COMMAND: {
      const auto child = reinterpret_cast<HWND>(lParam);
      if (defaultButton_ || cancelButton_) {
        // Escape: the dialog manager sends IDCANCEL from no control.
        if (LOWORD(wParam) == IDCANCEL && !child) {
          ControlView* view = cancelButton_ ? ViewOf(cancelButton_) : nullptr;
          if (view && ::IsWindowEnabled(cancelButton_)) view->Command(BN_CLICKED, cancelButton_);
          result = 0;
          return true;
        }
        // Enter while no default button can be pressed: it names the focused control, which was not clicked.
        if (LOWORD(wParam) == IDOK && child && ::GetDlgCtrlID(child) != IDOK) {
          result = 0;
          return true;
        }
      }
      if (ControlView* view = ViewOf(child)) {
        view->Command(HIWORD(wParam), child);
        result = 0;
        return true;
      }
      return false;
    }
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      ControlView* view = ViewOf(item->hwndItem);
      if (!view || !view->DrawItem(*item)) return false;
      result = TRUE;
      return true;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX: {
      HWND child = reinterpret_cast<HWND>(lParam);
      const auto dc = reinterpret_cast<HDC>(wParam);
      HBRUSH brush = nullptr;
      if (ControlView* view = ViewOf(child)) brush = view->Colour(dc, child);
      // The drop-down list of a combo box reports through its own parent chain.
      if (!brush && (message == WM_CTLCOLORLISTBOX || message == WM_CTLCOLOREDIT)) {
        if (ControlView* view = ViewOf(::GetParent(child))) brush = view->Colour(dc, child);
      }
      if (!brush) return false;
      result = reinterpret_cast<LRESULT>(brush);
      return true;
    }
    default:
      return false;
  }
}

bool ViewContainer::CreateContainer(const char* className, HWND parent, int x, int y, int width, int height,
                                    COLORREF background, bool visible) {
  background_ = background;
  ClassOptions cls{className};
  return CreateWindowFor(cls, WS_EX_CONTROLPARENT, "",
                         WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | (visible ? WS_VISIBLE : 0), x, y, width,
                         height, parent) != nullptr;
}

void ViewContainer::PaintBackground(HDC dc) {
  RECT client;
  ::GetClientRect(hwnd(), &client);
  ::FillRect(dc, &client, palette::Brush(background_));
  ::SetBkMode(dc, TRANSPARENT);
  const ScopedSelection font(dc, ui::DefaultFont());
  for (const Frame& frame : frames_) {
    SIZE extent{};
    ::GetTextExtentPoint32A(dc, frame.caption.c_str(), static_cast<int>(frame.caption.size()), &extent);
    const int lineY = frame.rect.top + extent.cy / 2;
    // The caption interrupts the top line, as a group box's does.
    const int captionLeft = frame.rect.left + 8;
    const int captionRight = frame.caption.empty() ? captionLeft : captionLeft + extent.cx;
    {
      const ScopedGdiObject pen(::CreatePen(PS_SOLID, 1, frame.lineColour));
      const ScopedSelection penSelected(dc, pen.get());
      ::MoveToEx(dc, captionLeft, lineY, nullptr);
      ::LineTo(dc, frame.rect.left, lineY);
      ::LineTo(dc, frame.rect.left, frame.rect.bottom - 1);
      ::LineTo(dc, frame.rect.right - 1, frame.rect.bottom - 1);
      ::LineTo(dc, frame.rect.right - 1, lineY);
      ::LineTo(dc, captionRight, lineY);
    }
    ::SetTextColor(dc, frame.captionColour);
    ::TextOutA(dc, captionLeft, frame.rect.top, frame.caption.c_str(), static_cast<int>(frame.caption.size()));
  }
  for (const Text& text : texts_) {
    ::SetTextColor(dc, text.colour);
    ::TextOutA(dc, text.x, text.y, text.text.c_str(), static_cast<int>(text.text.size()));
  }
}

LRESULT ViewContainer::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_ERASEBKGND) {
    PaintBackground(reinterpret_cast<HDC>(wParam));
    return 1;
  }
  LRESULT result = 0;
  if (routes_.Dispatch(message, wParam, lParam, result)) return result;
  return Window::HandleMessage(message, wParam, lParam);
}

}  // namespace dx::win32
