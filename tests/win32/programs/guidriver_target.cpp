// A window with one control of each kind the GUI driver acts on. It logs what it
// receives, one line each, to the file named by its argument (first line "pid N"):
//   clicked ID | answer yes|no | tick ID on|off | select ID INDEX TEXT | list ID INDEX TEXT
//   edit ID TEXT | enter ID | leave ID | ldown/lup/rdown/rup ID X,Y | key VK | syskey VK | close
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

enum : int { kPress = 101, kAsk = 102, kTick = 103, kCombo = 104, kEdit = 105, kStatic = 106, kPanel = 107,
             kDisabled = 108, kList = 109 };

std::FILE* logFile = nullptr;

void Log(const std::string& line) {
  if (!logFile) return;
  std::fprintf(logFile, "%s\n", line.c_str());
  std::fflush(logFile);
}

std::string Text(HWND hwnd) {
  char text[256] = {};
  ::GetWindowTextA(hwnd, text, sizeof text);
  return text;
}

std::string At(LPARAM lParam) {
  return std::to_string(static_cast<short>(LOWORD(lParam))) + "," + std::to_string(static_cast<short>(HIWORD(lParam)));
}

// A custom control, as owner-drawn parts of a program are: it follows the mouse itself.
LRESULT CALLBACK PanelProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  static bool inside = false;
  const std::string id = std::to_string(::GetDlgCtrlID(hwnd));
  switch (message) {
    case WM_MOUSEMOVE:
      if (!inside) {
        inside = true;
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, hwnd, 0};
        ::TrackMouseEvent(&track);
        Log("enter " + id);
      }
      return 0;
    case WM_MOUSELEAVE:
      inside = false;
      Log("leave " + id);
      return 0;
    case WM_LBUTTONDOWN: Log("ldown " + id + " " + At(lParam)); return 0;
    case WM_LBUTTONUP: Log("lup " + id + " " + At(lParam)); return 0;
    case WM_RBUTTONDOWN: Log("rdown " + id + " " + At(lParam)); return 0;
    case WM_RBUTTONUP: Log("rup " + id + " " + At(lParam)); return 0;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = ::BeginPaint(hwnd, &paint);
      RECT client;
      ::GetClientRect(hwnd, &client);
      HBRUSH brush = ::CreateSolidBrush(RGB(0, 90, 160));
      ::FillRect(dc, &client, brush);
      ::DeleteObject(brush);
      ::EndPaint(hwnd, &paint);
      return 0;
    }
    default:
      return ::DefWindowProcA(hwnd, message, wParam, lParam);
  }
}

LRESULT CALLBACK MainProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      const int code = HIWORD(wParam);
      HWND control = reinterpret_cast<HWND>(lParam);
      const std::string idText = std::to_string(id);
      if (id == kPress && code == BN_CLICKED) Log("clicked " + idText);
      if (id == kAsk && code == BN_CLICKED) {
        const int answer = ::MessageBoxA(hwnd, "Are you sure?", "Target question", MB_YESNO | MB_ICONQUESTION);
        Log(std::string("answer ") + (answer == IDYES ? "yes" : "no"));
      }
      if (id == kTick && code == BN_CLICKED)
        Log("tick " + idText + (::SendMessageA(control, BM_GETCHECK, 0, 0) == BST_CHECKED ? " on" : " off"));
      if (id == kCombo && code == CBN_SELCHANGE) {
        const LRESULT index = ::SendMessageA(control, CB_GETCURSEL, 0, 0);
        char item[64] = {};
        ::SendMessageA(control, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(item));
        Log("select " + idText + " " + std::to_string(index) + " " + item);
      }
      if (id == kList && code == LBN_SELCHANGE) {
        const LRESULT index = ::SendMessageA(control, LB_GETCURSEL, 0, 0);
        char item[64] = {};
        ::SendMessageA(control, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(item));
        Log("list " + idText + " " + std::to_string(index) + " " + item);
      }
      if (id == kEdit && code == EN_CHANGE) Log("edit " + idText + " " + Text(control));
      return 0;
    }
    case WM_KEYDOWN:
      Log("key " + std::to_string(wParam));
      return 0;
    case WM_SYSKEYDOWN:
      Log("syskey " + std::to_string(wParam));
      return ::DefWindowProcA(hwnd, message, wParam, lParam);
    case WM_CLOSE:
      Log("close");
      ::DestroyWindow(hwnd);
      return 0;
    case WM_DESTROY:
      ::PostQuitMessage(0);
      return 0;
    default:
      return ::DefWindowProcA(hwnd, message, wParam, lParam);
  }
}

HWND Child(HWND parent, const char* cls, const char* text, DWORD style, int x, int y, int w, int h, int id) {
  return ::CreateWindowExA(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ::GetModuleHandleA(nullptr), nullptr);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1) logFile = std::fopen(argv[1], "a");
  Log("pid " + std::to_string(::GetCurrentProcessId()));
  HINSTANCE instance = ::GetModuleHandleA(nullptr);
  WNDCLASSA main{};
  main.lpfnWndProc = MainProc;
  main.hInstance = instance;
  main.hCursor = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  main.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  main.lpszClassName = "GuiDriverTarget";
  ::RegisterClassA(&main);
  WNDCLASSA panel = main;
  panel.lpfnWndProc = PanelProc;
  panel.lpszClassName = "HoverPanel";
  ::RegisterClassA(&panel);

  HWND window = ::CreateWindowExA(0, "GuiDriverTarget", "Driver target", WS_OVERLAPPEDWINDOW, 100, 100, 420, 300,
                                  nullptr, nullptr, instance, nullptr);
  Child(window, "Button", "Press me", BS_PUSHBUTTON, 10, 10, 100, 24, kPress);
  Child(window, "Button", "Ask", BS_PUSHBUTTON, 120, 10, 100, 24, kAsk);
  Child(window, "Button", "Tick me", BS_AUTOCHECKBOX, 10, 44, 100, 20, kTick);
  HWND combo = Child(window, "ComboBox", "", CBS_DROPDOWNLIST | WS_VSCROLL, 120, 44, 120, 120, kCombo);
  for (const char* item : {"Low", "Medium", "High", "Ultra"})
    ::SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
  HWND edit = Child(window, "Edit", "", WS_BORDER | ES_AUTOHSCROLL, 10, 80, 100, 22, kEdit);
  ::SendMessageA(edit, EM_LIMITTEXT, 4, 0);
  Child(window, "Static", "Status text", SS_LEFT, 120, 80, 120, 20, kStatic);
  Child(window, "HoverPanel", "Hover here", 0, 10, 120, 120, 60, kPanel);
  HWND disabled = Child(window, "Button", "Disabled", BS_PUSHBUTTON, 250, 10, 100, 24, kDisabled);
  ::EnableWindow(disabled, FALSE);
  HWND list = Child(window, "ListBox", "", LBS_NOTIFY | WS_BORDER, 250, 44, 100, 80, kList);
  for (const char* item : {"one", "two", "three"})
    ::SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
  ::ShowWindow(window, SW_SHOWNORMAL);
  ::UpdateWindow(window);

  MSG message;
  while (::GetMessageA(&message, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&message);
    ::DispatchMessageA(&message);
  }
  if (logFile) std::fclose(logFile);
  return 0;
}
