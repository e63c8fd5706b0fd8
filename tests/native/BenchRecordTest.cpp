#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "bench/LaunchCommands.h"
#include "bench/Report.h"
#include "bench/ResultParsing.h"
#include "bench/RunRecorder.h"
#include "tests/doubles/FakeLocaleClock.h"
#include "tests/doubles/FakeShell.h"
#include "tests/doubles/FakeUiThread.h"
#include "tests/doubles/MemoryFileSystem.h"
#include "tests/doubles/RecordingRunSteps.h"

namespace dx {
namespace {

const std::string kBase = "C:\\Games\\Quake 4\\q4base\\";

std::string TimedDemoLog(const std::string& rate, const char* lineEnd = "\r\n") {
  return std::string("Quake 4 1.4.2 win-x86\r\n----- Initializing Session -----") + lineEnd +
         "1240 frames rendered in 20.2 seconds = " + rate + " fps" + lineEnd + "Shutting down" + lineEnd;
}

std::optional<std::int32_t> ScoreOfLog(const std::string& log, char separator = '.') {
  const auto cut = CutTimedDemoScore(log);
  if (!cut) return std::nullopt;
  BenchmarkRunState state;
  state.ScoreText = *cut;
  if (auto score = ConvertScore(*cut, separator)) return score;
  if (ConvertWithSwappedSeparator(state, separator)) return state.LastScore;
  return std::nullopt;
}

TEST(BenchParsing, TimedDemoRatesRoundHalfToEvenWhateverTheCase) {
  EXPECT_EQ(ScoreOfLog(TimedDemoLog("61.5")), 62);
  EXPECT_EQ(ScoreOfLog(TimedDemoLog("62.5")), 62);
  EXPECT_EQ(ScoreOfLog("2000 FRAMES RENDERED IN 32.4 SECONDS = 62.5 FPS\r\n"), 62);
  EXPECT_EQ(ScoreOfLog("x Seconds =61.4FpS"), 61);
  EXPECT_EQ(ScoreOfLog(TimedDemoLog("1234.5")), 1234);
  EXPECT_EQ(ScoreOfLog(TimedDemoLog("9.6")), 10);
  EXPECT_EQ(ScoreOfLog("a\r\nb\r\n"), std::nullopt);
  // The first marker counts.
  EXPECT_EQ(ScoreOfLog(TimedDemoLog("30.2") + TimedDemoLog("90.2")), 30);
}

TEST(BenchParsing, EveryKindOfLineEndEndsTheNumber) {
  EXPECT_EQ(ScoreOfLog(TimedDemoLog("61.5", "\n")), 62);
  EXPECT_EQ(ScoreOfLog(TimedDemoLog("61.5", "\r")), 62);
  EXPECT_EQ(ScoreOfLog("seconds = 75.1\r\n9"), 75);
  EXPECT_EQ(ScoreOfLog("seconds = 75.1\n9"), 75);
  EXPECT_EQ(ScoreOfLog("seconds = 75.1\r9"), 75);
  EXPECT_EQ(ScoreOfLog("seconds = 75.1"), 75);
  EXPECT_EQ(CutTimedDemoScore("seconds ="), "");
}

TEST(BenchParsing, CleaningKeepsDigitsSeparatorsAndStrangers) {
  EXPECT_EQ(CleanScoreText(" 61.5 f", kTimedDemoNoise), "61.5");
  EXPECT_EQ(CleanScoreText("=:sSpPfF 1,5", kTimedDemoNoise), "1,5");
  EXPECT_EQ(CleanScoreText(" 61.5 m", kTimedDemoNoise), "61.5m");
  EXPECT_EQ(CleanScoreText(" 61.5 m", kNetDemoNoise), "61.5");
  EXPECT_EQ(ScoreOfLog("seconds = 6x.5 fps"), std::nullopt);
}

TEST(BenchParsing, TheOtherSeparatorIsTriedOnce) {
  EXPECT_EQ(ConvertScore("61.5", ','), std::nullopt);
  EXPECT_EQ(ScoreOfLog(TimedDemoLog("61.5"), ','), 62);
  EXPECT_EQ(ScoreOfLog("seconds = 61,5 fps", '.'), 62);
  EXPECT_EQ(ScoreOfLog("seconds = 61,5 fps", ','), 62);
  EXPECT_EQ(SwapFirstSeparator("1,2.3"), "1.2.3");
  EXPECT_EQ(SwapFirstSeparator("1.2.3"), "1,2.3");
  EXPECT_EQ(SwapFirstSeparator("12"), "12");
  BenchmarkRunState state;
  state.LastScore = 7;
  state.ScoreText = "1.2.3";
  EXPECT_FALSE(ConvertWithSwappedSeparator(state, '.'));
  EXPECT_EQ(state.LastScore, 7);
  EXPECT_EQ(ConvertScore("99999999999", '.'), std::nullopt);  // no 32-bit score
}

TEST(BenchParsing, NetDemoDumpNeedsTheStopLineAfterTheRateLine) {
  const std::string stop = "Stopped demo playback of 'demos/x.netdemo'";
  LineList dump{{"intro", "1523 frames, 24.6 seconds, ms: 61.9 fps", stop, "later"}};
  EXPECT_EQ(CutNetDemoScore(dump, "x.netdemo"), "61.9");
  EXPECT_EQ(CutNetDemoScore(dump, "X.NETDEMO"), "61.9");
  EXPECT_EQ(CutNetDemoScore(dump, "y.netdemo"), std::nullopt);
  EXPECT_EQ(CutNetDemoScore(LineList{{stop, "ms: 50"}}, "x.netdemo"), std::nullopt);  // first line
  EXPECT_EQ(CutNetDemoScore(LineList{{"no rate here", stop}}, "x.netdemo"), std::nullopt);
  EXPECT_EQ(CutNetDemoScore(LineList{{"MS: 1234.5 more", stop}}, "x.netdemo"), "1234.");  // six characters
  EXPECT_EQ(ConvertScore("1234.", '.'), 1234);
  EXPECT_EQ(CutNetDemoScore(LineList{{"ms: 7", stop}}, "x.netdemo"), "7");
  // Only the first stop line counts.
  EXPECT_EQ(CutNetDemoScore(LineList{{"a", stop, "ms: 20", stop}}, "x.netdemo"), std::nullopt);
}

// Drives the recorder the way the game's termination event does.
class RecordTest : public ::testing::Test {
 protected:
  RecordTest() {
    files.AddFolder(kBase);
    inputs.gameBasePath = kBase;
    inputs.runCount = 1;
    inputs.block = {"1440", "900", "VKRdemo.demo",
                    {"Quality: High Quality", "Aspect ratio: 4:3", "Antialiasing: 4x", "Anisotropic filtering: 8x",
                     "SMP: off", "Ambient light: off"}};
    ui.onSleep = [this](std::uint32_t ms) { events.push_back("sleep " + std::to_string(ms)); };
    host.onFinish = [this] {
      ReportSaveInputs save{"C:\\Results\\", state.FileStamp, state.ScoreText, {}};
      CloseSaveAndOpenReport(report, save, files, shell, {});
    };
    host.onRemoveRunLog = [this] { files.RemoveFile(kBase + "qconsole.log"); };
    host.onRemoveNetDemoRun = [this] {
      files.RemoveFile(kBase + "VKRBnetdemo.cfg");
      files.RemoveFile(kBase + "VKRnetdemo.txt");
    };
    files.AddFolder("C:\\Results");
  }

