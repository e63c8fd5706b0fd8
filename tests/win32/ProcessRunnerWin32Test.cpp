#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <thread>
#include <vector>

#include "common/Errors.h"
#include "common/Text.h"
#include "gameprep/ProcessRunner.h"
#include "platform/win32/Scoped.h"
#include "platform/win32/UnexpectedError.h"
#include "platform/win32/Win32Processes.h"
#include "platform/win32/Win32UiThread.h"
#include "tests/win32/TestSupport.h"

namespace dx {
namespace {

// Handles the user-interface thread's messages until done() holds or the time is up.
template <typename Done>
bool PumpUntil(win32::Win32UiThread& ui, Done done, DWORD timeoutMs = 30000) {
  const DWORD start = ::GetTickCount();
  while (!done()) {
    if (::GetTickCount() - start > timeoutMs) return false;
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    ui.ProcessMessages();
  }
  return true;
}

void PumpFor(win32::Win32UiThread& ui, DWORD ms) {
  PumpUntil(ui, [] { return false; }, ms);
}

std::string Child(const std::string& arguments) {
  return "\"" + test::BuiltProgram("runner_child.exe") + "\" " + arguments;
}

std::string CurrentFolder() {
  char folder[MAX_PATH] = {};
  ::GetCurrentDirectoryA(sizeof folder, folder);
  return folder;
}

class Win32RunnerTest : public ::testing::Test {
 protected:
  Win32RunnerTest() { UseHiddenStart(runner.StartupInfo); }

  win32::Win32UiThread ui;
  win32::Win32Processes processes{ui};
  TJvCreateProcess runner{processes};
};

TEST_F(Win32RunnerTest, ExitCodeThreeIsReportedOnceOnTheUiThreadWithTheRunnerReady) {
  struct Seen {
    std::uint32_t exitCode;
    DWORD thread;
    TJvProcessState state;
  };
  std::vector<Seen> seen;
  runner.OnTerminate = [&](TJvCreateProcess& sender, std::uint32_t exitCode) {
    seen.push_back({exitCode, ::GetCurrentThreadId(), sender.State()});
  };
  runner.CommandLine = Child("exit 3");
  runner.Run();
  EXPECT_EQ(runner.State(), TJvProcessState::Waiting);
  ASSERT_TRUE(PumpUntil(ui, [&] { return !seen.empty(); }));
  PumpFor(ui, 200);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].exitCode, 3u);
  EXPECT_EQ(seen[0].thread, ::GetCurrentThreadId());
  EXPECT_EQ(seen[0].state, TJvProcessState::Ready);
  EXPECT_EQ(runner.ExitCode(), 3u);
}

TEST_F(Win32RunnerTest, RunFromInsideTerminateStartsTheNextChild) {
  std::vector<std::uint32_t> codes;
  runner.OnTerminate = [&](TJvCreateProcess& sender, std::uint32_t exitCode) {
    codes.push_back(exitCode);
    if (codes.size() < 3) {
      sender.CommandLine = Child("exit " + std::to_string(10 + codes.size()));
      sender.Run();
      EXPECT_EQ(sender.State(), TJvProcessState::Waiting);
    }
  };
  runner.CommandLine = Child("exit 10");
  runner.Run();
  ASSERT_TRUE(PumpUntil(ui, [&] { return codes.size() == 3; }));
  EXPECT_EQ(codes, (std::vector<std::uint32_t>{10, 11, 12}));
  EXPECT_EQ(runner.State(), TJvProcessState::Ready);
}

TEST_F(Win32RunnerTest, RunWhileWaitingRaisesAndTheFirstChildIsStillReported) {
  test::TempFolder dir;
  int events = 0;
  runner.OnTerminate = [&](TJvCreateProcess&, std::uint32_t) { ++events; };
  runner.CommandLine = Child("hold \"" + dir.path() + "release\" \"" + dir.path() + "done\"");
  runner.Run();
  try {
    runner.Run();
    ADD_FAILURE() << "no error";
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "Cannot perform this operation when process is running");
  }
  test::WriteWholeFile(dir.path() + "release", "");
  ASSERT_TRUE(PumpUntil(ui, [&] { return events == 1; }));
}

TEST_F(Win32RunnerTest, MissingProgramRaisesTheSystemErrorAndStaysReady) {
  test::TempFolder dir;
  runner.CommandLine = dir.path() + "missing.exe /x";
  try {
    runner.Run();
    ADD_FAILURE() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(std::string(e.what()), "System Error.  Code: 2.\r\n" + win32::SystemErrorText(2));
    EXPECT_FALSE(win32::SystemErrorText(2).empty());
  }
  EXPECT_EQ(runner.State(), TJvProcessState::Ready);
  // A file that is no program at all.
  test::WriteWholeFile(dir.path() + "broken.exe", "not a program");
  runner.CommandLine = "\"" + dir.path() + "broken.exe\"";
  try {
    runner.Run();
    ADD_FAILURE() << "no error";
  } catch (const Error& e) {
    EXPECT_TRUE(StartsWith(e.what(), "System Error.  Code: 193.\r\n")) << e.what();
  }
  EXPECT_EQ(runner.State(), TJvProcessState::Ready);
}

