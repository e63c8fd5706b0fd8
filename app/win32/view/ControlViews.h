#pragma once
// Win32 views of the control models: each creates its window(s), paints them in the
// program's colours, turns what the user does into the model's User... calls and
// follows every change of the model.
#include <memory>
#include <string>
#include <vector>

#include "app/controls/ChoiceControls.h"
#include "app/controls/TextControls.h"
#include "platform/win32/ui/MouseLeave.h"
#include "platform/win32/ui/ViewContainer.h"
#include "platform/win32/Pictures.h"

namespace dx::win32 {

struct Bounds {
  int x, y, width, height;
};

// Keeps a model subscription for the life of the view.
class Subscription {
 public:
  Subscription() = default;
  Subscription(controls::TControl& control, controls::TControl::Observer observer);
  ~Subscription();
  Subscription(const Subscription&) = delete;
  Subscription& operator=(const Subscription&) = delete;

 private:
  controls::TControl* control_ = nullptr;
  std::size_t token_ = 0;
};

// Follows the model's enabled and visible states on a window.
void SyncState(HWND window, const controls::TControl& control);

class EditView : public ControlView {
 public:
  enum class Look { Field, ReadOnlyPath, SizeField };
  EditView(ViewContainer& parent, controls::TEdit& model, Bounds at, Look look);
  HWND hwnd() const { return hwnd_; }
  void Command(WORD code, HWND child) override;
  HBRUSH Colour(HDC dc, HWND child) override;

 private:
  void Follow();
  controls::TEdit& model_;
  HWND hwnd_ = nullptr;
  Look look_;
  bool updating_ = false;
  std::unique_ptr<Subscription> subscription_;
};

class LabelView : public ControlView {
 public:
  LabelView(ViewContainer& parent, controls::TLabel& model, Bounds at, COLORREF colour, HFONT font = nullptr,
            bool wrap = false);
  HWND hwnd() const { return hwnd_; }
  HBRUSH Colour(HDC dc, HWND child) override;

 private:
  controls::TLabel& model_;
  HWND hwnd_ = nullptr;
  COLORREF colour_;
  std::unique_ptr<Subscription> subscription_;
};

// A push button with a caption, or an icon button drawn from a picture (with an optional caption).
class ButtonView : public ControlView {
 public:
  ButtonView(ViewContainer& parent, controls::TButton& model, Bounds at, const Picture* icon = nullptr,
             const Picture* pressed = nullptr, const std::string& tooltip = {}, bool handCursor = false);
  HWND hwnd() const { return hwnd_; }
  void Command(WORD code, HWND child) override;
  bool DrawItem(const DRAWITEMSTRUCT& item) override;

 private:
  controls::TButton& model_;
  HWND hwnd_ = nullptr;
  const Picture* icon_;
  const Picture* pressed_;
  std::unique_ptr<Subscription> subscription_;
};

// A tick box drawn in the selection colours, with mouse-leave.
class CheckBoxView : public ControlView {
 public:
  CheckBoxView(ViewContainer& parent, controls::TCheckBox& model, Bounds at, COLORREF textColour);
  HWND hwnd() const { return hwnd_; }
  void Command(WORD code, HWND child) override;
  bool DrawItem(const DRAWITEMSTRUCT& item) override;

 private:
  controls::TCheckBox& model_;
  HWND hwnd_ = nullptr;
  COLORREF textColour_;
  std::unique_ptr<Subscription> subscription_;
  std::unique_ptr<MouseLeaveWatch> leave_;
};

// A radio group: a frame with its caption and the items in columns.
class RadioGroupView : public ControlView {
 public:
  RadioGroupView(ViewContainer& parent, controls::TRadioGroup& model, Bounds at, int columns, int itemTop = 20,
                 int itemHeight = 20);
  void Command(WORD code, HWND child) override;
  bool DrawItem(const DRAWITEMSTRUCT& item) override;
  const std::vector<HWND>& items() const { return items_; }
  // The first item stands for the group.
  HWND hwnd() const { return items_.empty() ? nullptr : items_.front(); }

 private:
  controls::TRadioGroup& model_;
  std::vector<HWND> items_;
  std::unique_ptr<Subscription> subscription_;
};

// The resolution group: a window of its own (so that leaving it can be told) holding
// its tick items and, placed by the caller, more controls.
class CheckGroupView : public ControlView {
 public:
  CheckGroupView(ViewContainer& parent, controls::TCheckGroup& model, Bounds at, int columns);
  PageWindow& area() { return *area_; }
  HWND hwnd() const { return area_->hwnd(); }
  const std::vector<HWND>& items() const { return items_; }
  void Command(WORD code, HWND child) override;
  bool DrawItem(const DRAWITEMSTRUCT& item) override;
  // Call once every control inside the group exists.
  void WatchMouseLeave();

 private:
  controls::TCheckGroup& model_;
  std::unique_ptr<PageWindow> area_;
  std::vector<HWND> items_;
  std::unique_ptr<Subscription> subscription_;
  std::unique_ptr<MouseLeaveWatch> leave_;
};

// A drop-down list that can also be typed into.
class ComboView : public ControlView {
 public:
  ComboView(ViewContainer& parent, controls::TComboBox& model, Bounds at);
  HWND hwnd() const { return hwnd_; }
  void Command(WORD code, HWND child) override;
  HBRUSH Colour(HDC dc, HWND child) override;

 private:
  void Follow();
  controls::TComboBox& model_;
  HWND hwnd_ = nullptr;
  bool updating_ = false;
  std::unique_ptr<Subscription> subscription_;
};

// Draws a tick box or radio mark and its caption in the selection colours.
void DrawChoice(HDC dc, const RECT& rect, const std::string& caption, bool radio, bool checked, bool enabled, bool hot,
                COLORREF textColour);

}  // namespace dx::win32
