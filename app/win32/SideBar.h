#pragma once
// The side bar: two collapsible, mutually exclusive groups of items. Every caption is a
// child window of its own, so it can be found by its text and clicked.
#include <functional>
#include <string>
#include <vector>

#include "platform/win32/Window.h"

namespace dx::win32 {

class SideBar : public Window {
 public:
  struct Group {
    std::string caption;
    bool bold = false;
    std::vector<std::string> items;
  };
  // (group index, item index)
  using ItemClick = std::function<void(int group, int item)>;

  SideBar(std::vector<Group> groups, ItemClick onClick) : groups_(std::move(groups)), onClick_(std::move(onClick)) {}

  bool Create(HWND parent, int x, int y, int width, int height);
  // Opens one group and closes the others; -1 closes all.
  void OpenGroup(int group);
  int openGroup() const { return open_; }

  static constexpr COLORREF kCaptionColour = RGB(166, 193, 98);
  static constexpr COLORREF kItemColour = RGB(192, 192, 192);
  static constexpr COLORREF kBorderColour = RGB(128, 128, 0);  // olive

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  class Entry;
  void Layout();
  void Clicked(int group, int item);

  std::vector<Group> groups_;
  ItemClick onClick_;
  std::vector<Entry*> entries_;
  int open_ = -1;
};

}  // namespace dx::win32
