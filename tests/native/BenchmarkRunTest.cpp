// Whole benchmarks on the doubles, driven through the benchmark session as the run
// button starts it: the diagnostic tool, every game run ended by the test with the log it
// leaves, the report saved and opened, and the game folder afterwards. The window's own
// part (its controls, what it shows, its exits and start-up) has cases of its own here.
#include <algorithm>
#include <fstream>
#include <sstream>

#include "app/SettingsStore.h"
#include "bench/BenchmarkSession.h"
#include "bench/ResultParsing.h"
#include "common/LineList.h"
#include "common/SharedRegistry.h"
#include "common/Text.h"
#include "gameprep/BenchmarkJournal.h"
#include "gameprep/BenchmarkMark.h"
#include "tests/doubles/FakeFrameCapture.h"
#include "tests/doubles/RecordingBenchmarkHost.h"
#include "tests/native/FormFixture.h"

namespace dx::test {
namespace {

constexpr const char* kTool = "C:\\WINDOWS\\system32\\dxdiag.exe";
constexpr const char* kResults = "D:\\Results\\";
constexpr const char* kStamp = "03_11_2006_14_05_09";
const std::string kReportPath = std::string(kResults) + "result_" + kStamp + ".htm";
const std::string kJsonPath = std::string(kResults) + "result_" + kStamp + ".json";
const std::string kCsvPath = std::string(kResults) + "results.csv";
const std::string kLogFolder = std::string(kResults) + "result_" + kStamp + "_logs\\";
// The name the shell is given: the results folder, a backslash of its own, the file.
const std::string kOpenedPath = std::string(kResults) + "\\result_" + kStamp + ".htm";
const std::string kUserAutoexec = "bind F12 \"screenshot\"\r\nseta com_showFPS \"1\"\n";
const std::string kUserConfig = "seta r_mode \"5\"\r\nbind w \"_forward\"\r";

std::string Log(const std::string& rate) {
  return "Quake 4 1.4.2 win-x86\r\n2133 frames rendered in 34.4 seconds = " + rate + " fps\r\n";
}

std::vector<std::string> GoldenLines(const std::string& name) {
  std::ifstream in(std::string(DEXTREL_TEST_DATA) + "/bench/" + name, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return SplitLines(text.str());
}

// What the run button hands over, in one line, to compare the window's with the tests'.
std::string Describe(const BenchmarkSetup& s) {
  std::ostringstream text;
  for (bool preset : s.resolutions.presets) text << preset;
  const auto put = [&text](const auto&... fields) { ((text << '|' << fields), ...); };
  put(s.resolutions.customChecked, s.resolutions.customWidth, s.resolutions.customHeight, s.runCount, s.quality,
      s.aspect, s.antialiasing, s.filtering, s.smp, s.ambientLight, s.ambientLightValue, s.frameTimes,
      s.demo.builtinChecked, s.demo.userChecked, s.demo.userDemoPath, s.gamePath, s.resultsPath, s.note,
      s.programVersion);
  return text.str();
}

// The session as the run button starts it, what it reports kept by `watch`; a case about
// the window opens one instead, which loads the same choices from the stored settings.
class BenchmarkRun : public FormFixture {
 protected:
  std::string BaseFile(const std::string& name) const { return fake.files.Contents(std::string(kBase) + name); }
  void PutBase(const std::string& name, const std::string& data) { fake.files.AddFile(std::string(kBase) + name, data); }
  // An installed game with the user's own files, the built-in demo, High quality, 4:3,
  // the given presets and repetitions (stored, and as the setup), the diagnostic values cached.
  void Prepare(std::initializer_list<std::size_t> presets, int runs) {
    InstallGame();
    fake.registry.AddKey(kSettingsPath);
    PutBase("autoexec.cfg", kUserAutoexec);
    PutBase("Quake4Config.cfg", kUserConfig);
    fake.files.AddFolder(kResults);
    // The diagnostic values cached, so the game starts at once.
    for (auto [name, value] : {std::pair<const char*, const char*>{"Demo", "1"}, {"Quality", "2"}, {"AALevel", "2"},
                               {"AFLevel", "3"}, {"AspectRatio", "0"}, {"ResultPath", kResults},
                               {"Display Memory", "256.0 MB"}, {"Driver Version", "6.14.0010.9147"},
                               {"Sound", "Realtek HD Audio output"}}) {
      Set(name, value);
    }
    if (runs > 0) Set("RunNumber", IntToStr(runs));
    setup = {.runCount = runs, .quality = 2, .aspect = 0, .antialiasing = 2, .filtering = 3, .demo = {true, false, ""},
             .gamePath = kGameFolder, .resultsPath = kResults, .programVersion = DEXTREL_VERSION};
    for (std::size_t i : presets) {
      Set(settings::kResolutionValues[i], "1");
      setup.resolutions.presets[i] = true;
    }
    fake.processor.memory = 4ull << 30;
    session = NewSession(registry, watch);
    // Every start records the runs line shown and the command line.
    fake.processes.onStart = [this](std::size_t index) {
      runsLines.push_back(watch.runsLine);
      commandLines.push_back(fake.processes.children[index]->request.commandLine);
    };
  }
  // A copy of the program in folder, showing what its session reports on shows.
  std::unique_ptr<BenchmarkSession> NewSession(SharedRegistry& shared, RecordingBenchmarkHost& shows,
                                               const std::string& folder = kProgramFolder) {
    auto made = std::make_unique<BenchmarkSession>(view, shared, shows);
    made->SetProgram(folder + "Dextrel.exe", folder);
    return made;
  }
  // The window instead of the bare session, with a session of its own.
  TForm1& OpenWindow() {
    session.reset();
    return Start();
  }
  BenchmarkSession& Session() { return form ? form->Benchmark() : *session; }
  // A copy's close: the close query's tidying, then the exit's putting back.
  static void CloseCopy(BenchmarkSession& copy) {
    copy.TidyAtCloseQuery();
    copy.CloseGameFolder();
  }

  void TearDown() override {
    // The session tells the user through its host only, which the unattended mode relies on.
    if (session) {
      EXPECT_TRUE(fake.shell.messages.empty()) << fake.shell.messages[0].text;
    }
  }

  bool Running() { return Session().Game().State() == TJvProcessState::Waiting; }
  // The game's part of the run now playing: its log, its configuration saved, its exit.
  void EndRun(const std::string& log) {
    ASSERT_TRUE(Running());
    PutBase("qconsole.log", log);
    PutBase("Quake4Config.cfg", "seta com_machineSpec \"2\"\r\n");
    fake.processes.ExitLast(0);
  }
  void PlayAll(const std::vector<std::string>& rates) {
    for (const auto& rate : rates) EndRun(Log(rate));
  }
  std::vector<std::string> Report() const { return SplitLines(fake.files.Contents(kReportPath)); }
  bool Idle() { return form ? !form->Panel1.Visible() && form->BenchButton.Enabled() : watch.Idle(); }
  std::vector<std::string> ScoreLines() {
    std::vector<std::string> lines;
    for (const auto& line : Session().Report().Lines()) {
      if (line.find("core = ") != std::string::npos || line == "<br><HR>") lines.push_back(line);
    }
    return lines;
  }
  void ExpectUserFilesBack() {
    EXPECT_EQ(BaseFile("Quake4Config.cfg"), kUserConfig);
    EXPECT_EQ(BaseFile("Quake4Configold.cfg"), "<missing>");
    EXPECT_EQ(BaseFile("qconsole.log"), "<missing>");
    EXPECT_EQ(fake.files.Contents(std::string(kDemos) + "VKRdemo.demo"), "<missing>");
  }

  RecordingBenchmarkHost watch;
  SharedRegistry registry{fake.registry};
  std::unique_ptr<BenchmarkSession> session;
  BenchmarkSetup setup;
  std::vector<std::string> runsLines, commandLines;
};

TEST_F(BenchmarkRun, OnePresetOneRunGivesOneGameRunAndTheSavedOpenedReport) {
  Prepare({2}, 1);
  watch.runsLine = "Runs: 2/2";  // left by an earlier benchmark
  session->Start(setup);

  ASSERT_EQ(fake.processes.children.size(), 1u);
  const auto& request = fake.processes.children[0]->request;
  EXPECT_EQ(request.commandLine,
            std::string(kGameFolder) +
                "quake4.exe +set logFile 1 +set com_showFPS 1 +set timescale 7 +set r_mode -1 +set r_aspectRatio 0 "
                "+set r_customWidth 1024 +set r_customHeight 768 +timedemoquit VKRdemo.demo");
  EXPECT_EQ(request.currentDirectory.value_or(""), kGameFolder);
  EXPECT_EQ(request.startup.showWindow, 0);  // hidden
  EXPECT_TRUE(watch.busy);
  EXPECT_FALSE(watch.runButtonEnabled);
  EXPECT_EQ(watch.progress, "Resolution: 1024 \xD7 768...");
  EXPECT_EQ(fake.files.Contents(std::string(kDemos) + "VKRdemo.demo"), "built-in demo");
  EXPECT_EQ(BaseFile("Quake4Configold.cfg"), kUserConfig);
  EXPECT_EQ(BaseFile("autoexec.cfg").substr(0, 18), "seta r_shadows \"1\"");
  // The panel and its line are painted before the blocking work that follows: the busy
  // report paints both, a repaint the panel and the run button, a progress report its line.
  EXPECT_GE(watch.Count("busy") + watch.Count("repaint"), 2);
  EXPECT_GE(watch.Count("busy") + watch.CountStarting("progress "), 3);
  EXPECT_EQ(watch.Count("repaint"), 1);
  EXPECT_EQ(fake.ui.TotalSlept(), 0u);

  EndRun(Log("61.5"));
  EXPECT_EQ(fake.processes.children.size(), 1u);
  EXPECT_TRUE(Idle());
  EXPECT_EQ(watch.runsLine, "Runs: 2/2");
  // One wait before recording, two inside it, one in the finish.
  EXPECT_EQ(fake.ui.sleeps, (std::vector<std::uint32_t>{1000, 1000, 1000, 1000}));
  ASSERT_EQ(fake.shell.opened, std::vector<std::string>{kOpenedPath});
  EXPECT_EQ(fake.shell.openModes.front(), platform::ShowMode::Show);
  EXPECT_TRUE(watch.messages.empty());

  const auto report = Report();
  const auto golden = GoldenLines("one_resolution_one_run.htm");
  ASSERT_GT(report.size(), 35u);
  // The head as the reference page has it where the machine's facts agree (the card
  // name is known only after the tool has run), the closing lines too.
  for (std::size_t i : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 24, 27, 28,
                        30, 31, 32}) {
    EXPECT_EQ(report[i], golden[i]) << "line " << i;
  }
  EXPECT_EQ(report[report.size() - 2], golden[golden.size() - 2]);
  EXPECT_EQ(report.back(), golden.back());
  const std::vector<std::string> tail(report.end() - 13, report.end() - 2);
  EXPECT_EQ(tail[0], "<hr>");
  EXPECT_EQ(tail[1], "<BR><B><FONT size=5>Resolution: 1024\xD7""768</FONT></B><BR>");
  EXPECT_EQ(tail[2], "Demo: VKRdemo.demo<br>");
  EXPECT_EQ(tail[3], "Quality: High<br>");
  EXPECT_EQ(tail[9], "<span class=\"style5\"><b>Score = 62 FPS</b></span><br>");
  EXPECT_EQ(tail[10], "<br><HR>");
  EXPECT_EQ(fake.files.Contents(kReportPath).substr(fake.files.Contents(kReportPath).size() - 2), "\r\n");

  ExpectUserFilesBack();
  EXPECT_NE(BaseFile("autoexec.cfg"), kUserAutoexec);  // until the program closes
}

TEST_F(BenchmarkRun, TwoPresetsWithThreeRunsPassOverThePresetsBetween) {
  Prepare({0, 7}, 3);
  session->Start(setup);
  PlayAll({"60.0", "61.2", "62.5", "100", "101.5", "99.4"});

  ASSERT_EQ(commandLines.size(), 6u);
  for (std::size_t i = 0; i < 6; ++i) {
    const char* size = i < 3 ? "+set r_customWidth 640 +set r_customHeight 480 "
                             : "+set r_customWidth 1920 +set r_customHeight 1080 ";
    EXPECT_NE(commandLines[i].find(size), std::string::npos) << commandLines[i];
  }
  EXPECT_EQ(runsLines, (std::vector<std::string>{"Runs: 3/1", "Runs: 3/2", "Runs: 3/3", "Runs: 3/1", "Runs: 3/2",
                                                 "Runs: 3/3"}));
  EXPECT_EQ(session->RunState().CurrentTag, "hdw2");
  EXPECT_TRUE(Idle());
  EXPECT_EQ(ScoreLines(), (std::vector<std::string>{
                              "<b>Score = 60 FPS</b><br>",
                              "<b>Score = 61 FPS</b><br>",
                              "<b>Score = 62 FPS</b><br>",
                              "<span class=\"style5\"><b>Average score = 61 FPS</b></span><br>",
                              "<br><HR>",
                              "<b>Score = 100 FPS</b><br>",
                              "<b>Score = 102 FPS</b><br>",
                              "<b>Score = 99 FPS</b><br>",
                              "<span class=\"style5\"><b>Average score = 100 FPS</b></span><br>",
                              "<br><HR>",
                          }));
  const auto report = Report();
  EXPECT_EQ(std::count(report.begin(), report.end(), "<BR><B><FONT size=5>Resolution: 640\xD7""480</FONT></B><BR>"), 1);
  EXPECT_EQ(std::count(report.begin(), report.end(),
                       "<BR><B><FONT size=5>Resolution: 1920\xD7""1080 (HD WideScreen)</FONT></B><BR>"),
            1);
  EXPECT_EQ(fake.shell.opened.size(), 1u);
  ExpectUserFilesBack();
}

TEST_F(BenchmarkRun, ThreeRunsOfSixtySixtyOneSixtyThreeAverageSixtyOne) {
  Prepare({0}, 3);
  session->Start(setup);
  PlayAll({"60", "61", "63"});
  EXPECT_EQ(ScoreLines(), (std::vector<std::string>{"<b>Score = 60 FPS</b><br>", "<b>Score = 61 FPS</b><br>",
                                                    "<b>Score = 63 FPS</b><br>",
                                                    "<span class=\"style5\"><b>Average score = 61 FPS</b></span><br>",
                                                    "<br><HR>"}));
  EXPECT_EQ(session->RunState().ScoreSum, 0);
}

struct Rounding {
  const char* rate;
  char separator;
  const char* score;
};

class ScoreRounding : public BenchmarkRun, public ::testing::WithParamInterface<Rounding> {};

TEST_P(ScoreRounding, HalvesGoToTheEvenNeighbourWithEitherSeparator) {
  Prepare({0}, 1);
  fake.clock.separator = GetParam().separator;
  session->Start(setup);
  EndRun(Log(GetParam().rate));
  EXPECT_EQ(session->RunState().ScoreText, GetParam().score);
  EXPECT_EQ(ScoreLines().front(),
            std::string("<span class=\"style5\"><b>Score = ") + GetParam().score + " FPS</b></span><br>");
  EXPECT_TRUE(watch.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(Scores, ScoreRounding,
                         ::testing::Values(Rounding{"61.5", '.', "62"}, Rounding{"62.5", '.', "62"},
                                           Rounding{"1234.5", ',', "1234"}, Rounding{"61.5", ',', "62"},
                                           Rounding{"62,5", '.', "62"}));

TEST_F(BenchmarkRun, OnlyTheCustomResolutionRunsItsRepetitionsAndFinishes) {
  Prepare({}, 2);
  setup.resolutions.customChecked = true;
  setup.resolutions.customWidth = "1440";
  setup.resolutions.customHeight = "900";
  session->Start(setup);
  EXPECT_EQ(watch.progress, "Resolution: 1440 \xD7 900 (Custom)...");
  PlayAll({"70", "72"});
  ASSERT_EQ(commandLines.size(), 2u);
  EXPECT_NE(commandLines[1].find("+set r_aspectRatio 0 +set r_customWidth 1440 +set r_customHeight 900 +timedemoquit"),
            std::string::npos);
  EXPECT_EQ(runsLines, (std::vector<std::string>{"Runs: 2/1", "Runs: 2/2"}));
  EXPECT_TRUE(Idle());
  EXPECT_FALSE(Running());
  const auto report = Report();
  EXPECT_NE(std::find(report.begin(), report.end(),
                      "<BR><B><FONT size=5>Resolution: 1440 \xD7 900 (Custom)</FONT></B><BR>"),
            report.end());
  EXPECT_EQ(ScoreLines()[2], "<span class=\"style5\"><b>Average score = 71 FPS</b></span><br>");
}

// ---- The start's checks

class StartChecks : public BenchmarkRun {
 protected:
  void Press() {
    fake.registry.RemoveKey(kSettingsPath);
    watch.messages.clear();
    session->Start(setup);
  }
  void ExpectRefused(const std::string& message) {
    ASSERT_EQ(watch.messages, std::vector<std::string>{message});
    EXPECT_TRUE(Idle());
    EXPECT_TRUE(fake.registry.HasKey(kSettingsPath));  // the refusal creates the key
    EXPECT_TRUE(fake.processes.children.empty());
    EXPECT_TRUE(fake.shell.opened.empty());
  }
};

TEST_F(StartChecks, AMissingGameFolderIsTheOnlyMessageEvenWithoutAResolution) {
  Prepare({}, 1);
  setup.gamePath = "E:\\Gone\\Quake 4\\";
  Press();
  ExpectRefused("ERROR. Please, install the retail version of Quake 4.");
  // The missing folder is not made by the demo copy.
  EXPECT_FALSE(fake.files.FolderExists("E:\\Gone"));
}

TEST_F(StartChecks, TheResolutionComesBeforeTheCustomDemoAndTheConfigurationIsWrittenFirst) {
  Prepare({}, 1);
  setup.demo = {false, true, ""};  // a user demo without a file: unusable
  Press();
  ASSERT_TRUE(session->Housekeeping().CustomDemoError);
  ExpectRefused("ERROR. Please, choose a resolution of Quake 4.");
  EXPECT_EQ(BaseFile("autoexec.cfg").substr(0, 18), "seta r_shadows \"1\"");
  EXPECT_EQ(BaseFile("Quake4Configold.cfg"), kUserConfig);  // nothing else is undone

  setup.resolutions.presets[3] = true;
  Press();
  ExpectRefused("ERROR. Please, check your custom defined demo parameters.");
}

TEST_F(StartChecks, ADemoNameThatAddsAConsoleCommandIsRefusedBeforeTheGameFolderIsTouched) {
  Prepare({0}, 1);
  const std::string demo = "D:\\Demos\\duel +exec evil.cfg.demo";
  fake.files.AddFile(demo, "demo");
  setup.demo = {false, true, demo};
  const auto shellCalls = fake.files.shellCalls().size();
  Press();
  ExpectRefused("ERROR. The demo \"duel +exec evil.cfg.demo\" cannot be played: its file name holds a blank "
                "followed by \"+\", which the game would read as a console command. Please, rename the demo file.");
  EXPECT_EQ(watch.ended, std::vector<BenchmarkOutcome>{BenchmarkOutcome::boCouldNotStart});
  EXPECT_EQ(BaseFile("autoexec.cfg"), kUserAutoexec);
  EXPECT_EQ(BaseFile("Quake4Config.cfg"), kUserConfig);
  EXPECT_EQ(BaseFile("Quake4Configold.cfg"), "<missing>");
  EXPECT_EQ(fake.files.shellCalls().size(), shellCalls);
  EXPECT_FALSE(fake.files.FileExists(std::string(kBase) + "Demos\\duel +exec evil.cfg.demo"));

  // Renamed, the same demo plays.
  fake.files.AddFile("D:\\Demos\\duel.demo", "demo");
  setup.demo.userDemoPath = "D:\\Demos\\duel.demo";
  watch.messages.clear();
  session->Start(setup);
  EXPECT_TRUE(watch.messages.empty());
  ASSERT_EQ(commandLines.size(), 1u);
  EXPECT_NE(commandLines[0].find("+timedemoquit duel.demo"), std::string::npos) << commandLines[0];
}

TEST_F(StartChecks, ACustomResolutionWithAnEmptyWidthIsNotSelected) {
  Prepare({}, 1);
  setup.resolutions.customChecked = true;
  setup.resolutions.customHeight = "900";
  Press();
  ExpectRefused("ERROR. Please, choose a resolution of Quake 4.");
}

TEST_F(StartChecks, AnAutoexecThatCannotBeWrittenIsReportedAndTheWindowIsIdle) {
  Prepare({0}, 1);
  fake.files.SetReadOnly(kBase);
  Press();
  ASSERT_EQ(watch.messages.size(), 1u);
  EXPECT_NE(watch.messages[0].find("autoexec.cfg"), std::string::npos);
  EXPECT_TRUE(Idle());
  EXPECT_TRUE(fake.processes.children.empty());
  EXPECT_EQ(BaseFile("autoexec.cfg"), kUserAutoexec);
}

TEST_F(StartChecks, AnUnexpectedFailureBeforeTheFirstRunLeavesNoDeadEnd) {
  Prepare({0}, 1);
  fake.processes.onStart = [](std::size_t) { throw std::runtime_error("out of handles"); };
  EXPECT_THROW(Press(), std::runtime_error);
  EXPECT_TRUE(Idle());
  EXPECT_FALSE(session->Running());
  EXPECT_EQ(session->LastOutcome(), BenchmarkOutcome::boCouldNotStart);
  EXPECT_EQ(BaseFile("autoexec.cfg"), kUserAutoexec);
  ExpectUserFilesBack();

  // The next press starts afresh.
  fake.processes.onStart = nullptr;
  Press();
  EXPECT_TRUE(Running());
}

// ---- Diagnostic values

TEST_F(BenchmarkRun, WithoutCachedValuesTheToolRunsFirstAndTheBenchmarkStartsOnce) {
  Prepare({0}, 1);
  Set("Display Memory", "");
  fake.files.AddFile(kTool, "MZ");
  session->Start(setup);

  ASSERT_EQ(fake.processes.children.size(), 1u);
  EXPECT_NE(fake.processes.LastCommandLine().find("dxdiag.exe /whql:on /t"), std::string::npos);
  EXPECT_EQ(watch.progress, "Collecting system information...");
  EXPECT_TRUE(watch.busy);
  EXPECT_FALSE(Running());

  fake.files.AddFile(std::string(kProgramFolder) + "dxinfo.txt",
                     "Display Devices\r\n        Card name: RADEON X800 XT\r\n   Display Memory: 128.0 MB\r\n"
                     "   Driver Version: 6.14.0010.6575\r\n            Description: SB Live!\r\n");
  fake.processes.ExitLast(0);
  ASSERT_EQ(fake.processes.children.size(), 2u);
  EXPECT_TRUE(Running());
  EXPECT_EQ(Stored("Display Memory"), " 128.0 MB");  // as the tool's line has it after the marker
  EndRun(Log("50"));
  EXPECT_EQ(fake.processes.children.size(), 2u);

  const auto report = Report();
  EXPECT_EQ(std::count(report.begin(), report.end(), "<html>"), 1);
  EXPECT_NE(std::find(report.begin(), report.end(), "   <FONT size=2><b>Graphics card:</b>  RADEON X800 XT</FONT><br>"),
            report.end());
  EXPECT_NE(std::find(report.begin(), report.end(), "   <FONT size=2><b>Sound system:</b> SB Live!</FONT><br>"),
            report.end());

  // The next benchmark takes the cached values and starts the game at once.
  session->Start(setup);
  EXPECT_EQ(fake.processes.children.size(), 3u);
  EXPECT_TRUE(Running());
  EndRun(Log("55"));

  // Stopped while the tool runs again: no game to close, and the previous benchmark's
  // report and summary lines are left as they are.
  const std::string savedReport = fake.files.Contents(kReportPath), savedCsv = fake.files.Contents(kCsvPath);
  const std::size_t opened = fake.shell.opened.size();
  Set("Display Memory", "");
  session->Start(setup);
  ASSERT_EQ(fake.processes.children.size(), 4u);
  EXPECT_NE(fake.processes.LastCommandLine().find("dxdiag.exe"), std::string::npos);
  EXPECT_TRUE(session->ConfirmStop());  // yes
  EXPECT_EQ(watch.questions, std::vector<std::string>{"Stop the benchmark?"});
  EXPECT_TRUE(watch.messages.empty());
  EXPECT_TRUE(fake.processes.children.back()->terminated);
  EXPECT_TRUE(Idle());
  EXPECT_EQ(fake.files.Contents(kReportPath), savedReport);
  EXPECT_EQ(fake.files.Contents(kCsvPath), savedCsv);
  EXPECT_EQ(fake.shell.opened.size(), opened);
  EXPECT_EQ(session->LastOutcome(), BenchmarkOutcome::boCancelled);
  ExpectUserFilesBack();
}

TEST_F(BenchmarkRun, CachedValuesWithoutVersionAndSoundReadNoInformation) {
  Prepare({0}, 1);
  Set("Driver Version", "");
  fake.registry.SetString(kSettingsPath, "Sound", "");
  fake.files.AddFile(kTool, "MZ");
  session->Start(setup);
  ASSERT_EQ(fake.processes.children.size(), 1u);
  EXPECT_TRUE(Running());
  EXPECT_EQ(session->SystemInfo().VideoMemory, "256.0 MB");
  EXPECT_EQ(session->SystemInfo().DriverVersion, "No information");
  EXPECT_EQ(session->SystemInfo().SoundSystem, "No information");
  const auto& head = session->Report().Lines();
  EXPECT_NE(std::find(head.begin(), head.end(), "   <FONT size=2><b>Sound system:</b> No information</FONT><br>"),
            head.end());
}

TEST_F(BenchmarkRun, AMissingToolStillStartsTheBenchmark) {
  Prepare({0}, 1);
  Set("Display Memory", "");
  session->Start(setup);
  ASSERT_EQ(fake.processes.children.size(), 1u);
  EXPECT_TRUE(Running());
  EXPECT_EQ(session->SystemInfo().VideoMemory, "indeterminable");
}

// ---- Carry-over, failures and decisions

TEST_F(BenchmarkRun, ASecondBenchmarkStartsItsCountersAtZeroAndKeepsTheScoreText) {
  Prepare({0, 1}, 2);
  session->Start(setup);
  PlayAll({"70", "70", "80", "80"});
  ASSERT_TRUE(Idle());
  EXPECT_EQ(session->RunState().FinishedResolutions, 2);

  fake.clock.now.minute = 30;
  session->Start(setup);
  EXPECT_EQ(session->RunState().RepetitionsDone, 0);
  EXPECT_EQ(session->RunState().FinishedResolutions, 0);
  EXPECT_EQ(session->RunState().SelectedResolutions, 2);
  EXPECT_EQ(session->RunState().ScoreSum, 0);
  EXPECT_EQ(session->RunState().ScoreText, "80");
  EXPECT_EQ(session->RunState().CurrentTag, "640");
  PlayAll({"90", "90", "95", "95"});
  EXPECT_EQ(fake.processes.children.size(), 8u);
  EXPECT_EQ(fake.shell.opened.size(), 2u);
  EXPECT_EQ(fake.shell.opened[1], std::string(kResults) + "\\result_03_11_2006_14_30_09.htm");
  EXPECT_NE(fake.files.Contents(kReportPath), fake.files.Contents(fake.shell.opened[1]));
}

TEST_F(BenchmarkRun, ALogWithoutTheMarkerEndsTheBenchmarkWithTheUsersFilesBack) {
  Prepare({0, 1}, 2);
  session->Start(setup);
  EndRun("Quake 4 1.4.2\r\ncouldn't open demos/VKRdemo.demo\r\n");

  EXPECT_EQ(fake.processes.children.size(), 1u);  // nothing more is launched
  EXPECT_EQ(watch.messages, std::vector<std::string>{kNoScoreMessage});
  EXPECT_TRUE(Idle());
  EXPECT_EQ(BaseFile("autoexec.cfg"), kUserAutoexec);
  EXPECT_EQ(BaseFile("autoexec_old.cfg"), "<missing>");
  ExpectUserFilesBack();
  // No score has been read since the program started: no page.
  EXPECT_TRUE(fake.shell.opened.empty());
  EXPECT_EQ(fake.files.Contents(kReportPath), "<missing>");

  // The next press starts afresh and runs the whole benchmark.
  session->Start(setup);
  PlayAll({"70", "70", "80", "80"});
  EXPECT_EQ(fake.processes.children.size(), 5u);
  EXPECT_EQ(fake.shell.opened.size(), 1u);
}

TEST_F(BenchmarkRun, AGameThatCannotStartIsReportedAndTheWindowIsIdleWithTheUsersFilesBack) {
  Prepare({0}, 2);
  fake.processes.failWithCode = 2;
  session->Start(setup);
  EXPECT_TRUE(Idle());
  EXPECT_EQ(watch.messages, std::vector<std::string>{"ERROR. Please, install the retail version of Quake 4."});
  EXPECT_TRUE(fake.shell.opened.empty());
  EXPECT_EQ(fake.files.Contents(kReportPath), "<missing>");
  EXPECT_EQ(BaseFile("autoexec.cfg"), kUserAutoexec);
  EXPECT_EQ(BaseFile("autoexec_old.cfg"), "<missing>");
  ExpectUserFilesBack();

  // quake4.exe is there but the system refuses it (locked, blocked, no program): its reason.
  fake.files.AddFile(std::string(kGameFolder) + "quake4.exe", "not a program");
  fake.processes.failWithCode = 193;
  session->Start(setup);
  EXPECT_TRUE(Idle());
  ASSERT_EQ(watch.messages.size(), 2u);
  EXPECT_EQ(watch.messages[1].find("Quake 4 could not be started. System Error.  Code: 193."), 0u)
      << watch.messages[1];
  ExpectUserFilesBack();

  fake.processes.failWithCode = 0;
  session->Start(setup);
  PlayAll({"70", "71"});
  EXPECT_TRUE(Idle());
  EXPECT_EQ(fake.shell.opened.size(), 1u);
}

TEST_F(BenchmarkRun, AGameGoneBetweenRunsEndsTheBenchmarkWithWhatWasMeasured) {
  Prepare({0, 1}, 2);
  session->Start(setup);
  fake.processes.failWithCode = 2;
  EndRun(Log("70"));
  EXPECT_TRUE(Idle());
  EXPECT_EQ(fake.processes.children.size(), 1u);
  ASSERT_EQ(watch.messages.size(), 1u);
  const std::string& told = watch.messages[0];
  EXPECT_EQ(told.find("Quake 4 could not be started. System Error.  Code: 2."), 0u) << told;
  EXPECT_NE(told.find("The runs measured until then are in the report."), std::string::npos) << told;
  EXPECT_EQ(fake.shell.opened, std::vector<std::string>{kOpenedPath});
  EXPECT_NE(fake.files.Contents(kReportPath).find("Score = 70 FPS"), std::string::npos);
  const std::string json = fake.files.Contents(kJsonPath);
  EXPECT_NE(json.find("\"no_score_reason\": \"Quake 4 could not be started. System Error."), std::string::npos)
      << json;
  EXPECT_EQ(SplitLines(fake.files.Contents(kCsvPath)).size(), 2u);
  EXPECT_EQ(BaseFile("autoexec.cfg"), kUserAutoexec);
  ExpectUserFilesBack();
  EXPECT_EQ(session->LastOutcome(), BenchmarkOutcome::boCouldNotStart);
  EXPECT_TRUE(fake.marks.held.empty());
}

TEST_F(BenchmarkRun, ANetDemoScriptThatCannotBeWrittenEndsTheBenchmarkWithTheFilesBack) {
  Prepare({0}, 1);
  fake.files.AddFile("D:\\Demos\\duel.netdemo", "net demo");
  setup.demo = {false, true, "D:\\Demos\\duel.netdemo"};
  PutBase("VKRBnetdemo.cfg", "locked");
  fake.files.SetReadOnly(std::string(kBase) + "VKRBnetdemo.cfg");
  session->Start(setup);
  EXPECT_TRUE(fake.processes.children.empty());
  EXPECT_TRUE(Idle());
  ASSERT_EQ(watch.messages.size(), 1u);
  EXPECT_NE(watch.messages[0].find("VKRBnetdemo.cfg"), std::string::npos);
  EXPECT_EQ(BaseFile("autoexec.cfg"), kUserAutoexec);
  ExpectUserFilesBack();
  EXPECT_FALSE(session->Running());
}

TEST_F(BenchmarkRun, CancelAsksClosesTheGameAndKeepsWhatWasMeasured) {
  Prepare({0, 1}, 2);
  session->Start(setup);
  ASSERT_EQ(watch.RunningTimers(), 1);
  EXPECT_EQ(watch.timers.back()->milliseconds, 30u * 60u * 1000u);
  EndRun(Log("70"));
  ASSERT_TRUE(Running());
  EXPECT_EQ(watch.RunningTimers(), 1);  // one per run

  watch.answers.push_back(false);
  EXPECT_FALSE(session->ConfirmStop());
  EXPECT_EQ(watch.questions, std::vector<std::string>{"Stop the benchmark? The game will be closed."});
  EXPECT_TRUE(Running());
  EXPECT_FALSE(fake.processes.children.back()->terminated);

  EXPECT_TRUE(session->ConfirmStop());  // yes
  EXPECT_TRUE(fake.processes.children.back()->terminated);
  EXPECT_FALSE(Running());
  EXPECT_TRUE(Idle());
  EXPECT_EQ(fake.processes.children.size(), 2u);
  EXPECT_EQ(watch.questions.size(), 2u);
  EXPECT_TRUE(watch.messages.empty());  // only the two questions
  EXPECT_EQ(fake.shell.opened, std::vector<std::string>{kOpenedPath});
  const std::string report = fake.files.Contents(kReportPath);
  EXPECT_NE(report.find("Score = 70 FPS"), std::string::npos);
  EXPECT_NE(report.find("Score = No Score."), std::string::npos);
  EXPECT_EQ(report.find("Average score"), std::string::npos);
  const std::string json = fake.files.Contents(kJsonPath);
  EXPECT_NE(json.find("\"no_score_reason\": \"The run was cancelled.\""), std::string::npos) << json;
  // The first run's log is kept although its copy waited for the next game's start.
  EXPECT_EQ(fake.files.Contents(kLogFolder + "640_1_qconsole.log"), Log("70"));
  EXPECT_EQ(BaseFile("autoexec.cfg"), kUserAutoexec);
  ExpectUserFilesBack();
  EXPECT_EQ(session->LastOutcome(), BenchmarkOutcome::boCancelled);
  EXPECT_EQ(watch.RunningTimers(), 0);
  EXPECT_TRUE(fake.marks.held.empty());
}

TEST_F(BenchmarkRun, ARunOverTheTimeLimitIsEndedAndALimitOfZeroSetsNone) {
  Prepare({0}, 1);
  Set("RunTimeLimit", "2");
  const auto& ended = watch.ended;
  session->Start(setup);
  ASSERT_EQ(watch.RunningTimers(), 1);
  EXPECT_EQ(watch.timers.back()->milliseconds, 2u * 60u * 1000u);
  watch.ElapseTimers();
  EXPECT_TRUE(fake.processes.children.back()->terminated);
  EXPECT_TRUE(Idle());
  EXPECT_EQ(watch.messages, std::vector<std::string>{"The game did not finish the run within the time limit of 2 "
                                                     "minutes and was closed."});
  EXPECT_TRUE(fake.shell.opened.empty());  // nothing was measured
  EXPECT_EQ(BaseFile("autoexec.cfg"), kUserAutoexec);
  ExpectUserFilesBack();
  EXPECT_EQ(ended, std::vector<BenchmarkOutcome>{BenchmarkOutcome::boTimedOut});

  Set("RunTimeLimit", "0");
  session->Start(setup);
  EXPECT_EQ(watch.RunningTimers(), 0);
  PlayAll({"70"});
  EXPECT_TRUE(Idle());
  EXPECT_EQ(ended.back(), BenchmarkOutcome::boAllScored);

  // The limit holds for the diagnostic tool too: past it, the tool is ended, its values are
  // indeterminable (none cached) and the benchmark goes on.
  Set("RunTimeLimit", "2");
  Set("Display Memory", "");
  fake.files.AddFile(kTool, "MZ");
  session->Start(setup);
  ASSERT_NE(fake.processes.LastCommandLine().find("dxdiag.exe"), std::string::npos);
  ASSERT_EQ(watch.RunningTimers(), 1);
  EXPECT_EQ(watch.timers.back()->milliseconds, 2u * 60u * 1000u);
  const auto tool = fake.processes.children.back();
  watch.ElapseTimers();
  EXPECT_TRUE(tool->terminated);
  EXPECT_NE(fake.processes.LastCommandLine().find("quake4.exe"), std::string::npos);
  EXPECT_TRUE(Running());
  EXPECT_EQ(session->SystemInfo().VideoMemory, "indeterminable");
  EXPECT_EQ(session->SystemInfo().GraphicsCard, "indeterminable");
  EXPECT_EQ(Stored("Display Memory"), "");
  EXPECT_EQ(watch.RunningTimers(), 1);  // the run's own
  PlayAll({"70"});
  EXPECT_EQ(ended.back(), BenchmarkOutcome::boAllScored);
}

// ---- The window's part

// The run button hands the session the controls' choices and the window shows what it
// reports; stopping, or leaving, asks first.
TEST_F(BenchmarkRun, LeavingWhileTheGamePlaysAsksAndOnYesSavesAndPutsBackFirst) {
  Prepare({0}, 2);
  OpenWindow();
  EXPECT_EQ(Describe(form->CurrentSetup()), Describe(setup));
  form->BenchButton.UserClick();
  EXPECT_TRUE(form->Panel1.Visible());
  EXPECT_FALSE(form->BenchButton.Enabled());
  EXPECT_EQ(form->Label2.Caption(), "Resolution: 640 \xD7 480...");
  EXPECT_EQ(form->RunsLabel.Caption(), "Runs: 2/1");
  // The panel and its line are painted before the blocking work that follows.
  EXPECT_GE(host.Count("repaint Panel1"), 2);
  EXPECT_GE(host.Count("repaint Label2"), 3);
  EXPECT_EQ(host.Count("repaint BenchButton"), 1);
  EXPECT_EQ(host.RunningTimers(), 1);  // the run's time limit
  EndRun(Log("70"));
  EXPECT_EQ(form->RunsLabel.Caption(), "Runs: 2/2");
  fake.shell.answers = {platform::MessageResult::No, platform::MessageResult::No, platform::MessageResult::No};
  form->CancelButton.UserClick();
  form->Image2Click();
  bool canClose = true;
  form->FormCloseQuery(canClose);
  EXPECT_FALSE(canClose);
  EXPECT_TRUE(Running());
  ASSERT_EQ(fake.shell.messages.size(), 3u);
  for (const auto& asked : fake.shell.messages) {
    EXPECT_EQ(asked.text, "Stop the benchmark? The game will be closed.");
    EXPECT_EQ(asked.caption, "Dextrel");
    EXPECT_EQ(asked.buttons, platform::MessageButtons::YesNo);
  }
  EXPECT_EQ(host.Count("end program"), 0);
  EXPECT_EQ(fake.files.Contents(std::string(kDemos) + "VKRdemo.demo"), "built-in demo");

  form->Image2Click();  // yes
  EXPECT_TRUE(fake.processes.children.back()->terminated);
  EXPECT_TRUE(Idle());
  EXPECT_EQ(host.RunningTimers(), 0);
  EXPECT_EQ(fake.shell.opened, std::vector<std::string>{kOpenedPath});
  EXPECT_EQ(BaseFile("autoexec.cfg"), kUserAutoexec);
  ExpectUserFilesBack();
  EXPECT_EQ(Stored("Display Memory"), "");
  EXPECT_EQ(host.calls.back(), "end program");
}

// Two copies from two folders on one machine share the game folder's mark.
TEST_F(BenchmarkRun, ASecondCopyNeitherRecoversNorStartsWhileTheFirstBenchmarks) {
  Prepare({0}, 1);
  session->Start(setup);
  ASSERT_TRUE(Running());
  const std::string config = BaseFile("Quake4Configold.cfg");
  const std::string written = BaseFile("autoexec.cfg");

  RecordingBenchmarkHost otherWatch;
  SharedRegistry otherRegistry(fake.registry);
  const std::string otherFolder = "D:\\Portable\\Dextrel\\";
  auto other = NewSession(otherRegistry, otherWatch, otherFolder);
  other->RecoverGameFolder(kGameFolder);  // its start-up
  EXPECT_EQ(BaseFile("Quake4Configold.cfg"), config);
  EXPECT_EQ(BaseFile("autoexec.cfg"), written);
  EXPECT_EQ(BaseFile("autoexec_old.cfg"), kUserAutoexec);
  other->Start(setup);
  EXPECT_EQ(otherWatch.messages,
            std::vector<std::string>{"Another copy of Dextrel is benchmarking this game. Wait until it has finished."});
  EXPECT_EQ(otherWatch.events, std::vector<std::string>{"message"});  // never busy
  EXPECT_TRUE(watch.messages.empty());
  EXPECT_EQ(fake.processes.children.size(), 1u);
  EXPECT_EQ(BaseFile("autoexec.cfg"), written);
  // Nor does leaving it touch the running benchmark's files.
  PutBase("autoexec_old.cfg", "// older\r\n");
  CloseCopy(*other);
  EXPECT_EQ(BaseFile("autoexec.cfg"), written);
  EXPECT_EQ(BaseFile("autoexec_old.cfg"), "// older\r\n");
  EXPECT_EQ(fake.files.Contents(std::string(kDemos) + "VKRdemo.demo"), "built-in demo");
  fake.files.RemoveFile(std::string(kBase) + "autoexec_old.cfg");

  EndRun(Log("70"));
  EXPECT_TRUE(Idle());
  // The first copy's autoexec.cfg stays out until it ends, and the mark with it: another
  // installation can neither start over it nor take its back-up for the user's file.
  auto third = NewSession(otherRegistry, otherWatch, otherFolder);
  third->RecoverGameFolder(kGameFolder);
  third->Start(setup);
  EXPECT_EQ(fake.processes.children.size(), 1u);
  EXPECT_EQ(BaseFile("autoexec.cfg"), written);
  CloseCopy(*session);
  EXPECT_EQ(BaseFile("Dextrel-journal.txt"), "<missing>");
  third->Start(setup);  // the mark is free again
  EXPECT_EQ(fake.processes.children.size(), 2u);
}

// The program killed while its game plays, started again at once: the game still has the
// files, so the new copy says so, touches nothing and puts them back when the game ends.
TEST_F(BenchmarkRun, AKilledCopysGameKeepsItsFilesUntilItEndsThenTheyComeBack) {
  Prepare({0}, 1);
  OpenWindow();
  form->BenchButton.UserClick();
  ASSERT_TRUE(Running());
  const auto journal = ParseJournal(BaseFile("Dextrel-journal.txt"));
  ASSERT_TRUE(journal);
  EXPECT_EQ(journal->program, host.executablePath);
  ASSERT_TRUE(journal->game);
  EXPECT_EQ(*journal->game, fake.processes.children.back()->identity);
  const std::string written = BaseFile("autoexec.cfg");
  form.reset();  // killed: no exit step runs, its mark dies with it

  FakeMainFormHost otherHost;
  TForm1 again(view, otherHost);
  again.FormCreate();
  EXPECT_TRUE(again.WaitingLabel.Visible());
  EXPECT_EQ(again.WaitingLabel.Caption(),
            "A benchmark's game is still running. Its files will be put back when it ends.");
  EXPECT_EQ(BaseFile("autoexec.cfg"), written);
  EXPECT_EQ(BaseFile("autoexec_old.cfg"), kUserAutoexec);
  again.BenchButton.UserClick();
  EXPECT_EQ(fake.shell.MessageTexts(),
            std::vector<std::string>{"A benchmark's game is still running. Its files will be put back when it ends."});
  EXPECT_EQ(fake.shell.messages[0].caption, "Dextrel");
  EXPECT_EQ(fake.shell.messages[0].buttons, platform::MessageButtons::Ok);
  EXPECT_EQ(fake.processes.children.size(), 1u);
  // A third copy can neither take the folder nor put anything back meanwhile.
  TForm1 third(view, otherHost);
  third.FormCreate();
  EXPECT_FALSE(third.WaitingLabel.Visible());
  EXPECT_EQ(BaseFile("autoexec.cfg"), written);

  // The game ends and rewrites its configuration: the window still open puts everything back.
  PutBase("qconsole.log", Log("70"));
  PutBase("Quake4Config.cfg", "seta com_machineSpec \"2\"\r\n");
  fake.processes.ExitLast(0);
  EXPECT_FALSE(again.WaitingLabel.Visible());
  EXPECT_EQ(BaseFile("autoexec.cfg"), kUserAutoexec);
  EXPECT_EQ(BaseFile("autoexec_old.cfg"), "<missing>");
  ExpectUserFilesBack();
  EXPECT_EQ(BaseFile("Dextrel-journal.txt"), "<missing>");
  EXPECT_TRUE(fake.marks.held.empty());
}

// When the system cannot make the game folder's mark, nothing keeps another copy away:
// the benchmark is refused with a word, and the start-up leaves a journal for later.
TEST_F(BenchmarkRun, AMarkThatCannotBeMadeRefusesTheBenchmarkAndTheRecovery) {
  Prepare({0}, 1);
  session->Start(setup);
  session.reset();  // killed with its files out
  fake.processes.ExitLast(0);
  const auto before = fake.files.AllFiles();
  const std::string written = BaseFile("autoexec.cfg");

  fake.marks.failing = "Access is denied.";
  RecordingBenchmarkHost again;
  session = NewSession(registry, again);
  session->RecoverGameFolder(kGameFolder);  // its start-up
  EXPECT_EQ(BaseFile("autoexec.cfg"), written);
  EXPECT_EQ(fake.files.AllFiles(), before);
  session->Start(setup);
  ASSERT_EQ(again.messages.size(), 1u);
  EXPECT_EQ(again.messages[0].find("The game folder could not be reserved"), 0u);
  EXPECT_NE(again.messages[0].find("Access is denied."), std::string::npos);
  EXPECT_EQ(fake.processes.children.size(), 1u);
  EXPECT_EQ(again.events, std::vector<std::string>{"message"});  // never busy
  CloseCopy(*session);
  EXPECT_EQ(fake.files.AllFiles(), before);

  fake.marks.failing.clear();
  session = NewSession(registry, again);
  session->RecoverGameFolder(kGameFolder);  // the journal's game has ended: everything back at once
  EXPECT_EQ(BaseFile("autoexec.cfg"), kUserAutoexec);
  EXPECT_EQ(BaseFile("Dextrel-journal.txt"), "<missing>");
  EXPECT_EQ(BaseFile("Quake4Config.cfg"), kUserConfig);

  // A journal the start-up left because another copy held the folder then is put back at
  // the run button, and the benchmark that follows keeps the mark to its end.
  session->Start(setup);
  session.reset();
  fake.processes.ExitLast(0);
  auto elsewhere = fake.marks.TryTake(BenchmarkMarkName(kGameFolder)).mark;
  session = NewSession(registry, again);
  EXPECT_TRUE(session->RecoverGameFolder(kGameFolder));
  EXPECT_NE(BaseFile("Dextrel-journal.txt"), "<missing>");
  elsewhere.reset();
  session->Start(setup);
  ASSERT_TRUE(Running());
  EXPECT_EQ(BaseFile("autoexec_old.cfg"), kUserAutoexec);
  EXPECT_EQ(fake.marks.held.size(), 1u);
  EXPECT_FALSE(fake.marks.TryTake(BenchmarkMarkName(kGameFolder)).mark);
  EndRun(Log("70"));
  CloseCopy(*session);
  EXPECT_EQ(BaseFile("autoexec.cfg"), kUserAutoexec);
  EXPECT_EQ(BaseFile("Dextrel-journal.txt"), "<missing>");
  EXPECT_TRUE(fake.marks.held.empty());
}

TEST_F(BenchmarkRun, WithoutARepetitionCountEveryResolutionRunsOnce) {
  Prepare({0, 1}, 0);
  session->Start(setup);
  PlayAll({"70", "80"});
  EXPECT_FALSE(Running());
  EXPECT_EQ(fake.processes.children.size(), 2u);
  EXPECT_TRUE(Idle());
  EXPECT_EQ(watch.runsLine, "");
  EXPECT_EQ(ScoreLines(), (std::vector<std::string>{"<span class=\"style5\"><b>Score = 70 FPS</b></span><br>",
                                                    "<br><HR>",
                                                    "<span class=\"style5\"><b>Score = 80 FPS</b></span><br>",
                                                    "<br><HR>"}));
}

TEST_F(BenchmarkRun, ThePressOfTheRunButtonWhileTheGamePlaysChangesNothing) {
  Prepare({0}, 2);
  session->Start(setup);
  EndRun(Log("70"));
  ASSERT_TRUE(Running());
  const auto before = session->RunState();
  const auto reportLines = session->Report().Count();
  const auto shown = watch.events.size();
  // As after a run without score, when the run button is enabled while a game may play.
  session->Start(setup);
  session->Start(setup);
  EXPECT_EQ(fake.processes.children.size(), 2u);
  EXPECT_EQ(session->RunState().RepetitionsDone, before.RepetitionsDone);
  EXPECT_EQ(session->RunState().ScoreSum, before.ScoreSum);
  EXPECT_EQ(session->Report().Count(), reportLines);
  EXPECT_EQ(watch.events.size(), shown);
  EXPECT_EQ(watch.progress, "Resolution: 640 \xD7 480...");
  EXPECT_TRUE(watch.messages.empty());

  EndRun(Log("72"));
  EXPECT_FALSE(Running());
  EXPECT_EQ(ScoreLines()[2], "<span class=\"style5\"><b>Average score = 71 FPS</b></span><br>");
}

// The benchmark runs the choices of the press: controls changed while it runs change nothing of it.
TEST_F(BenchmarkRun, ControlsChangedDuringTheRunChangeNothingOfTheBenchmark) {
  Prepare({0, 1}, 0);
  OpenWindow();
  // Without a stored repetition count, too, the window builds the setup the other cases hand over.
  EXPECT_EQ(Describe(form->CurrentSetup()), Describe(setup));
  form->BenchButton.UserClick();
  form->res.SetItemChecked(1, false);
  form->QualityModeBox.UserSelect(0);
  form->NoteEdit.SetText("changed");
  EndRun(Log("70"));
  ASSERT_EQ(fake.processes.children.size(), 2u);
  EXPECT_NE(commandLines[1].find("+set r_customWidth 800 +set r_customHeight 600 "), std::string::npos);
  EndRun(Log("71"));
  EXPECT_TRUE(Idle());
  EXPECT_EQ(fake.shell.opened, std::vector<std::string>{kOpenedPath});
  const auto& recorded = form->Benchmark().Record().setup;
  ASSERT_EQ(recorded.resolutions.size(), 2u);
  EXPECT_EQ(recorded.quality, "High");
  EXPECT_EQ(recorded.note, "");
  ExpectUserFilesBack();
}

TEST_F(BenchmarkRun, AReportTheResultsFolderRefusesGoesToTheTemporaryFolder) {
  Prepare({0}, 1);
  fake.files.SetReadOnly(kResults);
  fake.files.SetReadOnly(kProgramFolder);
  fake.files.AddFolder("C:\\Windows\\Temp");
  session->Start(setup);
  EndRun(Log("70"));
  const std::string saved = "C:\\Windows\\Temp\\result_" + std::string(kStamp) + ".htm";
  EXPECT_EQ(fake.shell.opened, std::vector<std::string>{saved});
  EXPECT_NE(fake.files.Contents(saved).find("Score = 70 FPS"), std::string::npos);
  ASSERT_EQ(watch.messages.size(), 2u);
  EXPECT_NE(watch.messages[0].find(saved), std::string::npos);
  // The JSON follows the page; the summary and the log have no place and are named once.
  EXPECT_NE(fake.files.Contents("C:\\Windows\\Temp\\result_" + std::string(kStamp) + ".json"), "<missing>");
  const std::string& extras = watch.messages[1];
  EXPECT_NE(extras.find("results.csv"), std::string::npos) << extras;
  EXPECT_NE(extras.find("640_1_qconsole.log"), std::string::npos) << extras;
}


std::size_t Occurrences(const std::string& text, const std::string& part) {
  std::size_t count = 0;
  for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

TEST_F(BenchmarkRun, TheReportGetsItsJsonItsSummaryLinesAndOneKeptLogPerRun) {
  Prepare({0, 1}, 2);
  setup.note = "caf\xE9 \"test\"";
  session->Start(setup);
  PlayAll({"61.5", "62.5", "100", "101.5"});
  ASSERT_TRUE(Idle());
  EXPECT_TRUE(watch.messages.empty());

  const std::string json = fake.files.Contents(kJsonPath);
  ASSERT_NE(json, "<missing>");
  EXPECT_NE(json.find("\"schema_version\": 2"), std::string::npos);
  EXPECT_NE(json.find("\"text\": \"03.11.2006 14:05:09\""), std::string::npos);
  EXPECT_NE(json.find("\"iso8601\": \"2006-11-03T14:05:09\""), std::string::npos);
  EXPECT_NE(json.find("\"note\": \"caf\xC3\xA9 \\\"test\\\"\""), std::string::npos);
  EXPECT_NE(json.find("\"quality\": \"High\""), std::string::npos);
  EXPECT_EQ(Occurrences(json, "\"score\": 62,"), 2u);
  EXPECT_EQ(Occurrences(json, "\"score\": 100,"), 1u);
  EXPECT_EQ(Occurrences(json, "\"score\": 102,"), 1u);
  EXPECT_EQ(Occurrences(json, "\"frame_rate_text\": \"101.5\""), 1u);
  EXPECT_EQ(Occurrences(json, "\"frames\": 2133,"), 4u);
  EXPECT_EQ(Occurrences(json, "\"seconds\": 34.4,"), 4u);
  EXPECT_EQ(Occurrences(json, "\"command_line\": \"C:\\\\Games\\\\Quake 4\\\\quake4.exe +set logFile 1"), 4u);
  EXPECT_NE(json.find("\"average_score\": 62,"), std::string::npos);
  EXPECT_NE(json.find("\"average_score\": 101,"), std::string::npos);

  const auto csv = SplitLines(fake.files.Contents(kCsvPath));
  ASSERT_EQ(csv.size(), 3u);
  EXPECT_EQ(csv[1], "03.11.2006 14:05:09,640x480,High,4\xC3\x97,8\xC3\x97,2,0,62,62,62,0.00,result_" +
                        std::string(kStamp) + ".htm");
  EXPECT_EQ(csv[2], "03.11.2006 14:05:09,800x600,High,4\xC3\x97,8\xC3\x97,2,0,101,100,102,1.40,result_" +
                        std::string(kStamp) + ".htm");

  EXPECT_EQ(fake.files.Contents(kLogFolder + "640_1_qconsole.log"), Log("61.5"));
  EXPECT_EQ(fake.files.Contents(kLogFolder + "640_2_qconsole.log"), Log("62.5"));
  EXPECT_EQ(fake.files.Contents(kLogFolder + "800_1_qconsole.log"), Log("100"));
  EXPECT_EQ(fake.files.Contents(kLogFolder + "800_2_qconsole.log"), Log("101.5"));
  std::size_t kept = 0;
  for (const auto& path : fake.files.AllFiles()) kept += path.find("_logs\\") != std::string::npos;
  EXPECT_EQ(kept, 4u);
  ExpectUserFilesBack();
}

// The head of a 64-bit program, as the simulated game and its capture library are.
std::string X64Head() {
  std::string bytes(0x80 + 24, '\0');
  bytes[0] = 'M';
  bytes[1] = 'Z';
  bytes[0x3C] = static_cast<char>(0x80);
  bytes.replace(0x80, 4, std::string("PE\0\0", 4));
  bytes[0x84] = static_cast<char>(0x64);
  bytes[0x85] = static_cast<char>(0x86);
  return bytes;
}

const std::string kCaptureLibrary = std::string(kProgramFolder) + "DextrelFrames64.dll";

class FrameTimesRun : public BenchmarkRun {
 protected:
  // Two runs at 640x480 asked to record frame times, the game a 64-bit program.
  void PrepareFrameTimes() {
    Prepare({0}, 2);
    fake.files.AddFile(std::string(kGameFolder) + "quake4.exe", X64Head());
    setup.frameTimes = true;
    session->SetFrameCapture(&capture);
    // Six loading frames of 50 ms, then the log's 2133 frames at its 61.5 fps, 10 MHz.
    capture.next.stamps = {0};
    for (int i = 0; i < 6; ++i) capture.next.stamps.push_back(capture.next.stamps.back() + 500'000);
    for (int i = 0; i < 2133; ++i) capture.next.stamps.push_back(capture.next.stamps.back() + 162'602);
  }
  std::string Added(std::size_t child) const {
    const auto& added = fake.processes.children.at(child)->request.addedEnvironment;
    return added.size() == 1 ? added[0] : "<" + IntToStr(static_cast<int>(added.size())) + " variables>";
  }

  FakeFrameCapture capture;
};

TEST_F(FrameTimesRun, EveryRunGetsTheLibraryAndItsOwnSectionAndItsFramesGoIntoTheRecordAndReport) {
  PrepareFrameTimes();
  fake.files.AddFile(kCaptureLibrary, X64Head());
  session->Start(setup);
  // The second run's section cannot be made: it runs still, and says why it has no frames.
  capture.failText = "Access is denied.";
  PlayAll({"61.5", "61.5"});
  ASSERT_TRUE(Idle());
  EXPECT_TRUE(watch.messages.empty());

  const std::string tail = " +set r_glDriver \"" + kCaptureLibrary + "\"";
  ASSERT_EQ(commandLines.size(), 2u);
  for (const auto& line : commandLines) {
    EXPECT_EQ(line.substr(line.size() - tail.size()), tail) << line;
    EXPECT_NE(line.find("+timedemoquit VKRdemo.demo +set r_glDriver"), std::string::npos) << line;
  }
  ASSERT_EQ(capture.created, std::vector<std::string>{"Local\\DextrelFrames-fake1"});
  EXPECT_EQ(Added(0), "DEXTREL_FRAMES_SECTION=Local\\DextrelFrames-fake1");
  EXPECT_EQ(Added(1), "<0 variables>");

  const auto& record = session->Record();
  EXPECT_TRUE(record.frameTimes.Recorded());
  ASSERT_EQ(record.runs.size(), 2u);
  ASSERT_TRUE(record.runs[0].frameTimes.has_value());
  const auto& first = *record.runs[0].frameTimes;
  EXPECT_EQ(first.frameMs.size(), 2133u);
  EXPECT_TRUE(first.reliable) << first.unreliableReason;
  EXPECT_NEAR(first.frameMs.front(), 16.2602, 1e-9);  // no loading frame among them
  ASSERT_TRUE(record.runs[1].frameTimes.has_value());
  EXPECT_FALSE(record.runs[1].frameTimes->reliable);
  EXPECT_EQ(record.runs[1].frameTimes->unreliableReason, "the capture section could not be made: Access is denied.");

  const std::string json = fake.files.Contents(kJsonPath);
  EXPECT_EQ(Occurrences(json, "VKRdemo.demo +set r_glDriver \\\"C:\\\\Program Files\\\\Dextrel\\\\DextrelFrames64.dll\\\""), 2u)
      << json;
  EXPECT_NE(json.find("\"schema_version\": 3"), std::string::npos);
  EXPECT_NE(fake.files.Contents(std::string(kResults) + "result_" + kStamp + "\\640-run1.csv"), "<missing>");
  const std::string report = fake.files.Contents(kReportPath);
  // The figures after the resolution's scores, before its block closes.
  const auto figures = report.find("<b>Frame times:</b> ");
  ASSERT_NE(figures, std::string::npos);
  EXPECT_LT(report.find("Average score"), figures);
  EXPECT_NE(report.find("Access is denied.", figures), std::string::npos);
  EXPECT_EQ(Occurrences(report, "<polyline data-run="), 1u);
  ExpectUserFilesBack();
}

TEST_F(FrameTimesRun, WithoutTheLibraryTheRunsAreAsWithoutTheOptionAndTheReportSaysWhy) {
  PrepareFrameTimes();
  session->Start(setup);
  PlayAll({"61.5", "61.5"});
  ASSERT_TRUE(Idle());

  const std::string plain = std::string(kGameFolder) +
                            "quake4.exe +set logFile 1 +set com_showFPS 1 +set timescale 7 +set r_mode -1 "
                            "+set r_aspectRatio 0 +set r_customWidth 640 +set r_customHeight 480 +timedemoquit "
                            "VKRdemo.demo";
  EXPECT_EQ(commandLines, std::vector<std::string>(2, plain));
  EXPECT_TRUE(capture.created.empty());
  EXPECT_EQ(Added(0), "<0 variables>");
  const std::string why = "the frame-capture library " + kCaptureLibrary + " is missing";
  EXPECT_EQ(session->Record().frameTimes.unavailableReason, why);
  for (const auto& run : session->Record().runs) EXPECT_FALSE(run.frameTimes.has_value());
  EXPECT_NE(fake.files.Contents(kReportPath).find("<b>Frame times:</b> not recorded, because " + why + ".<br>"),
            std::string::npos);
  EXPECT_NE(fake.files.Contents(kJsonPath).find("\"recorded\": false"), std::string::npos);
}

TEST_F(BenchmarkRun, ARunWithoutScoreIsInTheJsonWithItsReasonAndLeftOutOfTheFigures) {
  Prepare({0}, 3);
  session->Start(setup);
  EndRun(Log("61.5"));
  EndRun("Quake 4 1.4.2\r\ncouldn't open demos/VKRdemo.demo\r\n");
  ASSERT_TRUE(Idle());
  EXPECT_EQ(watch.messages, std::vector<std::string>{kNoScoreMessage});

  const std::string json = fake.files.Contents(kJsonPath);
  EXPECT_NE(json.find("\"no_score_reason\": \"The console log holds no frame rate.\""), std::string::npos) << json;
  EXPECT_NE(json.find("\"runs\": 2,\r\n      \"runs_without_score\": 1,"), std::string::npos) << json;
  EXPECT_NE(json.find("\"average_score\": 62,"), std::string::npos);
  EXPECT_EQ(SplitLines(fake.files.Contents(kCsvPath)).at(1),
            "03.11.2006 14:05:09,640x480,High,4\xC3\x97,8\xC3\x97,2,1,62,62,62,,result_" + std::string(kStamp) +
                ".htm");
  // The failed run's log is kept too: it tells why.
  EXPECT_NE(fake.files.Contents(kLogFolder + "640_2_qconsole.log"), "<missing>");
}

TEST_F(BenchmarkRun, ResultFilesThatCannotBeWrittenLeaveTheReportAndAreNamedInOneMessage) {
  Prepare({0}, 2);
  fake.files.AddFile(kJsonPath, "an older one");
  fake.files.SetReadOnly(kJsonPath);
  fake.files.AddFile(kCsvPath, "started,mine\r\n");
  fake.files.SetReadOnly(kCsvPath);
  fake.files.AddFolder(kLogFolder);
  fake.files.SetReadOnly(kLogFolder.substr(0, kLogFolder.size() - 1));
  session->Start(setup);
  PlayAll({"70", "72"});
  ASSERT_TRUE(Idle());

  EXPECT_EQ(fake.shell.opened, std::vector<std::string>{kOpenedPath});
  const std::string report = fake.files.Contents(kReportPath);
  EXPECT_NE(report.find("Average score = 71 FPS"), std::string::npos);
  ASSERT_EQ(watch.messages.size(), 1u);
  const std::string& text = watch.messages[0];
  EXPECT_EQ(text.find("The report and its scores are saved"), 0u) << text;
  for (const std::string& name : {kJsonPath, kCsvPath, kLogFolder + "640_1_qconsole.log",
                                  kLogFolder + "640_2_qconsole.log"}) {
    EXPECT_NE(text.find("\"" + name + "\""), std::string::npos) << name << " in " << text;
  }
  EXPECT_EQ(fake.files.Contents(kJsonPath), "an older one");
  EXPECT_EQ(fake.files.Contents(kCsvPath), "started,mine\r\n");
  EXPECT_EQ(fake.ui.sleeps.size(), 2u * 3u + 1u);  // nothing waits for the result files
  ExpectUserFilesBack();
}

// A benchmark of two resolutions, then either exit: the user's files come back byte
// for byte and the benchmark leaves nothing behind.
class UserFilesAfterBenchmark : public BenchmarkRun, public ::testing::WithParamInterface<bool> {};

TEST_P(UserFilesAfterBenchmark, AreByteIdenticalAfterTheExit) {
  Prepare({0, 8}, 2);
  // An earlier back-up of the user's own stays as it is.
  PutBase("autoexec_old.cfg", "// older\r\n");
  OpenWindow();
  form->BenchButton.UserClick();
  PlayAll({"70", "71", "40", "41"});
  ASSERT_TRUE(Idle());
  Leave(GetParam());
  EXPECT_EQ(BaseFile("autoexec.cfg"), kUserAutoexec);
  EXPECT_EQ(BaseFile("autoexec_old.cfg"), "// older\r\n");
  EXPECT_EQ(BaseFile("Quake4Config.cfg"), kUserConfig);
  for (const char* name : {"autoexec_old1.cfg", "Quake4Configold.cfg", "VKRBnetdemo.cfg", "VKRnetdemo.txt",
                           "qconsole.log"}) {
    EXPECT_EQ(BaseFile(name), "<missing>") << name;
  }
  EXPECT_EQ(fake.files.Contents(std::string(kDemos) + "VKRdemo.demo"), "<missing>");
  EXPECT_EQ(Stored("Display Memory"), "");
  EXPECT_NE(fake.files.Contents(kReportPath), "<missing>");  // the report stays
}

INSTANTIATE_TEST_SUITE_P(BothExits, UserFilesAfterBenchmark, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "ExitButton" : "WindowClose"; });

}  // namespace
}  // namespace dx::test
