#include "gameprep/ProcessRunner.h"

#include <gtest/gtest.h>

#include "common/Errors.h"
#include "tests/doubles/FakeProcesses.h"

namespace dx {
namespace {

class ProcessRunnerTest : public ::testing::Test {
 protected:
  ProcessRunnerTest() {
    UseHiddenStart(runner.StartupInfo);
    runner.CommandLine = "C:\\Games\\Quake 4\\quake4.exe +set logFile 1 ";
    runner.CurrentDirectory = "C:\\Games\\Quake 4\\";
  }

  std::string RunError() {
    try {
      runner.Run();
    } catch (const Error& e) {
      return e.what();
    }
    return "<no error>";
  }

  test::FakeProcesses processes;
  TJvCreateProcess runner{processes};
};

TEST_F(ProcessRunnerTest, StartsHiddenTopLeftWithNoSizeAndNormalPriority) {
  runner.Run();
  ASSERT_EQ(processes.children.size(), 1u);
  const auto& request = processes.children[0]->request;
  EXPECT_EQ(request.commandLine, "C:\\Games\\Quake 4\\quake4.exe +set logFile 1 ");  // trailing blank kept
  EXPECT_FALSE(request.applicationName.has_value());
  EXPECT_EQ(request.currentDirectory, "C:\\Games\\Quake 4\\");
  EXPECT_EQ(request.creationFlags, 0x20u);
  EXPECT_TRUE(request.environment.empty());
  EXPECT_TRUE(request.watch);
  EXPECT_EQ(request.startup.flags, 7u);
  EXPECT_EQ(request.startup.x, 0u);
  EXPECT_EQ(request.startup.y, 0u);
  EXPECT_EQ(request.startup.width, 0u);
  EXPECT_EQ(request.startup.height, 0u);
  EXPECT_EQ(request.startup.showWindow, 0u);
  EXPECT_TRUE(request.startup.desktop.empty());
  EXPECT_TRUE(request.startup.title.empty());
  EXPECT_EQ(runner.State(), TJvProcessState::Waiting);
}

TEST(ProcessRunnerOptions, DefaultsAndEveryStartupAndCreationFlag) {
  test::FakeProcesses processes;
  TJvCreateProcess runner{processes};
  EXPECT_TRUE(runner.WaitForTerminate);
  EXPECT_TRUE(runner.ConsoleOptions.coOwnerData);
  EXPECT_FALSE(runner.ConsoleOptions.coRedirect);
  EXPECT_EQ(runner.Priority, TJvProcessPriority::ppNormal);
  // Untouched options ask nothing of the child's window.
  EXPECT_EQ(runner.StartupInfo.Record().flags, 0u);

  TJvCPSStartupInfo info;
  info.Left = 10;
  info.Top = 20;
  info.DefaultPosition = false;
  info.ForceOnFeedback = true;
  info.Desktop = "winsta0\\default";
  auto record = info.Record();
  EXPECT_EQ(record.flags, 0x44u);
  EXPECT_EQ(record.x, 10u);
  EXPECT_EQ(record.y, 20u);
  EXPECT_EQ(record.desktop, "winsta0\\default");
  info = {};
  info.Width = 640;
  info.Height = 480;  // ignored while DefaultSize holds
  info.ForceOffFeedback = true;
  EXPECT_EQ(info.Record().flags, 0x80u);
  EXPECT_EQ(info.Record().width, 0u);

  const std::pair<TJvProcessPriority, std::uint32_t> priorities[] = {
      {TJvProcessPriority::ppIdle, 0x40}, {TJvProcessPriority::ppHigh, 0x80}, {TJvProcessPriority::ppRealTime, 0x100}};
  for (auto [priority, value] : priorities) {
    runner.Priority = priority;
    EXPECT_EQ(runner.SystemCreationFlags(), value);
  }
  runner.Priority = TJvProcessPriority::ppNormal;
  runner.CreationFlags = {TJvCPSFlag::cfDefaultErrorMode, TJvCPSFlag::cfNewConsole, TJvCPSFlag::cfNewProcGroup,
                          TJvCPSFlag::cfSeparateWdm,      TJvCPSFlag::cfSharedWdm,  TJvCPSFlag::cfSuspended,
                          TJvCPSFlag::cfUnicode,          TJvCPSFlag::cfDetached};
  EXPECT_EQ(runner.SystemCreationFlags(), 0x20u | 0x4000000 | 0x10 | 0x200 | 0x800 | 0x1000 | 0x4 | 0x400 | 0x8);
  runner.CreationFlags.Exclude(TJvCPSFlag::cfDefaultErrorMode);
  EXPECT_EQ(runner.SystemCreationFlags() & 0x4000000u, 0u);
}

TEST_F(ProcessRunnerTest, ExitCodeThreeRaisesTerminateOnceWithTheRunnerReadyInside) {
  int calls = 0;
  runner.OnTerminate = [&](TJvCreateProcess& sender, std::uint32_t exitCode) {
    ++calls;
    EXPECT_EQ(&sender, &runner);
    EXPECT_EQ(exitCode, 3u);
    EXPECT_EQ(sender.State(), TJvProcessState::Ready);
    EXPECT_EQ(sender.ExitCode(), 3u);
    // The child's handles are closed before the event.
    EXPECT_FALSE(processes.children[0]->watched);
  };
  runner.Run();
  processes.ExitLast(3);
  processes.ExitLast(3);  // a second report of the same child is not a second event
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(runner.State(), TJvProcessState::Ready);
}

TEST_F(ProcessRunnerTest, RunFromInsideTerminateStartsTheNextChild) {
  std::vector<std::uint32_t> seen;
  runner.OnTerminate = [&](TJvCreateProcess& sender, std::uint32_t exitCode) {
    seen.push_back(exitCode);
    if (seen.size() < 3) {
      sender.CommandLine = "next " + std::to_string(seen.size());
      sender.Run();
      EXPECT_EQ(sender.State(), TJvProcessState::Waiting);
    }
  };
  runner.Run();
  processes.ExitLast(10);
  processes.ExitLast(11);
  ASSERT_EQ(processes.children.size(), 3u);
  EXPECT_EQ(processes.children[2]->request.commandLine, "next 2");
  EXPECT_EQ(runner.State(), TJvProcessState::Waiting);
  processes.ExitLast(12);
  EXPECT_EQ(seen, (std::vector<std::uint32_t>{10, 11, 12}));
  EXPECT_EQ(runner.State(), TJvProcessState::Ready);
}

TEST_F(ProcessRunnerTest, ChildEndingWhileStillStartingIsCompletedAfterTheRunnerWaits) {
  // Doubles that end their child inside Start must still see the completion in order.
  processes.onStart = [&](std::size_t index) { processes.Exit(index, 5); };
  std::vector<TJvProcessState> statesSeen;
  runner.OnTerminate = [&](TJvCreateProcess& sender, std::uint32_t exitCode) {
    EXPECT_EQ(exitCode, 5u);
    statesSeen.push_back(sender.State());
    if (statesSeen.size() < 2) sender.Run();
  };
  runner.Run();
  EXPECT_EQ(statesSeen, (std::vector<TJvProcessState>{TJvProcessState::Ready, TJvProcessState::Ready}));
  EXPECT_EQ(processes.children.size(), 2u);
  EXPECT_EQ(runner.State(), TJvProcessState::Ready);
}

TEST_F(ProcessRunnerTest, RunWhileWaitingRaisesAndLeavesTheWatchAlone) {
  int calls = 0;
  runner.OnTerminate = [&](TJvCreateProcess&, std::uint32_t) { ++calls; };
  runner.Run();
  EXPECT_EQ(RunError(), "Cannot perform this operation when process is running");
  EXPECT_EQ(processes.children.size(), 1u);
  EXPECT_TRUE(processes.children[0]->watched);
  EXPECT_EQ(runner.State(), TJvProcessState::Waiting);
  processes.ExitLast(0);
  EXPECT_EQ(calls, 1);
}

TEST_F(ProcessRunnerTest, StartFailuresGiveTheSystemTextAndStayReady) {
  processes.failWithCode = 2;
  EXPECT_EQ(RunError(), "System Error.  Code: 2.\r\nThe system cannot find the file specified.");
  EXPECT_EQ(runner.State(), TJvProcessState::Ready);
  EXPECT_TRUE(processes.children.empty());

  processes.failWithCode = 0;
  processes.failWithoutCode = true;
  EXPECT_EQ(RunError(), "A call to an OS function failed");
  EXPECT_EQ(runner.State(), TJvProcessState::Ready);

  // A failure is not sticky: the next start works.
  processes.failWithoutCode = false;
  runner.Run();
  EXPECT_EQ(runner.State(), TJvProcessState::Waiting);
}

TEST_F(ProcessRunnerTest, BlankFolderAndApplicationNameArePassedAsAbsentOthersTrimmed) {
  runner.CurrentDirectory = "   ";
  runner.ApplicationName = " \t ";
  runner.Run();
  EXPECT_FALSE(processes.children[0]->request.currentDirectory.has_value());
  EXPECT_FALSE(processes.children[0]->request.applicationName.has_value());
  processes.ExitLast();

  runner.CurrentDirectory = "  C:\\Games\\ ";
  runner.ApplicationName = " C:\\Games\\q4.exe";
  runner.Environment = {"A=1", "B=2"};
  runner.Run();
  EXPECT_EQ(processes.children[1]->request.currentDirectory, "C:\\Games\\");
  EXPECT_EQ(processes.children[1]->request.applicationName, "C:\\Games\\q4.exe");
  EXPECT_EQ(processes.children[1]->request.environment, (std::vector<std::string>{"A=1", "B=2"}));
}

TEST_F(ProcessRunnerTest, DestroyingAWaitingRunnerStopsTheWatchAndRaisesNothing) {
  int calls = 0;
  {
    TJvCreateProcess local{processes};
    local.OnTerminate = [&](TJvCreateProcess&, std::uint32_t) { ++calls; };
    local.CommandLine = "child";
    local.Run();
    EXPECT_TRUE(processes.children[0]->watched);
  }
  EXPECT_FALSE(processes.children[0]->watched);
  EXPECT_FALSE(processes.children[0]->exited);  // the child is not ended
  EXPECT_NO_THROW(processes.ExitLast(0));
  EXPECT_EQ(calls, 0);
}

TEST_F(ProcessRunnerTest, TerminateEndsTheChildAndALateReportOfItsEndRaisesNothing) {
  int raised = 0;
  runner.OnTerminate = [&](TJvCreateProcess&, std::uint32_t) { ++raised; };
  EXPECT_FALSE(runner.Terminate());
  runner.Run();
  EXPECT_TRUE(runner.Terminate());
  EXPECT_TRUE(processes.children[0]->terminated);
  EXPECT_EQ(runner.State(), TJvProcessState::Ready);
  // The system may still hand the end over once the watch is gone.
  processes.children[0]->onExit(1);
  EXPECT_EQ(raised, 0);
  runner.Run();  // ready for the next child
  processes.ExitLast(0);
  EXPECT_EQ(raised, 1);
}

TEST_F(ProcessRunnerTest, WithoutWaitingTheRunnerIsRunningAndMayStartAgain) {
  int calls = 0;
  runner.OnTerminate = [&](TJvCreateProcess&, std::uint32_t) { ++calls; };
  runner.WaitForTerminate = false;
  runner.Run();
  EXPECT_FALSE(processes.children[0]->request.watch);
  EXPECT_EQ(runner.State(), TJvProcessState::Running);
  runner.Run();
  EXPECT_EQ(processes.children.size(), 2u);
  processes.ExitLast(1);
  EXPECT_EQ(calls, 0);

  runner.ConsoleOptions.coRedirect = true;
  EXPECT_NE(RunError(), "<no error>");
  EXPECT_EQ(processes.children.size(), 2u);
}

}  // namespace
}  // namespace dx
