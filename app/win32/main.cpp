// Dextrel: the program entry.
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include <optional>

#include "app/CommandLineOptions.h"
#include "app/UnattendedBenchmark.h"
#include "app/win32/CommandLineRun.h"
#include "app/win32/ConsoleOutput.h"
#include "app/win32/ConsoleStop.h"
#include "app/win32/MainWindow.h"
#include "app/win32/SingleInstance.h"
#include "app/win32/UnattendedLog.h"
#include "extras/win32/AboutBox.h"
#include "platform/win32/CrashHandler.h"
#include "platform/win32/Scoped.h"
#include "platform/win32/UnexpectedError.h"
#include "platform/win32/Win32Display.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32FrameCapture.h"
#include "platform/win32/Win32Internet.h"
#include "platform/win32/Win32LocaleClock.h"
#include "platform/win32/Win32Processes.h"
#include "platform/win32/Win32Processor.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32Shell.h"
#include "platform/win32/Win32SystemMarks.h"
#include "platform/win32/Win32UiThread.h"

namespace {

// The end of an unattended benchmark reaches the event loop by a timer rather than a
// posted message: a message pump inside the program's steps may take a posted message,
// while a timer repeats until the loop has seen it.
constexpr UINT kUnattendedWakeMilliseconds = 50;

// Everything the program owns lives in this scope, so it is released in order once the
// event loop has ended. With /benchmark the same window runs one benchmark on its own.
int RunProgram(dx::win32::SingleInstance& instance, int showCommand, const dx::CommandLineOptions& options,
               dx::win32::UnattendedLog& log) {
  const bool unattended = options.mode == dx::ProgramMode::Benchmark;
  const dx::LinePrinter print = [&log](const std::string& line) { log.Line(line); };
  dx::win32::Win32UiThread ui;
  dx::win32::Win32Registry registry;
  dx::win32::Win32FileSystem files;
  dx::win32::Win32Processes processes(ui);
  dx::win32::Win32Display display;
  dx::win32::Win32Processor processor;
  dx::win32::Win32Shell shell;
  dx::win32::Win32Internet internet;
  dx::win32::Win32LocaleClock clock;
  dx::win32::Win32SystemMarks marks;
  dx::PrintingShell printingShell(shell, print, options.openReport);
  dx::platform::IShell& coreShell = unattended ? static_cast<dx::platform::IShell&>(printingShell) : shell;
  dx::platform::Platform platform{registry, files, processes, ui, display, processor, coreShell, internet, clock, marks};

  // The end of an unattended benchmark: its own, a close request or an unexpected error.
  UINT_PTR endTimer = 0;
  bool closeRequested = false;
  bool faulted = false;
  const auto ended = [&endTimer] {
    if (endTimer == 0) endTimer = ::SetTimer(nullptr, 0, kUnattendedWakeMilliseconds, nullptr);
  };
  if (unattended) {
    // Nobody is there to close an error box: the error is printed and ends the benchmark.
    dx::win32::SetUnexpectedErrorReporter([&](const std::string& message) {
      print(message);
      faulted = true;
      closeRequested = true;
      ended();
    });
  } else {
    dx::win32::TAboutBox splash;
    if (splash.Create()) splash.ShowSplash(ui);
  }

  // Outlives the window, whose benchmarks create their sections through it.
  dx::win32::Win32FrameCapture frameCapture;
  dx::win32::MainWindow window(platform, shell);
  window.form().SetFrameCapture(&frameCapture);
  if (unattended) window.SkipNewsCheck();
  if (!window.Create()) return unattended ? dx::kExitCouldNotStart : 1;
  files.SetOwnerWindow(window.hwnd());
  instance.SetMainWindow(window.hwnd());
  window.Show(showCommand);

  std::optional<dx::UnattendedBenchmark> benchmark;
  std::optional<dx::win32::ConsoleStop> consoleStop;
  int exitCode = 0;
  bool finished = false;
  // Cancels what still runs, prints the outcome and leaves; once.
  const auto finish = [&] {
    if (finished) return;
    finished = true;
    if (endTimer != 0) ::KillTimer(nullptr, endTimer);
    if (closeRequested) dx::win32::RunGuarded([&] { benchmark->Cancel(); });
    exitCode = dx::kExitCouldNotStart;
    dx::win32::RunGuarded([&] { exitCode = benchmark->Finish(); });
    if (faulted) exitCode = dx::kExitUnexpectedFault;
    consoleStop->Done();
  };
  if (unattended) {
    benchmark.emplace(window.form(), printingShell, print, ended);
    consoleStop.emplace(window.hwnd());
    // Handled where the loop has control, not inside a step of the benchmark; a session
    // that ends cannot wait for that.
    window.InterceptCloseRequests([&](bool sessionEnding) {
      closeRequested = true;
      if (sessionEnding) {
        finish();
      } else {
        ended();
      }
    });
    dx::win32::RunGuarded([&] { benchmark->Start(options.overrides); });
    // A start that failed unexpectedly has been printed; nothing will end it later.
    if (!benchmark->Over() && !window.form().BenchmarkRunning()) ended();
  }

  MSG msg;
  while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (!finished && endTimer != 0 && msg.message == WM_TIMER && msg.hwnd == nullptr && msg.wParam == endTimer) {
      finish();
      continue;
    }
    if (window.TranslateProgramKey(msg)) continue;
    if (dx::win32::RouteDialogKeys(msg)) continue;
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
  files.SetOwnerWindow(nullptr);
  shell.SetOwner(nullptr);
  // The reporter set above refers to this scope's benchmark.
  if (unattended) dx::win32::SetUnexpectedErrorReporter([&log](const std::string& message) { log.Line(message); });
  return unattended ? exitCode : static_cast<int>(msg.wParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int showCommand) {
  dx::win32::InstallCrashHandler({});

  // A bad switch ends the program before anything is touched.
  dx::win32::ConsoleOutput out;
  const auto arguments = dx::SplitCommandLine(commandLine ? commandLine : "");
  const auto parsed = dx::ParseCommandLine(arguments);
  if (!parsed.options) {
    if (dx::win32::AsksForBenchmark(arguments)) {
      dx::win32::UnattendedLog(out, {}).Line(parsed.error);
    } else {
      dx::win32::Tell(out, parsed.error);
    }
    return dx::kExitCouldNotStart;
  }
  const dx::CommandLineOptions& options = *parsed.options;
  if (options.mode == dx::ProgramMode::Help) return dx::win32::ShowHelp(out);
  if (options.mode == dx::ProgramMode::History) return dx::win32::RunHistory(out);

  dx::win32::UnattendedLog log(out, options.overrides.resultsFolder.value_or(""));
  if (options.mode == dx::ProgramMode::Benchmark) {
    // No box waits for anyone: the report's path is printed and the code says what happened.
    dx::win32::CrashHandlerOptions crash;
    crash.notify = [&log](const dx::win32::CrashReportFiles& report) {
      log.Line("Dextrel met a fault it cannot recover from. Its report: " + report.reportPath);
    };
    crash.exitCode = dx::kExitUnexpectedFault;
    dx::win32::InstallCrashHandler(std::move(crash));
  }

  // Before anything is shown: one copy per executable path.
  dx::win32::SingleInstance instance;
  if (!instance.Enrol()) {
    if (options.mode != dx::ProgramMode::Benchmark) ::TerminateProcess(::GetCurrentProcess(), 0);
    log.Line(dx::kAnotherCopyMessage);
    return dx::kExitAnotherCopy;
  }

  const dx::win32::ScopedOleInitialize ole;
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
  ::InitCommonControlsEx(&controls);
  const int exitCode = RunProgram(instance, showCommand, options, log);
  instance.SignOut();
  return exitCode;
}
