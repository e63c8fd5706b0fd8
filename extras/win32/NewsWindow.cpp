#include "extras/win32/NewsWindow.h"

#include <stdexcept>

#include "platform/win32/DesktopShell.h"
#include "platform/win32/Messages.h"
#include "platform/win32/ui/Controls.h"
#include "platform/win32/ui/Palette.h"
#include "platform/win32/ui/PlainViews.h"

namespace dx::win32 {
namespace {

// A plain text for an edit box: CR LF line ends.
std::string WithWindowsLineEnds(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

bool IsWebAddress(const std::string& target) { return target.find("://") != std::string::npos; }

// The program's own text of a URL the browser names. No best-fit letters: a look-alike
// of a letter of the maker's host must not turn into that letter.
std::string Narrow(const std::wstring& text) {
  if (text.empty()) return {};
  const int length = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()),
                                           nullptr, 0, "?", nullptr);
  std::string narrow(static_cast<std::size_t>(length > 0 ? length : 0), '\0');
  if (length > 0) {
    ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()), narrow.data(),
                          length, "?", nullptr);
  }
  return narrow;
}

}  // namespace

std::optional<bool> UrlDllOnlineTest::IsOffline() {
  if (!library_) library_.reset(::LoadLibraryA("URL.DLL"));
  if (!library_) return std::nullopt;
  using InetIsOfflineFunction = BOOL(WINAPI*)(DWORD);
  const auto isOffline =
      reinterpret_cast<InetIsOfflineFunction>(reinterpret_cast<void*>(::GetProcAddress(library_.get(), "InetIsOffline")));
  if (!isOffline) return std::nullopt;
  return isOffline(0) != 0;
}

NewsWindow::NewsWindow(platform::IFileSystem& files, std::function<std::string()> programDir)
    : files_(files), form_(files, onlineTest_, *this, std::move(programDir)) {}

bool NewsWindow::Create() {
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
  RECT outer{0, 0, kClientWidth, kClientHeight};
  ::AdjustWindowRectEx(&outer, style, FALSE, 0);
  ClassOptions cls{"TForm5"};
  cls.background = static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH));
  if (!CreateWindowFor(cls, 0, "Marvesta NEWS", style, kLeft, kTop, outer.right - outer.left,
                       outer.bottom - outer.top, nullptr)) {
    return false;
  }
  auto browser = std::make_unique<WebBrowserHost>(BrowserHandlers());
  if (browser->Create(hwnd())) browser_ = std::move(browser);
  return true;
}

WebBrowserHost::Handlers NewsWindow::BrowserHandlers() {
  WebBrowserHost::Handlers handlers;
  handlers.navigate = [this](const std::wstring& url, bool top) {
    const NewsNavigation route = form_.Route(Narrow(url));
    if (route == NewsNavigation::Show) return true;
    // A frame's page elsewhere is only left out; a link the user followed opens outside.
    if (route == NewsNavigation::OpenOutside && top) OpenOutsideLater(url);
    return false;
  };
  handlers.newWindow = [this](const std::wstring& url) {
    if (form_.Route(Narrow(url)) != NewsNavigation::Refuse) OpenOutsideLater(url);
  };
  handlers.failed = [this](const std::wstring& url) { return form_.PageFailed(Narrow(url)); };
  return handlers;
}

void NewsWindow::OpenOutsideLater(const std::wstring& url) {
  linksOutside_.push_back(url);
  ::PostMessageA(hwnd(), messages::kOpenLinksOutside, 0, 0);
}

void NewsWindow::Show() {
  if (!hwnd()) return;
  if (!::IsWindowVisible(hwnd())) form_.FormShow();
  ::ShowWindow(hwnd(), ::IsIconic(hwnd()) ? SW_RESTORE : SW_SHOW);
  ::SetForegroundWindow(hwnd());
}

void NewsWindow::Navigate(const std::string& target) {
  if (browser_) {
    const HRESULT result = browser_->Navigate(target);
    if (FAILED(result)) throw std::runtime_error(SystemErrorText(static_cast<DWORD>(result)));
    return;
  }
  if (IsWebAddress(target)) {
    ShowText("The news page cannot be shown here: this system has no web browser engine.\n\nRead it at " + target);
    return;
  }
  const auto page = files_.ReadFile(target);
  // An unreadable page leaves what is shown, as a page that never arrives would.
  if (page.ok) ShowText(PlainTextOfHtml(page.data));
}

void NewsWindow::ShowText(const std::string& text) {
  if (!text_) {
    text_ = ui::CreateControl("EDIT", "",
                              WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL, 12, 12,
                              kClientWidth - 24, kClientHeight - 24, hwnd(), kTextId);
    // Softer than white, for reading at length.
    views_.Route(text_, std::make_unique<ColourView>(RGB(230, 230, 230), palette::kPage));
  }
  ::SetWindowTextA(text_, WithWindowsLineEnds(text).c_str());
}

LRESULT NewsWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (LRESULT result = 0; views_.Dispatch(message, wParam, lParam, result)) return result;
  switch (message) {
    case WM_CLOSE:
      ::ShowWindow(hwnd(), SW_HIDE);
      return 0;
    case messages::kOpenLinksOutside:
      while (!linksOutside_.empty()) {
        const std::wstring url = std::move(linksOutside_.front());
        linksOutside_.pop_front();
        OpenInUsersBrowser(url);
      }
      return 0;
    default:
      break;
  }
  return Window::HandleMessage(message, wParam, lParam);
}

}  // namespace dx::win32