  void Start(std::vector<std::string> tags, int runCount) {
    tags_ = std::move(tags);
    next_ = 0;
    inputs.runCount = runCount;
    state.ResetCounters();
    state.SelectedResolutions = static_cast<int>(tags_.size());
    state.CurrentTag = tags_[0];
    state.FileStamp = "03_11_2006_14_05_09";
  }

  // One game exit: log is what the game left (nothing: no log at all).
  RunRecord GameExited(const std::optional<std::string>& log) {
    if (log) files.AddFile(kBase + "qconsole.log", *log);
    events.clear();
    const int runCount = EffectiveRunCount(inputs.runCount);
    ++state.FinishedResolutions;
    ++state.RepetitionsDone;
    if (state.RepetitionsDone == 1) state.HeaderWritten = false;
    const bool more = state.RepetitionsDone != runCount;
    if (more) --state.FinishedResolutions;
    const auto outcome = RecordRunResult(state, report, inputs, files, ui, clock, host);
    if (outcome == RunRecord::Continue && !more) {
      state.RepetitionsDone = 0;
      state.HeaderWritten = false;
      state.CurrentTag = tags_.at(++next_);
    }
    return outcome;
  }

  std::string Golden(const std::string& name) {
    std::ifstream in(std::string(DEXTREL_TEST_DATA) + "/bench/" + name, std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    return content.str();
  }

  std::vector<std::string> ScoreLines() const {
    std::vector<std::string> out;
    for (const auto& line : report.Lines()) {
      if (line.find("core =") != std::string::npos || line == "<br><HR>") out.push_back(line);
    }
    return out;
  }

  test::MemoryFileSystem files;
  test::FakeUiThread ui;
  test::FakeLocaleClock clock;
  test::FakeShell shell;
  BenchmarkRunState state;
  LineList report;
  RecordInputs inputs;
  test::RecordingRunSteps host;
  std::vector<std::string>& events = host.events;
  std::vector<std::string>& messages = host.messages;
  std::vector<std::string> tags_;
  std::size_t next_ = 0;
};

TEST_F(RecordTest, RepetitionsGiveTheirLinesAndAnAverageWithTheRemainderDropped) {
  Start({"640", "800"}, 3);
  EXPECT_EQ(GameExited(TimedDemoLog("60.2")), RunRecord::Continue);
  EXPECT_EQ(GameExited(TimedDemoLog("61.0")), RunRecord::Continue);
  EXPECT_EQ(state.ScoreSum, 121);
  EXPECT_EQ(GameExited(TimedDemoLog("62.5")), RunRecord::Continue);
  EXPECT_EQ(state.ScoreSum, 0);  // the next resolution averages only its own runs
  EXPECT_EQ(state.CurrentTag, "800");
  EXPECT_EQ(GameExited(TimedDemoLog("63.2")), RunRecord::Continue);
  EXPECT_EQ(state.ScoreSum, 63);
  EXPECT_EQ(ScoreLines(), (std::vector<std::string>{
                              "<b>Score = 60 FPS</b><br>", "<b>Score = 61 FPS</b><br>", "<b>Score = 62 FPS</b><br>",
                              "<span class=\"style5\"><b>Average score = 61 FPS</b></span><br>", "<br><HR>",
                              "<b>Score = 63 FPS</b><br>"}));
  EXPECT_EQ(report.Count(), 8u + 5u + 8u + 1u);  // a header block before each resolution's first result
  EXPECT_EQ(state.ScoreText, "63");
  EXPECT_EQ(state.LastScore, 63);
}

TEST_F(RecordTest, ARunWaitsRepaintsAndCleansUpInOrder) {
  Start({"640", "800"}, 1);
  files.AddFile(kBase + "VKRnetdemo.txt", "stale");
  EXPECT_EQ(GameExited(TimedDemoLog("50.0")), RunRecord::Continue);
  EXPECT_EQ(events, (std::vector<std::string>{"sleep 1000", "repaint", "removeLog", "removeNetDemo", "sleep 1000"}));
  EXPECT_FALSE(files.FileExists(kBase + "qconsole.log"));
  EXPECT_TRUE(messages.empty());
  EXPECT_EQ(ScoreLines(), (std::vector<std::string>{"<span class=\"style5\"><b>Score = 50 FPS</b></span><br>", "<br><HR>"}));

  EXPECT_EQ(GameExited(TimedDemoLog("40.0")), RunRecord::Finished);
  EXPECT_EQ(events, (std::vector<std::string>{"sleep 1000", "repaint", "finish", "removeLog", "removeNetDemo",
                                              "sleep 1000"}));
}

// A game that crashed or was killed before its log: the user is told, as for a log
// without a result, and an earlier benchmark's score text is not taken for this run's.
TEST_F(RecordTest, AMissingLogIsARunWithoutScore) {
  Start({"640", "800"}, 2);
  state.NoScore = false;
  state.ScoreText = "77";
  EXPECT_EQ(GameExited(std::nullopt), RunRecord::Ended);
  EXPECT_EQ(messages, std::vector<std::string>{kNoScoreMessage});
  EXPECT_EQ(events, (std::vector<std::string>{"sleep 1000", "message", "finish", "restoreAutoexec",
                                              "restoreGameConfig", "idle", "removeLog", "removeNetDemo",
                                              "sleep 1000"}));
  EXPECT_EQ(state.ScoreText, "77");
  EXPECT_TRUE(state.NoScore);
  ASSERT_GE(report.Count(), 1u);
  EXPECT_EQ(report[0], "<BR><B><FONT size=5>Resolution: 640\xD7" "480</FONT></B><BR>");
  EXPECT_NE(report.Text().find("No Score."), std::string::npos);
}

TEST_F(RecordTest, ARunWithoutScoreTellsTheUserPutsTheConfigurationBackAndEndsTheBenchmark) {
  Start({"640", "800"}, 2);
  state.ScoreText = "70";
  EXPECT_EQ(GameExited("no result in here\r\n"), RunRecord::Ended);
  EXPECT_EQ(messages, std::vector<std::string>{kNoScoreMessage});
  EXPECT_EQ(events, (std::vector<std::string>{"sleep 1000", "repaint", "message", "finish", "restoreAutoexec",
                                              "restoreGameConfig", "idle", "removeLog", "removeNetDemo",
                                              "sleep 1000"}));
  EXPECT_TRUE(state.NoScore);
  EXPECT_EQ(state.ScoreText, "70");
  EXPECT_EQ(ScoreLines(), (std::vector<std::string>{"<span class=\"style5\"><b>Score = No Score.</b></span><br>",
                                                    "<br><HR>"}));
  EXPECT_EQ(shell.opened.size(), 1u);  // what was measured is not lost
}

TEST_F(RecordTest, ATextThatIsNoNumberCountsAsNoScoreAndKeepsTheLastGoodScoreText) {
  Start({"640"}, 1);
  state.ScoreText = "48";
  EXPECT_EQ(GameExited("seconds = n/a\r\n"), RunRecord::Finished);
  EXPECT_EQ(messages.size(), 1u);
  EXPECT_EQ(state.ScoreText, "48");
  EXPECT_TRUE(state.NoScore);
  EXPECT_NE(std::find(events.begin(), events.end(), "restoreAutoexec"), events.end());
}

TEST_F(RecordTest, ACountNeverSetRecordsEveryResolutionOnce) {
  Start({"640", "800"}, 0);
  EXPECT_EQ(GameExited(TimedDemoLog("30.0")), RunRecord::Continue);
  EXPECT_EQ(state.CurrentTag, "800");
  EXPECT_EQ(GameExited(TimedDemoLog("20.0")), RunRecord::Finished);
  EXPECT_EQ(ScoreLines(), (std::vector<std::string>{"<span class=\"style5\"><b>Score = 30 FPS</b></span><br>", "<br><HR>",
                                                    "<span class=\"style5\"><b>Score = 20 FPS</b></span><br>", "<br><HR>"}));
}

TEST_F(RecordTest, NetDemoReadsTheDumpAndAMissingDumpIsNoScore) {
  Start({"640", "800", "1024"}, 1);
  inputs.netDemoMode = true;
  inputs.block.demoArgument = "x.netdemo";
  files.AddFile(kBase + "VKRnetdemo.txt", "a\nframes 100, ms: 44.5 fps\nstopped demo playback of 'demos/x.netdemo'\n");
  EXPECT_EQ(GameExited("timedemo log without the marker"), RunRecord::Continue);
  EXPECT_EQ(state.ScoreText, "44");
  EXPECT_FALSE(files.FileExists(kBase + "VKRnetdemo.txt"));

  EXPECT_EQ(GameExited("log"), RunRecord::Ended);
  EXPECT_EQ(messages, std::vector<std::string>{kNoScoreMessage});
  EXPECT_EQ(state.ScoreText, "44");
}

TEST_F(RecordTest, OneResolutionOneRunMatchesTheGoldenReport) {
  SystemInfoRecord info;
  info.OperatingSystem = "Microsoft Windows XP Professional";
  info.SystemMemory = 4ull * 1073741824ull;
  info.CpuName = "AMD Athlon(tm) 64 Processor 3500+";
  info.CpuSpeed = 2211;
  info.SoundSystem = "Realtek HD Audio output";
  info.GraphicsCard = "NVIDIA GeForce 7800 GTX";
  info.VideoMemory = "256.0 MB";
  info.DriverVersion = "6.14.0010.9147";
  const auto times = ReadStartTimes(clock);
  WriteReportHead(report, info, times.startedAt, "", clock.DecimalSeparator(), {});
  Start({"1024"}, 1);
  state.FileStamp = times.fileStamp;
  EXPECT_EQ(GameExited(TimedDemoLog("61.5")), RunRecord::Finished);
  EXPECT_EQ(files.Contents("C:\\Results\\result_03_11_2006_14_05_09.htm"), Golden("one_resolution_one_run.htm"));
}

TEST_F(RecordTest, TwoResolutionsWithTwoRunsMatchTheGoldenReport) {
  clock.separator = ',';
  clock.dayFirst = false;
  clock.dateSeparator = '/';
  SystemInfoRecord info;
  info.OperatingSystem = "Microsoft Windows Vista Ultimate";
  info.SystemMemory = 16ull * 1073741824ull;
  info.CpuName = "Intel(R) Core(TM)2 CPU 6600 @ 2.40GHz";
  info.CpuSpeed = 2400;
  info.SoundSystem = "SB Audigy 2 ZS Audio [DC00]";
  info.VideoMemory = "512.0 MB";
  info.DriverVersion = "8.282.0.0";
  const auto times = ReadStartTimes(clock);
  WriteReportHead(report, info, times.startedAt, "new driver & <overclocked>", clock.DecimalSeparator(), [&] {
    info.HasRadeonDetails = true;
    info.RadeonCardName = "RADEON X1900 XT";
    info.BusType = "PCI Express x16";
    info.MemoryType = "GDDR3";
    info.VpuClock = "621 MHz";
    info.MemoryClock = "720 MHz";
    info.HasAdapterClocks = true;
    info.DriverDescription = "ATI Radeon X1900 Series";
    info.GpuClock = "625 MHz";
    info.AdapterMemoryClock = "725 MHz";
  });
  Start({"640", "custom"}, 2);
  state.FileStamp = times.fileStamp;
  EXPECT_EQ(GameExited(TimedDemoLog("120.4")), RunRecord::Continue);
  EXPECT_EQ(GameExited(TimedDemoLog("123.4")), RunRecord::Continue);
  EXPECT_EQ(GameExited(TimedDemoLog("61.5")), RunRecord::Continue);
  EXPECT_EQ(GameExited(TimedDemoLog("62.5")), RunRecord::Finished);
  EXPECT_EQ(files.Contents("C:\\Results\\result_11_3_2006_14_05_09.htm"), Golden("two_resolutions_two_runs.htm"));
}

}  // namespace
}  // namespace dx
