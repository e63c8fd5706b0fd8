#include "bench/LaunchCommands.h"

#include <gtest/gtest.h>

#include "gameprep/ProcessRunner.h"
#include "tests/doubles/RecordingRunSteps.h"
#include "tests/doubles/FakeProcesses.h"
#include "tests/doubles/MemoryFileSystem.h"

namespace dx {
namespace {

const std::string kGame = "C:\\Program Files\\id Software\\Quake 4\\";
const std::string kHead = kGame + "quake4.exe +set logFile 1 +set com_showFPS 1 +set timescale 7 +set r_mode -1 ";

TEST(BenchRunState, StartsEmptyAndTheRunButtonClearsOnlyTheCounters) {
  BenchmarkRunState state;
  EXPECT_EQ(state.SelectedResolutions + state.FinishedResolutions + state.RepetitionsDone + state.ScoreSum +
                state.LastScore,
            0);
  EXPECT_TRUE(state.CurrentTag.empty() && state.ScoreText.empty() && state.StartedAt.empty() &&
              state.FileStamp.empty() && state.CommandLine.empty());
  EXPECT_FALSE(state.HeaderWritten || state.NoScore);

  state = {"hdw2", 3, 2, 1, 180, 61, "61", true, true, "a", "b", "c"};
  state.ResetCounters();
  EXPECT_EQ(state.SelectedResolutions, 0);
  EXPECT_EQ(state.FinishedResolutions, 0);
  EXPECT_EQ(state.RepetitionsDone, 0);
  EXPECT_EQ(state.ScoreSum, 0);
  // What a second benchmark inherits from the first.
  EXPECT_EQ(state.LastScore, 61);
  EXPECT_EQ(state.ScoreText, "61");
  EXPECT_EQ(state.CurrentTag, "hdw2");
  EXPECT_TRUE(state.HeaderWritten && state.NoScore);
}

TEST(BenchRunState, TagsRunInPresetOrderWithTheirSuccessorsAndProgressTexts) {
  const std::vector<std::string> order{"640", "800", "1024", "1280", "1600", "2048", "hdw1", "hdw2", "hdw3", "custom"};
  std::string tag = "640";
  std::vector<std::string> walked{tag};
  while (auto next = SuccessorTag(tag)) walked.push_back(tag = *next);
  EXPECT_EQ(walked, order);

  EXPECT_FALSE(IsResolutionTag(""));
  EXPECT_FALSE(IsResolutionTag("HDW1"));  // tags are exact
  EXPECT_FALSE(SuccessorTag("1152").has_value());
  EXPECT_EQ(TagIndex("custom"), 9);

  EXPECT_EQ(ProgressText("640", "", ""), "Resolution: 640 \xD7 480...");
  EXPECT_EQ(ProgressText("2048", "", ""), "Resolution: 2048 \xD7 1536...");
  EXPECT_EQ(ProgressText("hdw1", "", ""), "Resolution: 1280 \xD7 768...");
  EXPECT_EQ(ProgressText("hdw3", "1", "2"), "Resolution: 1920 \xD7 1200...");
  EXPECT_EQ(ProgressText("custom", "1440", "900"), "Resolution: 1440 \xD7 900 (Custom)...");
  EXPECT_EQ(ProgressText("nonsense", "1", "2"), "");
}

TEST(BenchRunState, ACountNeverSetRunsOnceAndTheRunsLineShowsTotalThenRun) {
  EXPECT_EQ(RunsLineText(3, 0), "Runs: 3/1");
  EXPECT_EQ(RunsLineText(3, 2), "Runs: 3/3");
  EXPECT_EQ(RunsLineText(1, 0), std::nullopt);
  EXPECT_EQ(RunsLineText(0, 0), std::nullopt);
  EXPECT_EQ(EffectiveRunCount(0), 1);
  EXPECT_EQ(EffectiveRunCount(-3), 1);
  EXPECT_EQ(EffectiveRunCount(1), 1);
  EXPECT_EQ(EffectiveRunCount(5), 5);
}

TEST(BenchSelection, FindsTheFirstSelectedResolutionAtOrAfterATag) {
  ResolutionSelection s;
  EXPECT_FALSE(FirstSelectedFrom(s, "640").has_value());
  s.presets[8] = true;  // hdw3 only
  EXPECT_EQ(FirstSelectedFrom(s, "640"), "hdw3");
  EXPECT_EQ(FirstSelectedFrom(s, "hdw3"), "hdw3");
  EXPECT_FALSE(FirstSelectedFrom(s, "custom").has_value());
  s.presets[1] = true;
  EXPECT_EQ(FirstSelectedFrom(s, "640"), "800");
  EXPECT_EQ(FirstSelectedFrom(s, "1024"), "hdw3");
  EXPECT_FALSE(FirstSelectedFrom(s, "bogus").has_value());
  EXPECT_EQ(s.Count(), 2);

  // Custom needs the tick and both edits.
  ResolutionSelection c;
  c.customChecked = true;
  c.customWidth = "1440";
  EXPECT_FALSE(FirstSelectedFrom(c, "640").has_value());
  EXPECT_EQ(c.Count(), 0);
  c.customHeight = "900";
  EXPECT_EQ(FirstSelectedFrom(c, "640"), "custom");
  EXPECT_EQ(c.Count(), 1);
  c.customChecked = false;
  EXPECT_EQ(c.Count(), 0);
}

TEST(BenchCommandLines, AreByteExact) {
  EXPECT_EQ(TimedDemoCommandLine(kGame, "+set r_aspectRatio 0", "640", "480", "VKRdemo.demo"),
            kHead + "+set r_aspectRatio 0 +set r_customWidth 640 +set r_customHeight 480 +timedemoquit VKRdemo.demo");
  EXPECT_EQ(TimedDemoCommandLine(kGame, "+set r_aspectRatio 1", "1440", "900", "my.demo"),
            kHead + "+set r_aspectRatio 1 +set r_customWidth 1440 +set r_customHeight 900 +timedemoquit my.demo");
  EXPECT_EQ(NetDemoCommandLine(kGame, "+set r_aspectRatio 0", "640", "480"),
            kHead + "+set r_aspectRatio 0 +set r_customWidth 640 +set r_customHeight 480 +exec VKRBnetdemo.cfg");
  // An aspect argument never built leaves its blanks in place, as the pieces give them.
  EXPECT_EQ(TimedDemoCommandLine(kGame, "", "800", "600", "VKRdemo.demo"),
            kHead + " +set r_customWidth 800 +set r_customHeight 600 +timedemoquit VKRdemo.demo");

  LineList script{{"old"}};
  FillNetDemoScript(script, "x.netdemo");
  EXPECT_EQ(script.Text(), "playnettimedemo x.netdemo\r\nWait 3000\r\nConDump VKRnetdemo.txt\r\nexit\r\n");
}

class LaunchPresetTest : public ::testing::Test {
 protected:
  LaunchPresetTest() {
    files.AddFolder(kGame + "q4base");
    inputs.gamePath = kGame;
    inputs.aspectArgument = "+set r_aspectRatio 0";
    inputs.demoArgument = "VKRdemo.demo";
  }
  LaunchOutcome Launch(const std::string& tag) {
    failure.clear();
    return LaunchPreset(tag, inputs, state, cp, files, script, host, &failure);
  }

