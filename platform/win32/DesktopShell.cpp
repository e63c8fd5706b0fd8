#include "platform/win32/DesktopShell.h"

#include <windows.h>
#include <exdisp.h>
#include <servprov.h>
#include <shellapi.h>
#include <shldisp.h>
#include <shlguid.h>
#include <shlobj.h>

#include "platform/win32/Bstr.h"
#include "platform/win32/Scoped.h"

namespace dx::win32 {

bool OpenThroughDesktopShell(const std::wstring& url) {
  // The desktop's folder view, found through the shell's list of its windows, offers the
  // shell's automation object of the explorer process that shows it; its ShellExecute
  // runs there.
  ComPtr<IShellWindows> windows;
  if (FAILED(::CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_LOCAL_SERVER, IID_PPV_ARGS(windows.put())))) {
    return false;
  }
  VARIANT desktop;
  ::VariantInit(&desktop);
  V_VT(&desktop) = VT_I4;
  V_I4(&desktop) = CSIDL_DESKTOP;
  VARIANT none;
  ::VariantInit(&none);
  long window = 0;
  ComPtr<IDispatch> found;
  if (windows->FindWindowSW(&desktop, &none, SWC_DESKTOP, &window, SWFO_NEEDDISPATCH, found.put()) != S_OK ||
      !found) {
    return false;
  }
  ComPtr<IServiceProvider> services;
  ComPtr<IShellBrowser> browser;
  ComPtr<IShellView> view;
  ComPtr<IDispatch> background;
  ComPtr<IShellFolderViewDual> folderView;
  ComPtr<IDispatch> application;
  ComPtr<IShellDispatch2> shell;
  if (FAILED(found->QueryInterface(IID_PPV_ARGS(services.put()))) ||
      FAILED(services->QueryService(SID_STopLevelBrowser, IID_PPV_ARGS(browser.put()))) ||
      FAILED(browser->QueryActiveShellView(view.put())) ||
      FAILED(view->GetItemObject(SVGIO_BACKGROUND, IID_PPV_ARGS(background.put()))) ||
      FAILED(background->QueryInterface(IID_PPV_ARGS(folderView.put()))) ||
      FAILED(folderView->get_Application(application.put())) ||
      FAILED(application->QueryInterface(IID_PPV_ARGS(shell.put())))) {
    return false;
  }
  // The browser explorer starts may come to the front.
  DWORD explorer = 0;
  ::GetWindowThreadProcessId(reinterpret_cast<HWND>(static_cast<LONG_PTR>(window)), &explorer);
  if (explorer) ::AllowSetForegroundWindow(explorer);

  ScopedBstr file(url);
  ScopedBstr open(std::wstring(L"open"));
  VARIANT operation;
  ::VariantInit(&operation);
  V_VT(&operation) = VT_BSTR;
  V_BSTR(&operation) = open.get();  // borrowed: freed with open
  VARIANT show;
  ::VariantInit(&show);
  V_VT(&show) = VT_I4;
  V_I4(&show) = SW_SHOWNORMAL;
  return SUCCEEDED(shell->ShellExecute(file.get(), none, none, operation, show));
}

void OpenInUsersBrowser(const std::wstring& url) {
  if (OpenThroughDesktopShell(url)) return;
  ::ShellExecuteW(nullptr, L"open", url.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace dx::win32
