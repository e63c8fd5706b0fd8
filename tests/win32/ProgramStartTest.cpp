// The two programs as a user first meets them: the splash and window of Dextrel.exe,
// one copy per executable path, and the upgrade helper started by hand.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/win32/Scoped.h"
#include "tests/win32/TestSupport.h"

namespace dx {
namespace {

std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

TEST(ProgramStart, TheSplashComesFirstThenABorderlessBlack508By323WindowCentredOnTheDesktop) {
  auto program = test::StartProgram(Quoted(test::BuiltProgram("Dextrel.exe")));
  ASSERT_TRUE(program);
  HWND splash = test::WaitForTopWindow(program.id, "TAboutBox", nullptr, 20000);
  ASSERT_NE(splash, nullptr);
  RECT splashClient{};
  ::GetClientRect(splash, &splashClient);
  EXPECT_EQ(splashClient.right, 785);
  EXPECT_EQ(splashClient.bottom, 547);
  EXPECT_TRUE(::GetWindowLongA(splash, GWL_EXSTYLE) & WS_EX_TOPMOST);

  HWND window = test::WaitForTopWindow(program.id, "TForm1", nullptr, 20000);
  ASSERT_NE(window, nullptr);
  EXPECT_FALSE(::IsWindow(splash) && ::IsWindowVisible(splash));  // gone once the window shows

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

  ::PostMessageA(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(program.WaitForExit(), 0u);
}

TEST(ProgramStart, ASecondCopyOfTheSamePathBringsTheFirstForwardAndEndsWithCode0) {
  auto first = test::StartProgram(Quoted(test::BuiltProgram("Dextrel.exe")));
  ASSERT_TRUE(first);
  HWND window = test::WaitForTopWindow(first.id, "TForm1", nullptr);
  ASSERT_NE(window, nullptr);
  ::ShowWindow(window, SW_MINIMIZE);
  ASSERT_TRUE(::IsIconic(window));
  // Another program's window is in front meanwhile.
  HWND other = ::CreateWindowExA(0, "STATIC", "another program", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 200, 100,
                                 nullptr, nullptr, nullptr, nullptr);
  ::SetForegroundWindow(other);
  for (int i = 0; i < 40 && ::GetForegroundWindow() != other; ++i) ::Sleep(50);
  ASSERT_EQ(::GetForegroundWindow(), other);

  auto second = test::StartProgram(Quoted(test::BuiltProgram("Dextrel.exe")));
  ASSERT_TRUE(second);
  // It shows nothing on its way out: no splash of its own.
  bool sawSplash = false;
  for (int i = 0; i < 100 && second.Running(); ++i) {
    sawSplash = sawSplash || test::WaitForTopWindow(second.id, "TAboutBox", nullptr, 0) != nullptr;
    ::Sleep(30);
  }
  EXPECT_EQ(second.WaitForExit(), 0u);
  EXPECT_FALSE(sawSplash);
  EXPECT_FALSE(::IsIconic(window));
  // Activation travels through the window system asynchronously.
  for (int i = 0; i < 40 && ::GetForegroundWindow() != window; ++i) ::Sleep(50);
  EXPECT_EQ(::GetForegroundWindow(), window);

  ::DestroyWindow(other);
  ::PostMessageA(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(first.WaitForExit(), 0u);
}

TEST(ProgramStart, ACopyFromAnotherFolderRunsBesideTheFirst) {
  test::TempFolder dir;
  const std::string other = dir.path() + "Dextrel.exe";
  ASSERT_TRUE(::CopyFileA(test::BuiltProgram("Dextrel.exe").c_str(), other.c_str(), FALSE));
  auto first = test::StartProgram(Quoted(test::BuiltProgram("Dextrel.exe")));
  auto second = test::StartProgram(Quoted(other));
  HWND firstWindow = test::WaitForTopWindow(first.id, "TForm1", nullptr);
  HWND secondWindow = test::WaitForTopWindow(second.id, "TForm1", nullptr);
  ASSERT_NE(firstWindow, nullptr);
  ASSERT_NE(secondWindow, nullptr);
  EXPECT_NE(firstWindow, secondWindow);
  ::PostMessageA(firstWindow, WM_CLOSE, 0, 0);
  ::PostMessageA(secondWindow, WM_CLOSE, 0, 0);
  EXPECT_EQ(first.WaitForExit(), 0u);
  EXPECT_EQ(second.WaitForExit(), 0u);
}

TEST(ProgramStart, TheUpgradeHelperStartedByHandExplainsItselfAndEnds) {
  auto helper = test::StartProgram(Quoted(test::BuiltProgram("DextrelUpgrade.exe")));
  ASSERT_TRUE(helper);
  HWND box = test::WaitForTopWindow(helper.id, "#32770", "Dextrel upgrade helper");
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
  EXPECT_EQ(helper.WaitForExit(), 0u);
}

}  // namespace
}  // namespace dx
