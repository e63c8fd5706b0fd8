#pragma once
// The news window: the browser control over the black client area, or, where the system
// has no browser engine, the page's text in a read-only box. Closing only hides it.
#include <deque>
#include <memory>
#include <string>

#include "extras/NewsWindow.h"
#include "extras/win32/WebBrowserHost.h"
#include "platform/FileSystem.h"
#include "platform/win32/Scoped.h"
#include "platform/win32/Window.h"
#include "platform/win32/ui/ViewContainer.h"

namespace dx::win32 {

// InetIsOffline from URL.DLL, which stays loaded once found.
class UrlDllOnlineTest : public IOnlineTest {
 public:
  std::optional<bool> IsOffline() override;

 private:
  ScopedModule library_;
};

class NewsWindow : public Window, public INewsView {
 public:
  static constexpr int kLeft = 454;
  static constexpr int kTop = 213;
  static constexpr int kClientWidth = 520;
  static constexpr int kClientHeight = 500;
  enum : int { kTextId = 101 };

  NewsWindow(platform::IFileSystem& files, std::function<std::string()> programDir);

  // Created hidden once, reused for every showing.
  bool Create();
  // Non-modal; the online test and the page load run at every showing.
  void Show();

  void Navigate(const std::string& target) override;

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void ShowText(const std::string& text);
  WebBrowserHost::Handlers BrowserHandlers();
  // Opened in the user's own browser once the browser's event has returned.
  void OpenOutsideLater(const std::wstring& url);

  platform::IFileSystem& files_;
  UrlDllOnlineTest onlineTest_;
  TForm5 form_;
  std::unique_ptr<WebBrowserHost> browser_;
  HWND text_ = nullptr;
  std::deque<std::wstring> linksOutside_;
  ViewRoutes views_;
};

}  // namespace dx::win32
