#include "platform/win32/Win32Shell.h"

#include <commdlg.h>
#include <shellapi.h>
#include <shlobj.h>

#include "platform/win32/Scoped.h"

namespace dx::win32 {
namespace {

struct CoTaskMemTraits {
  using Handle = void*;
  static Handle Invalid() { return nullptr; }
  static bool Valid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { ::CoTaskMemFree(h); }
};

}  // namespace

bool Win32Shell::Open(const std::string& target, platform::ShowMode mode) {
  const int show = mode == platform::ShowMode::Show ? SW_SHOW : SW_SHOWNORMAL;
  // The program may end right after (an unattended benchmark, /history): the hand-over
  // must be complete before the call returns.
  SHELLEXECUTEINFOA info{};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_NOASYNC;
  info.hwnd = owner_;
  info.lpVerb = "open";
  info.lpFile = target.c_str();
  info.nShow = show;
  return ::ShellExecuteExA(&info) && reinterpret_cast<INT_PTR>(info.hInstApp) > 32;
}

platform::MessageResult ShowMessageBox(HWND owner, const std::string& text, const std::string& caption,
                                       platform::MessageButtons buttons, platform::MessageIcon icon) {
  UINT flags = 0;
  switch (buttons) {
    case platform::MessageButtons::Ok: flags |= MB_OK; break;
    case platform::MessageButtons::OkCancel: flags |= MB_OKCANCEL; break;
    case platform::MessageButtons::YesNo: flags |= MB_YESNO; break;
    case platform::MessageButtons::YesNoCancel: flags |= MB_YESNOCANCEL; break;
  }
  switch (icon) {
    case platform::MessageIcon::None: break;
    case platform::MessageIcon::Information: flags |= MB_ICONINFORMATION; break;
    case platform::MessageIcon::Warning: flags |= MB_ICONWARNING; break;
    case platform::MessageIcon::Error: flags |= MB_ICONERROR; break;
    case platform::MessageIcon::Question: flags |= MB_ICONQUESTION; break;
  }
  switch (::MessageBoxA(owner, text.c_str(), caption.c_str(), flags)) {
    case IDYES: return platform::MessageResult::Yes;
    case IDNO: return platform::MessageResult::No;
    case IDCANCEL: return platform::MessageResult::Cancel;
    default: return platform::MessageResult::Ok;
  }
}

platform::MessageResult Win32Shell::ShowMessage(const std::string& text, const std::string& caption,
                                                platform::MessageButtons buttons, platform::MessageIcon icon) {
  return ShowMessageBox(owner_, text, caption, buttons, icon);
}

std::optional<std::string> Win32Shell::BrowseForFolder(const std::string& title, bool allowCreateAndDelete) {
  BROWSEINFOA info{};
  info.hwndOwner = owner_;
  info.lpszTitle = title.c_str();
  info.ulFlags = BIF_RETURNONLYFSDIRS | (allowCreateAndDelete ? BIF_NEWDIALOGSTYLE : BIF_NONEWFOLDERBUTTON);
  Scoped<CoTaskMemTraits> chosen(::SHBrowseForFolderA(&info));
  if (!chosen) return std::nullopt;
  char path[MAX_PATH] = {};
  if (!::SHGetPathFromIDListA(static_cast<PCIDLIST_ABSOLUTE>(chosen.get()), path)) return std::nullopt;
  return std::string(path);
}

std::optional<std::string> Win32Shell::OpenFile(const std::string& title, const std::string& filter) {
  // "Text|*.a;*.b" becomes "Text\0*.a;*.b\0\0".
  std::string filterList = filter;
  for (char& c : filterList) {
    if (c == '|') c = '\0';
  }
  filterList.push_back('\0');
  filterList.push_back('\0');
  char file[MAX_PATH * 4] = {};
  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner_;
  ofn.lpstrFilter = filterList.c_str();
  ofn.lpstrFile = file;
  ofn.nMaxFile = sizeof file;
  ofn.lpstrTitle = title.c_str();
  ofn.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_EXPLORER;
  if (!::GetOpenFileNameA(&ofn)) return std::nullopt;
  return std::string(file);
}

}  // namespace dx::win32
