#include "extras/win32/UpdateWizardForm.h"

#include <commctrl.h>

#include "common/win32/ControlIds.h"
#include "common/win32/ResourceIds.h"
#include "platform/win32/Scoped.h"
#include "platform/win32/ui/Controls.h"
#include "platform/win32/ui/PlainViews.h"

namespace dx::win32 {
namespace {

// Not clipping its children: the group boxes leave their inside to the window's background.
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_TOPMOST | WS_EX_CONTROLPARENT;
constexpr const char* kAboutText = "Dextrel update wizard";

// Group boxes: left and top of the frame on the window.
constexpr int kGroupLeft = 136;
constexpr int kCurrentTop = 44;
constexpr int kAllTop = 162;

}  // namespace

TUpdateWizardForm::TUpdateWizardForm(std::function<void()> onFinish, std::function<void()> onCancel)
    : onFinish_(std::move(onFinish)), onCancel_(std::move(onCancel)) {}

TUpdateWizardForm::~TUpdateWizardForm() {
  // Before the title's font goes.
  Close();
}

bool TUpdateWizardForm::Create(HWND owner) {
  picture_ = LoadPicture(IDB_WIZARD);
  titleFont_.reset(::CreateFontA(-19, 0, 0, 0, FW_BOLD, TRUE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                                 CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_ROMAN, "Times New Roman"));
  RECT outer{0, 0, kClientWidth, kClientHeight};
  ::AdjustWindowRectEx(&outer, kStyle, FALSE, kExStyle);
  ClassOptions cls{"TUpdateWizardForm"};
  cls.background = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  if (!CreateWindowFor(cls, kExStyle, "Application update wizard", kStyle, 0, 0, outer.right - outer.left,
                       outer.bottom - outer.top, owner)) {
    return false;
  }
  ui::CentreOver(hwnd(), nullptr);
  MarkAsDialog(hwnd());

  HWND title = ui::CreateControl("STATIC", "Downloading files...", WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 136, 10, 319,
                                 26, hwnd(), IDC_WizardTitle);
  ::SendMessageA(title, WM_SETFONT, reinterpret_cast<WPARAM>(titleFont_.get()), FALSE);

  // The lines of a group are the window's own children, placed inside the frame.
  const auto inCurrent = [&](const char* cls, const char* text, DWORD style, int x, int y, int w, int h, int id) {
    ui::CreateControl(cls, text, style, kGroupLeft + x, kCurrentTop + y, w, h, hwnd(), id);
    currentFileGroup_.push_back(id);
  };
  const auto inAll = [&](const char* cls, const char* text, DWORD style, int x, int y, int w, int h, int id) {
    ui::CreateControl(cls, text, style, kGroupLeft + x, kAllTop + y, w, h, hwnd(), id);
    allFilesGroup_.push_back(id);
  };
  const DWORD line = WS_VISIBLE | SS_LEFT | SS_NOPREFIX;
  inCurrent("BUTTON", " Current file ", WS_VISIBLE | WS_CLIPSIBLINGS | BS_GROUPBOX, 0, 0, 319, 95, IDC_LCurrentFile);
  // The source of the file is not shown in this program; the field keeps it all the same.
  inCurrent("STATIC", "Downloading file from", SS_LEFT, 6, 14, 120, 13, IDC_LDownloadingFileFrom);
  inCurrent("EDIT", "", ES_READONLY | ES_AUTOHSCROLL, 6, 30, 307, 18, IDC_FileURL);
  inCurrent("STATIC", "", line, 6, 14, 307, 13, IDC_LFileSize);
  inCurrent("STATIC", "", line, 6, 30, 307, 13, IDC_LTransferRate);
  inCurrent("STATIC", "Preparing. . .", line, 6, 46, 307, 13, IDC_LEstimatedTime);
  inCurrent(PROGRESS_CLASSA, "", WS_VISIBLE, 6, 66, 307, 22, IDC_ProgressCurrentFile);
  inAll("BUTTON", " All files ", WS_VISIBLE | WS_CLIPSIBLINGS | BS_GROUPBOX, 0, 0, 319, 67, IDC_LAllFiles);
  inAll("STATIC", "", line, 6, 16, 307, 13, IDC_AllDownloading);
  inAll(PROGRESS_CLASSA, "", WS_VISIBLE, 6, 38, 307, 22, IDC_ProgressAllFiles);
  for (int id : {IDC_ProgressCurrentFile, IDC_ProgressAllFiles}) ::SendMessageA(Item(id), PBM_SETRANGE, 0, MAKELPARAM(0, 100));
  ui::CreateControl("STATIC", "", SS_LEFT | SS_NOPREFIX, 136, 44, 319, 120, hwnd(), IDC_AfterNote);

  HWND finish = ui::CreateControl("BUTTON", "&Next >", WS_VISIBLE | WS_TABSTOP | WS_DISABLED | BS_PUSHBUTTON, 296,
                                  248, 75, 25, hwnd(), IDC_FinishBtn);
  HWND cancel = ui::CreateControl("BUTTON", "&Cancel", WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 380, 248, 75, 25,
                                  hwnd(), IDC_CancelBtn);
  views_.Route(finish, std::make_unique<ClickView>(onFinish_));
  views_.Route(cancel, std::make_unique<ClickView>(onCancel_));
  views_.SetDialogButtons(finish, cancel);
  // The frames lie under the lines they hold.
  for (int id : {IDC_LCurrentFile, IDC_LAllFiles}) {
    ::SetWindowPos(Item(id), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  ::ShowWindow(hwnd(), SW_SHOW);
  return true;
}

void TUpdateWizardForm::SetText(int id, const std::string& text) {
  if (hwnd()) ::SetWindowTextA(Item(id), text.c_str());
}

void TUpdateWizardForm::ShowFile(const std::string& url, const std::string& allDownloading) {
  SetText(IDC_FileURL, url);
  SetText(IDC_AllDownloading, allDownloading);
  SetText(IDC_LFileSize, "");
  SetText(IDC_LTransferRate, "");
  SetText(IDC_LEstimatedTime, "Preparing. . .");
  if (hwnd()) ::SendMessageA(Item(IDC_ProgressCurrentFile), PBM_SETPOS, 0, 0);
}

void TUpdateWizardForm::ShowFileSize(const std::string& text) { SetText(IDC_LFileSize, text); }

void TUpdateWizardForm::ShowProgress(int currentFilePercent, int allFilesPercent, const std::string& transferRate,
                                     const std::string& estimatedTime) {
  if (!hwnd()) return;
  ::SendMessageA(Item(IDC_ProgressCurrentFile), PBM_SETPOS, currentFilePercent, 0);
  ::SendMessageA(Item(IDC_ProgressAllFiles), PBM_SETPOS, allFilesPercent, 0);
  SetText(IDC_LTransferRate, transferRate);
  SetText(IDC_LEstimatedTime, estimatedTime);
}

void TUpdateWizardForm::ShowCompleted(const std::string& title, const std::string& afterNote) {
  if (!hwnd()) return;
  SetText(IDC_WizardTitle, title);
  for (const auto* group : {&currentFileGroup_, &allFilesGroup_}) {
    for (int id : *group) ::ShowWindow(Item(id), SW_HIDE);
  }
  SetText(IDC_AfterNote, afterNote);
  ::ShowWindow(Item(IDC_AfterNote), SW_SHOWNA);
  ::EnableWindow(Item(IDC_CancelBtn), FALSE);
  HWND finish = Item(IDC_FinishBtn);
  ::SetWindowTextA(finish, "&OK");
  ::EnableWindow(finish, TRUE);
  ::SendMessageA(finish, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
  ::SetFocus(finish);
}

void TUpdateWizardForm::Close() {
  if (hwnd()) ::DestroyWindow(hwnd());
}

void TUpdateWizardForm::Paint(HDC dc) {
  // Panel1 with its picture, stretched into the panel's inner area.
  RECT panel{10, 10, 130, 230};
  ::DrawEdge(dc, &panel, BDR_SUNKENOUTER, BF_RECT);
  if (picture_) {
    ScopedCreatedDc source(::CreateCompatibleDC(dc));
    const ScopedSelection selected(source.get(), picture_.get());
    ::SetStretchBltMode(dc, COLORONCOLOR);
    ::StretchBlt(dc, 11, 11, 118, 218, source.get(), 0, 0, picture_.width, picture_.height, SRCCOPY);
  }
  // AboutLabel over AboutShadow.
  ::SetBkMode(dc, TRANSPARENT);
  const ScopedSelection font(dc, ui::DefaultFont(true));
  ::SetTextColor(dc, ::GetSysColor(COLOR_BTNSHADOW));
  ::TextOutA(dc, 31, 234, kAboutText, lstrlenA(kAboutText));
  ::SetTextColor(dc, ::GetSysColor(COLOR_BTNHIGHLIGHT));
  ::TextOutA(dc, 30, 233, kAboutText, lstrlenA(kAboutText));
}

LRESULT TUpdateWizardForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (LRESULT result = 0; views_.Dispatch(message, wParam, lParam, result)) return result;
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = ::BeginPaint(hwnd(), &ps);
      Paint(dc);
      ::EndPaint(hwnd(), &ps);
      return 0;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
      HDC dc = reinterpret_cast<HDC>(wParam);
      ::SetTextColor(dc, ::GetSysColor(COLOR_BTNTEXT));
      ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
      return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
    }
    case WM_CLOSE:
      if (onCancel_) onCancel_();
      return 0;
    default:
      break;
  }
  return Window::HandleMessage(message, wParam, lParam);
}

}  // namespace dx::win32
