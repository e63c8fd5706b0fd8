#pragma once
// A window holding control views: it hands each child's notifications, drawing and
// colour requests to the view that owns that child.
#include <map>
#include <memory>
#include <vector>

#include "platform/win32/Window.h"

namespace dx::win32 {

class ControlView {
 public:
  virtual ~ControlView() = default;
  virtual void Command(WORD /*code*/, HWND /*child*/) {}
  virtual bool DrawItem(const DRAWITEMSTRUCT& /*item*/) { return false; }
  // The brush for the child's background (text colours set on dc); null: the system's.
  virtual HBRUSH Colour(HDC /*dc*/, HWND /*child*/) { return nullptr; }
};

// The views of one window's children, and the hand-over of their messages; for windows
// that cannot be a container (dialogs with a background of their own).
class ViewRoutes {
 public:
  // The routes own the view.
  ControlView& Adopt(std::unique_ptr<ControlView> view);
  // The view answers for child from now on.
  void Route(HWND child, ControlView& view) { routes_[child] = &view; }
  void Route(HWND child, std::unique_ptr<ControlView> view) { Route(child, Adopt(std::move(view))); }
  // The buttons a dialog's keys press, each while it is enabled: Enter the default one,
  // Escape the one that cancels (either may be null).
  void SetDialogButtons(HWND defaultButton, HWND cancelButton) {
    defaultButton_ = defaultButton;
    cancelButton_ = cancelButton;
  }
  void Clear() {
    routes_.clear();
    views_.clear();
    defaultButton_ = cancelButton_ = nullptr;
  }
  // True when a view took message; result is then what the window returns.
  bool Dispatch(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) const;

 private:
  ControlView* ViewOf(HWND child) const;
  std::vector<std::unique_ptr<ControlView>> views_;
  std::map<HWND, ControlView*> routes_;
  HWND defaultButton_ = nullptr;
  HWND cancelButton_ = nullptr;
};

class ViewContainer : public Window {
 public:
  // The view answers for child from now on; the container owns the view.
  ControlView& Adopt(std::unique_ptr<ControlView> view) { return routes_.Adopt(std::move(view)); }
  void Route(HWND child, ControlView& view) { routes_.Route(child, view); }
  // Drops every view now (before the models they watch go away).
  void ReleaseViews() { routes_.Clear(); }

  // A frame drawn on the container: a white (or silver) rectangle with its caption in the line.
  struct Frame {
    RECT rect;
    std::string caption;
    COLORREF captionColour;
    COLORREF lineColour;
  };
  void AddFrame(Frame frame) { frames_.push_back(std::move(frame)); }
  // A fixed text painted on the container.
  struct Text {
    int x, y;
    std::string text;
    COLORREF colour;
  };
  void AddText(Text text) { texts_.push_back(std::move(text)); }

 protected:
  bool CreateContainer(const char* className, HWND parent, int x, int y, int width, int height, COLORREF background,
                       bool visible = true);
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  virtual void PaintBackground(HDC dc);

 private:
  ViewRoutes routes_;
  std::vector<Frame> frames_;
  std::vector<Text> texts_;
  COLORREF background_ = RGB(0, 0, 0);
};

// A plain container: one page of the page area, or a group that holds controls.
class PageWindow : public ViewContainer {
 public:
  bool Create(HWND parent, int x, int y, int width, int height, bool visible, COLORREF background = RGB(0, 0, 0),
              const char* className = "TTabSheet") {
    return CreateContainer(className, parent, x, y, width, height, background, visible);
  }
};

}  // namespace dx::win32