  test::FakeProcesses processes;
  test::MemoryFileSystem files;
  TJvCreateProcess cp{processes};
  LineList script;
  LaunchInputs inputs;
  BenchmarkRunState state;
  test::RecordingRunSteps host;
  std::vector<std::string>& progress = host.progress;
  std::string failure;
  int& enabled = host.enabled;
};

TEST_F(LaunchPresetTest, PassesOverUnselectedPresetsAndStartsTheGameInItsFolder) {
  inputs.selection.presets[8] = true;
  EXPECT_EQ(Launch("640"), LaunchOutcome::Started);
  EXPECT_EQ(state.CurrentTag, "hdw3");
  EXPECT_EQ(progress, std::vector<std::string>{"Resolution: 1920 \xD7 1200..."});
  ASSERT_EQ(processes.children.size(), 1u);
  const auto& request = processes.children[0]->request;
  EXPECT_EQ(request.commandLine,
            kHead + "+set r_aspectRatio 0 +set r_customWidth 1920 +set r_customHeight 1200 +timedemoquit VKRdemo.demo");
  EXPECT_EQ(request.commandLine, state.CommandLine);
  // The path is unquoted and holds blanks: the program is named, so "C:\Program.exe" and
  // the like are never tried.
  EXPECT_EQ(request.applicationName, kGame + "quake4.exe");
  EXPECT_EQ(request.currentDirectory, kGame);
  EXPECT_FALSE(files.FileExists(kGame + "q4base\\VKRBnetdemo.cfg"));
  EXPECT_EQ(enabled, 0);
}

TEST_F(LaunchPresetTest, CustomUsesTheEditsAsTypedAndAnUnselectedCustomChangesNothing) {
  state.CurrentTag = "hdw2";
  state.CommandLine = "before";
  inputs.selection.customChecked = true;
  inputs.selection.customWidth = "1440";
  EXPECT_EQ(Launch("custom"), LaunchOutcome::NothingSelected);
  EXPECT_EQ(state.CurrentTag, "hdw2");
  EXPECT_EQ(state.CommandLine, "before");
  EXPECT_TRUE(progress.empty());
  EXPECT_TRUE(processes.children.empty());

  inputs.selection.customHeight = "900";
  EXPECT_EQ(Launch("hdw3"), LaunchOutcome::Started);
  EXPECT_EQ(state.CurrentTag, "custom");
  EXPECT_EQ(progress.back(), "Resolution: 1440 \xD7 900 (Custom)...");
  EXPECT_EQ(processes.LastCommandLine(),
            kHead + "+set r_aspectRatio 0 +set r_customWidth 1440 +set r_customHeight 900 +timedemoquit VKRdemo.demo");
}

TEST_F(LaunchPresetTest, NetDemoWritesItsScriptAnewBeforeEveryRun) {
  inputs.netDemoMode = true;
  inputs.demoArgument = "x.netdemo";
  inputs.selection.presets[0] = true;
  files.AddFile(kGame + "q4base\\VKRBnetdemo.cfg", "stale\r\n");
  const std::string expected = "playnettimedemo x.netdemo\r\nWait 3000\r\nConDump VKRnetdemo.txt\r\nexit\r\n";
  for (int run = 0; run < 2; ++run) {
    EXPECT_EQ(Launch("640"), LaunchOutcome::Started);
    EXPECT_EQ(files.Contents(kGame + "q4base\\VKRBnetdemo.cfg"), expected);
    processes.ExitLast();
  }
  EXPECT_EQ(processes.LastCommandLine(),
            kHead + "+set r_aspectRatio 0 +set r_customWidth 640 +set r_customHeight 480 +exec VKRBnetdemo.cfg");
}

TEST_F(LaunchPresetTest, AGameThatCannotStartEnablesTheButtonAndSaysWhy) {
  inputs.selection.presets[2] = true;
  processes.failWithCode = 2;
  EXPECT_EQ(Launch("640"), LaunchOutcome::StartFailed);
  EXPECT_EQ(enabled, 1);
  EXPECT_NE(failure.find("The system cannot find the file specified."), std::string::npos);
  EXPECT_EQ(state.CurrentTag, "1024");
  EXPECT_EQ(cp.State(), TJvProcessState::Ready);
}

TEST_F(LaunchPresetTest, AnUnwritableScriptStartsNoGameAndSaysWhy) {
  inputs.netDemoMode = true;
  inputs.demoArgument = "x.netdemo";
  inputs.selection.presets[0] = true;
  files.SetReadOnly(kGame + "q4base");
  state.CommandLine = "the previous run's";
  EXPECT_EQ(Launch("640"), LaunchOutcome::ScriptFailed);
  EXPECT_TRUE(processes.children.empty());
  EXPECT_EQ(enabled, 1);
  EXPECT_NE(failure.find("VKRBnetdemo.cfg"), std::string::npos);
  // The run is recorded without score under its own command line, not the previous run's.
  EXPECT_EQ(state.CommandLine, NetDemoCommandLine(kGame, inputs.aspectArgument, "640", "480"));
}

}  // namespace
}  // namespace dx