TEST_F(Win32RunnerTest, ChildStartsHiddenTopLeftInTheGivenOrInheritedFolder) {
  test::TempFolder dir;
  int events = 0;
  runner.OnTerminate = [&](TJvCreateProcess&, std::uint32_t exitCode) {
    EXPECT_EQ(exitCode, 0u);
    ++events;
  };
  runner.CommandLine = Child("facts \"" + dir.path() + "blank.txt\"");
  runner.CurrentDirectory = "   ";
  runner.Run();
  ASSERT_TRUE(PumpUntil(ui, [&] { return events == 1; }));
  const std::string facts = test::ReadWholeFile(dir.path() + "blank.txt");
  EXPECT_NE(facts.find("folder=" + CurrentFolder() + "\n"), std::string::npos) << facts;
  EXPECT_NE(facts.find("flags=7\n"), std::string::npos) << facts;
  EXPECT_NE(facts.find("show=0\n"), std::string::npos) << facts;
  EXPECT_NE(facts.find("position=0,0\n"), std::string::npos) << facts;
  EXPECT_NE(facts.find("size=0x0\n"), std::string::npos) << facts;

  // A given folder (blanks around it are dropped) and an environment of our own.
  std::vector<std::string> environment;
  char* block = ::GetEnvironmentStringsA();
  for (const char* p = block; *p; p += std::strlen(p) + 1) environment.emplace_back(p);
  ::FreeEnvironmentStringsA(block);
  environment.push_back("DEXTREL_CHILD_VALUE=from the runner");
  runner.Environment = environment;
  const std::string folder = dir.path().substr(0, dir.path().size() - 1);
  runner.CurrentDirectory = "  " + folder + " ";
  runner.CommandLine = Child("facts given.txt");
  runner.Run();
  ASSERT_TRUE(PumpUntil(ui, [&] { return events == 2; }));
  const std::string given = test::ReadWholeFile(dir.path() + "given.txt");
  EXPECT_NE(given.find("folder=" + folder + "\n"), std::string::npos) << given;
  EXPECT_NE(given.find("value=from the runner\n"), std::string::npos) << given;

  // A variable added on top of the program's own replaces one of the same name, whatever
  // its case; the runner knows the child's id.
  ::SetEnvironmentVariableA("DEXTREL_CHILD_VALUE", "the program's");
  runner.Environment.clear();
  runner.AddedEnvironment = {"Dextrel_Child_Value=added for the child"};
  runner.CommandLine = Child("facts added.txt");
  runner.Run();
  ASSERT_TRUE(PumpUntil(ui, [&] { return events == 3; }));
  ::SetEnvironmentVariableA("DEXTREL_CHILD_VALUE", nullptr);
  const std::string added = test::ReadWholeFile(dir.path() + "added.txt");
  EXPECT_NE(added.find("value=added for the child\n"), std::string::npos) << added;
  EXPECT_NE(added.find("pid=" + std::to_string(runner.ProcessId()) + "\n"), std::string::npos) << added;
  EXPECT_NE(runner.ProcessId(), 0u);
}

TEST_F(Win32RunnerTest, AProgramNamedApartIsStartedByItsPathNotByAPlantedPrefixOfTheUnquotedLine) {
  // The game's folder holds a blank and its command line is unquoted; "Game.exe" beside
  // it is what the system would try first for "...\Game Dir\quake4.exe".
  test::TempFolder dir;
  const std::string folder = dir.path() + "Game Dir\\";
  ASSERT_TRUE(::CreateDirectoryA(folder.c_str(), nullptr));
  ASSERT_TRUE(::CopyFileA(test::BuiltProgram("runner_child.exe").c_str(), (folder + "quake4.exe").c_str(), FALSE));
  ASSERT_TRUE(::CopyFileA(test::BuiltProgram("runner_child.exe").c_str(), (dir.path() + "Game.exe").c_str(), FALSE));
  const std::string marks = dir.path() + "started.txt";
  ::SetEnvironmentVariableA("DEXTREL_CHILD_MARK", marks.c_str());
  int events = 0;
  runner.OnTerminate = [&](TJvCreateProcess&, std::uint32_t) { ++events; };
  runner.CommandLine = folder + "quake4.exe +set r_mode -1";
  runner.CurrentDirectory = folder;

  // Left to the system, the planted program runs: the hole the name closes.
  runner.Run();
  ASSERT_TRUE(PumpUntil(ui, [&] { return events == 1; }));
  EXPECT_EQ(test::ReadWholeFile(marks), dir.path() + "Game.exe\n");

  ::DeleteFileA(marks.c_str());
  runner.ApplicationName = folder + "quake4.exe";
  runner.Run();
  ASSERT_TRUE(PumpUntil(ui, [&] { return events == 2; }));
  ::SetEnvironmentVariableA("DEXTREL_CHILD_MARK", nullptr);
  EXPECT_EQ(test::ReadWholeFile(marks), folder + "quake4.exe\n");
}

