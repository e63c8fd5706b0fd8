#pragma once
// Views for controls that have no model of their own.
#include <functional>
#include <utility>

#include "platform/win32/Pictures.h"
#include "platform/win32/ui/Controls.h"
#include "platform/win32/ui/ViewContainer.h"

namespace dx::win32 {

// A button drawn from one picture whose click runs a call.
class PictureButtonView : public ControlView {
 public:
  PictureButtonView(const Picture& picture, std::function<void()> onClick)
      : picture_(picture), onClick_(std::move(onClick)) {}
  void Command(WORD code, HWND) override {
    if (code == BN_CLICKED) onClick_();
  }
  bool DrawItem(const DRAWITEMSTRUCT& item) override {
    ui::DrawPictureButton(item, &picture_, &picture_);
    return true;
  }

 private:
  const Picture& picture_;
  std::function<void()> onClick_;
};

// A control that only tells its parent what happened to it (the notification code).
class NotifyView : public ControlView {
 public:
  explicit NotifyView(std::function<void(WORD code)> onNotify) : onNotify_(std::move(onNotify)) {}
  void Command(WORD code, HWND) override { onNotify_(code); }

 private:
  std::function<void(WORD code)> onNotify_;
};

// Fixed text colours on a solid background of the palette's brushes.
class ColourView : public ControlView {
 public:
  ColourView(COLORREF text, COLORREF background) : text_(text), background_(background) {}
  HBRUSH Colour(HDC dc, HWND) override;

 private:
  COLORREF text_;
  COLORREF background_;
};

}  // namespace dx::win32
