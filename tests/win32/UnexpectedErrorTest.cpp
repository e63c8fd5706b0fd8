#include "platform/win32/UnexpectedError.h"

#include <gtest/gtest.h>

#include <vector>

#include "common/Errors.h"
#include "common/Text.h"
#include "platform/win32/CrashHandler.h"
#include "platform/win32/Messages.h"
#include "platform/win32/Window.h"
#include "platform/win32/ui/MouseLeave.h"
#include "tests/win32/TestSupport.h"

namespace dx {
namespace {

constexpr UINT kThrow = WM_APP + 1;
constexpr UINT kAnswer = WM_APP + 2;

class ThrowingWindow : public win32::Window {
 public:
  bool Create() {
    return CreateWindowFor({"DextrelThrowingWindow"}, 0, "", WS_POPUP, 0, 0, 10, 10, HWND_MESSAGE) != nullptr;
  }

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == kThrow) throw Error("Failed to set data for 'News'");
    if (message == kAnswer) return 42;
    return Window::HandleMessage(message, wParam, lParam);
  }
};

TEST(UnexpectedError, AnErrorEscapingAHandlerIsShownAndTheProgramGoesOn) {
  std::vector<std::string> shown;
  win32::SetUnexpectedErrorReporter([&](const std::string& text) { shown.push_back(text); });
  ThrowingWindow window;
  ASSERT_TRUE(window.Create());
  ::SendMessageA(window.hwnd(), kThrow, 0, 0);
  ASSERT_EQ(shown, std::vector<std::string>{"Failed to set data for 'News'"});
  // The window still answers after the failed handler.
  EXPECT_EQ(::SendMessageA(window.hwnd(), kAnswer, 0, 0), 42);
  // So does a posted message going through the dispatch of the loop.
  ::PostMessageA(window.hwnd(), kThrow, 0, 0);
  MSG msg;
  while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&msg);
  EXPECT_EQ(shown.size(), 2u);

  // A subclass procedure has the same boundary: a tick box losing the mouse whose store
  // fails shows the error, and the window and its watch go on.
  int leaves = 0;
  win32::MouseLeaveWatch watch(window.hwnd(), [&] {
    ++leaves;
    throw Error("Failed to set data for 'NoCheck'");
  });
  for (int round = 1; round <= 2; ++round) {
    ::SendMessageA(window.hwnd(), WM_MOUSEMOVE, 0, 0);
    // The area is not shown, so the cursor counts as outside it.
    EXPECT_EQ(::SendMessageA(window.hwnd(), win32::messages::kCheckMouseLeave, 0, 0), 0);
    EXPECT_EQ(leaves, round);
    ASSERT_EQ(shown.size(), 2u + static_cast<std::size_t>(round));
    EXPECT_EQ(shown.back(), "Failed to set data for 'NoCheck'");
    EXPECT_EQ(::SendMessageA(window.hwnd(), kAnswer, 0, 0), 42);
  }
  win32::SetUnexpectedErrorReporter(nullptr);
}

TEST(UnexpectedError, TextsOfTheKindsOfError) {
  EXPECT_EQ(win32::UnexpectedErrorText(std::make_exception_ptr(Error("Cannot create file \"x\". Access is denied."))),
            "Cannot create file \"x\". Access is denied.");
  EXPECT_EQ(win32::UnexpectedErrorText(std::make_exception_ptr(42)), "An unexpected error occurred.");
  EXPECT_FALSE(win32::RunGuarded([] { throw std::runtime_error("x"); }));
  EXPECT_TRUE(win32::RunGuarded([] {}));
}

TEST(CrashHandler, AFaultWritesADumpAndAReportAndEndsTheProcess) {
  test::TempFolder dir;
  // Without the trailing backslash, which would escape the closing quote.
  const std::string folder = dir.path().substr(0, dir.path().size() - 1);
  // Built in steps: GCC 12 reads "\"" + a temporary as an overlapping copy (-Wrestrict).
  std::string command = "\"";
  command += test::BuiltProgram("fault_on_purpose.exe");
  command += "\" \"" + folder + "\"";
  const auto run = test::RunProgram(command);
  ASSERT_TRUE(run.started);
  EXPECT_EQ(run.exitCode, 0xC0000005u);  // the access violation ends the process
  // The program tells the user where the files are (here through its notifier on stdout).
  const auto reportAt = run.output.find("report: ");
  const auto dumpAt = run.output.find("dump: ");
  ASSERT_NE(reportAt, std::string::npos) << run.output;
  ASSERT_NE(dumpAt, std::string::npos) << run.output;
  const std::string reportPath = Trim(run.output.substr(reportAt + 8, run.output.find('\n', reportAt) - reportAt - 8));
  const std::string dumpPath = Trim(run.output.substr(dumpAt + 6, run.output.find('\n', dumpAt) - dumpAt - 6));
  EXPECT_EQ(reportPath.rfind(dir.path(), 0), 0u) << reportPath;
  const std::string report = test::ReadWholeFile(reportPath);
  EXPECT_NE(report.find("Exception code: 0xC0000005"), std::string::npos) << report;
  EXPECT_NE(report.find("Access violation: write at 0x0000000000000010"), std::string::npos) << report;
  EXPECT_NE(report.find("fault_on_purpose.exe  <- fault"), std::string::npos) << report;
  EXPECT_NE(report.find("ntdll.dll"), std::string::npos) << report;
  const std::string dump = test::ReadWholeFile(dumpPath);
  ASSERT_GE(dump.size(), 32u);
  EXPECT_EQ(dump.substr(0, 4), "MDMP");

  // A benchmark nobody watches: told, then ended with the code of its own.
  const auto unattended = test::RunProgram(command + " 4");
  ASSERT_TRUE(unattended.started);
  EXPECT_EQ(unattended.exitCode, 4u);
  EXPECT_NE(unattended.output.find("report: " + dir.path()), std::string::npos) << unattended.output;
}

}  // namespace
}  // namespace dx