TEST_F(Win32RunnerTest, DestroyingAWaitingRunnerLeavesTheChildRunningAndRaisesNothing) {
  test::TempFolder dir;
  int events = 0;
  auto local = std::make_unique<TJvCreateProcess>(processes);
  local->OnTerminate = [&](TJvCreateProcess&, std::uint32_t) { ++events; };
  local->CommandLine = Child("hold \"" + dir.path() + "release\" \"" + dir.path() + "done\"");
  local->Run();
  PumpFor(ui, 200);
  const platform::ProcessIdentity child = local->ChildIdentity();
  EXPECT_NE(child.startTime, 0u);
  local.reset();
  // Told apart from any process that has its id after it: same id, another start.
  EXPECT_TRUE(processes.IsRunning(child));
  EXPECT_FALSE(processes.IsRunning({child.id, child.startTime + 1}));
  int ended = 0;
  DWORD endedOn = 0;
  auto wait = processes.WaitForEnd(child, [&] {
    ++ended;
    endedOn = ::GetCurrentThreadId();
  });
  PumpFor(ui, 200);
  EXPECT_EQ(ended, 0);
  test::WriteWholeFile(dir.path() + "release", "");
  // The child goes on to its end on its own; a wait for it by its identity hears of it.
  ASSERT_TRUE(PumpUntil(ui, [&] { return ::GetFileAttributesA((dir.path() + "done").c_str()) != INVALID_FILE_ATTRIBUTES; }));
  ASSERT_TRUE(PumpUntil(ui, [&] { return ended == 1; }));
  EXPECT_EQ(endedOn, ::GetCurrentThreadId());
  EXPECT_FALSE(processes.IsRunning(child));
  PumpFor(ui, 300);
  EXPECT_EQ(events, 0);
  EXPECT_EQ(ended, 1);
  // A wait for an ended process reports soon after; one dropped first reports nothing.
  int late = 0, dropped = 0;
  auto afterwards = processes.WaitForEnd(child, [&] { ++late; });
  processes.WaitForEnd(child, [&] { ++dropped; }).reset();
  ASSERT_TRUE(PumpUntil(ui, [&] { return late == 1; }));
  PumpFor(ui, 200);
  EXPECT_EQ(dropped, 0);
}

TEST(Win32UiThread, OneSharedWindowRunsCallsFromOtherThreadsBeforeTheyReturn) {
  EXPECT_EQ(win32::Win32UiThread::SharedWindow(), nullptr);
  {
    win32::Win32UiThread ui;
    const HWND window = win32::Win32UiThread::SharedWindow();
    ASSERT_NE(window, nullptr);
    {
      win32::Win32UiThread second;
      EXPECT_EQ(win32::Win32UiThread::SharedWindow(), window);
    }
    EXPECT_EQ(win32::Win32UiThread::SharedWindow(), window);
    const DWORD uiThread = ::GetCurrentThreadId();
    std::atomic<DWORD> ranOn{0};
    std::atomic<bool> returned{false};
    bool ranBeforeReturn = false;
    std::thread worker([&] {
      ui.Invoke([&] {
        ::Sleep(50);  // the worker must still be waiting
        ranOn = ::GetCurrentThreadId();
      });
      ranBeforeReturn = ranOn != 0;
      returned = true;
    });
    ASSERT_TRUE(PumpUntil(ui, [&] { return returned.load(); }, 10000));
    worker.join();
    EXPECT_EQ(ranOn.load(), uiThread);
    EXPECT_TRUE(ranBeforeReturn);

    // A fixed wait, finished against the performance counter, is never cut short, above
    // and below the part left to the system's timer.
    for (const std::uint32_t ms : {0u, 1u, 40u}) {
      LARGE_INTEGER frequency{}, before{}, after{};
      ::QueryPerformanceFrequency(&frequency);
      ::QueryPerformanceCounter(&before);
      ui.Sleep(ms);
      ::QueryPerformanceCounter(&after);
      EXPECT_GE((after.QuadPart - before.QuadPart) * 1000, static_cast<long long>(ms) * frequency.QuadPart) << ms;
    }

    // On the thread itself the call runs at once and its error reaches the caller.
    bool direct = false;
    ui.Invoke([&] { direct = true; });
    EXPECT_TRUE(direct);
    EXPECT_THROW(ui.Invoke([] { throw Error("direct"); }), Error);

    // From another thread an error goes to the handler for unexpected errors.
    std::vector<std::string> shown;
    win32::SetUnexpectedErrorReporter([&](const std::string& text) { shown.push_back(text); });
    std::atomic<bool> done{false};
    std::thread failing([&] {
      ui.Invoke([] { throw Error("Cannot perform this operation when process is running"); });
      done = true;
    });
    EXPECT_TRUE(PumpUntil(ui, [&] { return done.load(); }, 10000));
    failing.join();
    win32::SetUnexpectedErrorReporter(nullptr);
    EXPECT_EQ(shown, std::vector<std::string>{"Cannot perform this operation when process is running"});
  }
  EXPECT_EQ(win32::Win32UiThread::SharedWindow(), nullptr);
}

}  // namespace
}  // namespace dx
