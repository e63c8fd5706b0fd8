// The two programs as a user first meets them: the window of Dextrel.exe and the
// information box of the upgrade helper started by hand.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/win32/Scoped.h"
#include "tests/win32/TestSupport.h"

namespace dx {
namespace {

struct Started {
  win32::ScopedHandle process;
  win32::ScopedHandle thread;
  DWORD id = 0;
};

Started Start(const std::string& program) {
  Started started;
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  std::string line = "\"" + program + "\"";
  if (::CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    started.process.reset(pi.hProcess);
    started.thread.reset(pi.hThread);
    started.id = pi.dwProcessId;
  }
  return started;
}

// The first visible top-level window of the process with the class (and title, when given).
HWND WaitForWindow(DWORD processId, const char* cls, const char* title, DWORD timeoutMs = 20000) {
  struct Search {
    DWORD pid;
    const char* cls;
    const char* title;
    HWND found;
  } search{processId, cls, title, nullptr};
  for (DWORD waited = 0; waited < timeoutMs; waited += 50) {
    ::EnumWindows(
        [](HWND hwnd, LPARAM param) -> BOOL {
          auto* s = reinterpret_cast<Search*>(param);
          DWORD pid = 0;
          ::GetWindowThreadProcessId(hwnd, &pid);
          char name[256] = {};
          ::GetClassNameA(hwnd, name, sizeof name);
          char text[256] = {};
          ::GetWindowTextA(hwnd, text, sizeof text);
          if (pid == s->pid && std::string(name) == s->cls && (!s->title || std::string(text) == s->title) &&
              ::IsWindowVisible(hwnd)) {
            s->found = hwnd;
            return FALSE;
          }
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    if (search.found) return search.found;
    ::Sleep(50);
  }
  return nullptr;
}

DWORD WaitForExit(const Started& started, DWORD timeoutMs = 20000) {
  if (::WaitForSingleObject(started.process.get(), timeoutMs) != WAIT_OBJECT_0) {
    ::TerminateProcess(started.process.get(), 0xDEAD);
    return 0xDEAD;
  }
  DWORD code = 0;
  ::GetExitCodeProcess(started.process.get(), &code);
  return code;
}

TEST(ProgramStart, TheMainWindowIsABorderlessBlack508By323WindowCentredOnTheDesktop) {
  Started program = Start(test::BuiltProgram("Dextrel.exe"));
  ASSERT_TRUE(program.process);
  HWND window = WaitForWindow(program.id, "TForm1", nullptr);
  ASSERT_NE(window, nullptr);

  RECT client{};
  ::GetClientRect(window, &client);
  EXPECT_EQ(client.right - client.left, 508);
  EXPECT_EQ(client.bottom - client.top, 323);
  const LONG style = ::GetWindowLongA(window, GWL_STYLE);
  EXPECT_TRUE(style & WS_POPUP);
  EXPECT_FALSE(style & WS_CAPTION);
  EXPECT_FALSE(style & WS_THICKFRAME);

  RECT outer{}, work{};
  ::GetWindowRect(window, &outer);
  ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  EXPECT_NEAR((outer.left + outer.right) / 2, (work.left + work.right) / 2, 1);
  EXPECT_NEAR((outer.top + outer.bottom) / 2, (work.top + work.bottom) / 2, 1);

  ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
  {
    win32::ScopedWindowDc dc(window);
    EXPECT_EQ(::GetPixel(dc.get(), 254, 161), RGB(0, 0, 0));
  }

  ::PostMessageA(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(WaitForExit(program), 0u);
}

TEST(ProgramStart, TheUpgradeHelperStartedByHandExplainsItselfAndEnds) {
  Started helper = Start(test::BuiltProgram("DextrelUpgrade.exe"));
  ASSERT_TRUE(helper.process);
  HWND box = WaitForWindow(helper.id, "#32770", "Dextrel upgrade helper");
  ASSERT_NE(box, nullptr);
  std::string text;
  ::EnumChildWindows(
      box,
      [](HWND child, LPARAM param) -> BOOL {
        char cls[64] = {};
        ::GetClassNameA(child, cls, sizeof cls);
        char buffer[1024] = {};
        ::GetWindowTextA(child, buffer, sizeof buffer);
        if (std::string(cls) == "Static" && buffer[0]) *reinterpret_cast<std::string*>(param) += buffer;
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&text));
  EXPECT_NE(text.find("upgrade helper"), std::string::npos) << text;
  ::PostMessageA(box, WM_COMMAND, IDOK, 0);
  EXPECT_EQ(WaitForExit(helper), 0u);
}

}  // namespace
}  // namespace dx
