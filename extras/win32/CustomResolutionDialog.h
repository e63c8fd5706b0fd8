#pragma once
// The window of the custom resolution picker.
#include "extras/CustomResolution.h"
#include "platform/win32/Pictures.h"
#include "platform/win32/Window.h"
#include "platform/win32/ui/ViewContainer.h"

namespace dx::win32 {

class CustomResolutionDialog : public Window {
 public:
  static constexpr int kWidth = 228;
  static constexpr int kHeight = 502;
  enum : int { kCloseId = 101, kListId = 102, kAddId = 103 };

  explicit CustomResolutionDialog(TForm3& logic) : logic_(logic) {}

  // Created hidden once, reused for every opening.
  bool Create(HWND owner);
  // Shows the dialog over the owner and returns when it has closed.
  void ShowModal();

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  class TickListView;
  void Fill();
  void Toggle(int index);
  void Close();

  TForm3& logic_;
  HWND owner_ = nullptr;
  HWND closeButton_ = nullptr;
  HWND list_ = nullptr;
  HWND addButton_ = nullptr;
  Picture background_;
  Picture closeIcon_;
  bool open_ = false;
  // Last: the views go before the pictures they draw.
  ViewRoutes views_;
};

}  // namespace dx::win32
