#pragma once
// Controls that hold a choice: tick boxes, radio groups, the resolution check group,
// drop-down lists that can also be typed into, and the page control.
#include <cstddef>
#include <string>
#include <vector>

#include "app/controls/Control.h"

namespace dx::controls {

// OnClick runs on every change of state, by the user or by a program step.
class TCheckBox : public TControl {
 public:
  explicit TCheckBox(std::string name, std::string caption = {})
      : TControl(std::move(name)), caption_(std::move(caption)) {}

  const std::string& Caption() const { return caption_; }
  bool Checked() const { return checked_; }
  void SetChecked(bool checked);
  // The user's click: toggles an enabled box.
  void UserClick();

  Event OnClick;

 private:
  std::string caption_;
  bool checked_ = false;
};

// OnChanging runs after the selection has moved to another item, whether a click or a
// program step moved it. -1 is no selection.
class TRadioGroup : public TControl {
 public:
  TRadioGroup(std::string name, std::string caption, std::vector<std::string> items)
      : TControl(std::move(name)), caption_(std::move(caption)), items_(std::move(items)) {}

  const std::string& Caption() const { return caption_; }
  const std::vector<std::string>& Items() const { return items_; }
  int ItemIndex() const { return itemIndex_; }
  void SetItemIndex(int index);
  bool IsChecked(int index) const { return index >= 0 && index == itemIndex_; }
  // The user clicks an item of an enabled group.
  void UserSelect(int index);

  Event OnChanging;

 private:
  std::string caption_;
  std::vector<std::string> items_;
  int itemIndex_ = -1;
};

// A group of tick boxes, each item with its own ticked and enabled state. No event of
// its own besides the mouse leaving the group.
class TCheckGroup : public TControl {
 public:
  TCheckGroup(std::string name, std::string caption, std::vector<std::string> items);

  const std::string& Caption() const { return caption_; }
  const std::vector<std::string>& Items() const { return items_; }
  std::size_t Count() const { return items_.size(); }
  bool ItemChecked(std::size_t index) const { return index < checked_.size() && checked_[index]; }
  bool ItemEnabled(std::size_t index) const { return index < itemEnabled_.size() && itemEnabled_[index]; }
  void SetItemChecked(std::size_t index, bool checked);
  void SetItemEnabled(std::size_t index, bool enabled);
  // The user clicks an item: toggles it when the group and the item are enabled.
  void UserClickItem(std::size_t index);

 private:
  std::string caption_;
  std::vector<std::string> items_;
  std::vector<bool> checked_;
  std::vector<bool> itemEnabled_;
};

// A drop-down list whose text can also be typed. Text is what the box shows: the
// selected item's text, or what was typed. Typing a text equal to an item's (letter
// case aside, as the window system finds it) selects that item; any other text leaves
// no item selected. OnChange runs on every change of text or selection.
class TComboBox : public TControl {
 public:
  TComboBox(std::string name, std::vector<std::string> items)
      : TControl(std::move(name)), items_(std::move(items)) {}

  const std::vector<std::string>& Items() const { return items_; }
  int ItemIndex() const { return itemIndex_; }
  const std::string& Text() const { return text_; }
  // Program step: selects the item (its text becomes the box's text); -1 clears both.
  void SetItemIndex(int index);
  int IndexOf(const std::string& text) const;

  // The user picks an item from the drop-down.
  void UserSelect(int index);
  // The user's text in the edit part, as it stands after typing.
  void UserType(const std::string& text);

  Event OnChange;

 private:
  void Apply(int index, const std::string& text);
  std::vector<std::string> items_;
  int itemIndex_ = -1;
  std::string text_;
};

// The page area: which page shows. Tabs are hidden; only program steps switch.
class TPageControl : public TControl {
 public:
  TPageControl(std::string name, int pageCount) : TControl(std::move(name)), pageCount_(pageCount) {}
  int PageCount() const { return pageCount_; }
  int ActivePageIndex() const { return active_; }
  void SetActivePageIndex(int index);

 private:
  int pageCount_;
  int active_ = 0;
};

}  // namespace dx::controls
