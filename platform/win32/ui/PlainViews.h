#pragma once
// Views for controls that have no model of their own.
#include <functional>
#include <utility>

#include "platform/win32/Pictures.h"
#include "platform/win32/ui/Controls.h"
#include "platform/win32/ui/ViewContainer.h"

namespace dx::win32 {

// A push button whose click runs a call.
class ClickView : public ControlView {
 public:
  explicit ClickView(std::function<void()> onClick) : onClick_(std::move(onClick)) {}
  void Command(WORD code, HWND) override {
    if (code == BN_CLICKED && onClick_) onClick_();
  }

 private:
  std::function<void()> onClick_;
};

// A button drawn from one picture whose click runs a call.
class PictureButtonView : public ClickView {
 public:
  PictureButtonView(const Picture& picture, std::function<void()> onClick)
      : ClickView(std::move(onClick)), picture_(picture) {}
  bool DrawItem(const DRAWITEMSTRUCT& item) override {
    ui::DrawPictureButton(item, &picture_, &picture_);
    return true;
  }

 private:
  const Picture& picture_;
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
