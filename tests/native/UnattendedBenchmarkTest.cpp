// The command line and a benchmark nobody watches, through the main window on the
// doubles: switches and their refusals, overrides that are used but never stored, the
// printed lines and the exit codes.
#include <algorithm>

#include "app/CommandLineOptions.h"
#include "app/SettingsStore.h"
#include "app/UnattendedBenchmark.h"
#include "bench/ResultParsing.h"
#include "common/Text.h"
#include "gameprep/BenchmarkMark.h"
#include "tests/native/FormFixture.h"

namespace dx::test {
namespace {

CommandLineParse Parse(const std::string& line) { return ParseCommandLine(SplitCommandLine(line)); }

TEST(CommandLine, EverySwitchIsReadAndAFolderMayHoldBlanksAndQuotes) {
  EXPECT_EQ(SplitCommandLine(R"( /a  "/results=C:\My Results" x\\"y" "say ""hi""" a\b\"c)"),
            (std::vector<std::string>{"/a", "/results=C:\\My Results", "x\\y", "say \"hi\"", "a\\b\"c"}));

  const auto parsed = Parse(
      R"(/BENCHMARK -open /resolutions=640x480,1440X900,1024x768 /runs=3 /quality=Ultra /aa=none /af=system "/results=D:\Bench runs" /FrameTimes)");
  ASSERT_TRUE(parsed.options) << parsed.error;
  const auto& o = *parsed.options;
  EXPECT_EQ(o.mode, ProgramMode::Benchmark);
  EXPECT_TRUE(o.openReport);
  EXPECT_EQ(*o.overrides.presets, (std::array<bool, 9>{true, false, true, false, false, false, false, false, false}));
  EXPECT_EQ(*o.overrides.custom, (std::pair<std::string, std::string>{"1440", "900"}));
  EXPECT_EQ(o.overrides.runs, 3);
  EXPECT_EQ(o.overrides.quality, 3);
  EXPECT_EQ(o.overrides.antialiasing, 0);
  EXPECT_EQ(o.overrides.filtering, 5);
  EXPECT_EQ(o.overrides.resultsFolder, "D:\\Bench runs\\");
  EXPECT_TRUE(o.overrides.frameTimes);
  EXPECT_FALSE(Parse("/benchmark").options->overrides.frameTimes);

  EXPECT_EQ(Parse("").options->mode, ProgramMode::Window);
  EXPECT_EQ(Parse("/history").options->mode, ProgramMode::History);
  // The upgrade helper's restart argument is taken and changes nothing.
  for (const char* line : {"/afterupgrade", "/AfterUpgrade /history", "/benchmark /afterupgrade /runs=2"}) {
    const auto restarted = Parse(line);
    const auto without = Parse(ReplaceAll(ReplaceAll(line, "/afterupgrade", ""), "/AfterUpgrade", ""));
    ASSERT_TRUE(restarted.options) << line << ": " << restarted.error;
    EXPECT_EQ(restarted.options->mode, without.options->mode) << line;
    EXPECT_EQ(restarted.options->openReport, without.options->openReport) << line;
    EXPECT_EQ(restarted.options->overrides.runs, without.options->overrides.runs) << line;
  }
  // 1280 x 768 is a preset (the first widescreen one), not a custom size.
  EXPECT_FALSE(Parse("/benchmark /resolutions=1280x768").options->overrides.custom);

  // A quoted folder ending in a backslash leaves its closing quote behind; a share is a full path too.
  EXPECT_EQ(Parse(R"(/benchmark "/results=C:\My Results\")").options->overrides.resultsFolder, "C:\\My Results\\");
  EXPECT_EQ(Parse(R"(/benchmark /results=\\nas\bench\q4)").options->overrides.resultsFolder, "\\\\nas\\bench\\q4\\");

  // "/?" wins over everything else and lists every exit code.
  for (const char* line : {"/?", "-?", "/benchmark /runs=2 /?", "/HELP"}) {
    const auto help = Parse(line);
    ASSERT_TRUE(help.options) << line;
    EXPECT_EQ(help.options->mode, ProgramMode::Help) << line;
  }
  const auto help = CommandLineHelp();
  for (int code : {kExitAllScored, kExitRunWithoutScore, kExitCouldNotStart, kExitAnotherCopy, kExitUnexpectedFault}) {
    EXPECT_EQ(std::count_if(help.begin(), help.end(),
                            [&](const std::string& l) { return StartsWith(l, "  " + IntToStr(code) + "  "); }),
              1)
        << code;
  }
}

TEST(CommandLine, AnUnknownSwitchOrABadValueIsRefusedByName) {
  const std::vector<std::pair<std::string, std::string>> refused = {
      {"/benchmark /fast", "\"/fast\""},
      {"/benchmark /runs=6", "\"6\" for /runs"},
      {"/benchmark /runs=0", "\"0\" for /runs"},
      {"/benchmark /runs", "/runs needs a value"},
      {"/benchmark /quality=extreme", "\"extreme\" for /quality"},
      {"/benchmark /aa=3", "\"3\" for /aa"},
      {"/benchmark /resolutions=1440x900,1680x1050", "only one size that is no preset"},
      {"/benchmark /resolutions=640x", "\"640x\" for /resolutions"},
      {"/benchmark /resolutions=-640x480", "\"-640x480\""},
      {"/benchmark /results=", "for /results"},
      {"/benchmark /results=Results", "\"Results\" for /results"},
      {"/benchmark /results=C:Results", "\"C:Results\" for /results"},
      {R"(/benchmark /results=C:\a|b)", "for /results"},
      {R"(/benchmark /results=C:\a\\b)", "for /results"},
      {R"(/benchmark /results=\\nas)", "for /results"},
      {R"(/benchmark "/results=D:\x\"\y")", "for /results"},
      {"/benchmark /open=yes", "/open takes no value"},
      {"/afterupgrade=1", "/afterupgrade takes no value"},
      {"/afterupgrade /runs=2", "/runs needs /benchmark"},
      {"/benchmark /frametimes=1", "/frametimes takes no value"},
      {"/frametimes", "/frametimes needs /benchmark"},
      {"/runs=2", "/runs needs /benchmark"},
      {"/benchmark /history", "cannot be combined"},
      {"benchmark", "\"benchmark\""},
  };
  for (const auto& [line, named] : refused) {
    const auto parsed = Parse(line);
    EXPECT_FALSE(parsed.options) << line;
    EXPECT_NE(parsed.error.find(named), std::string::npos) << line << ": " << parsed.error;
  }
}

constexpr const char* kResults = "D:\\Results\\";

class Unattended : public FormFixture {
 protected:
  std::vector<std::string> printed;
  PrintingShell printing{fake.shell, [this](const std::string& line) { printed.push_back(line); }, false};
  platform::Platform quiet{fake.registry, fake.files, fake.processes, fake.ui,       fake.display,
                           fake.processor, printing,  fake.internet,  fake.clock,   fake.marks};
  std::unique_ptr<UnattendedBenchmark> run;

  // Stored: 640 x 480, two runs, High, 4x AA, 8x AF, the results folder; the user's autoexec.cfg.
  void Install(bool withGame = true) {
    if (withGame) InstallGame();
    fake.registry.AddKey(kSettingsPath);
    fake.files.AddFolder(kResults);
    if (withGame) fake.files.AddFile(std::string(kBase) + "autoexec.cfg", "bind F12 screenshot\r\n");
    for (const auto& [name, value] : std::vector<std::pair<std::string, std::string>>{
             {"Demo", "1"}, {"Quality", "2"}, {"AALevel", "2"}, {"AFLevel", "3"}, {"AspectRatio", "0"},
             {"ResultPath", kResults}, {"RunNumber", "2"}, {"640", "1"}, {"Display Memory", "256.0 MB"},
             {"Driver Version", "6.14"}, {"Sound", "HD Audio"}}) {
      Set(name, value);
    }
  }
  int endings = 0;

  void Begin(const std::string& commandLine) {
    run.reset();
    form = std::make_unique<TForm1>(quiet, host);
    form->FormCreate();
    const auto parsed = Parse(commandLine);
    ASSERT_TRUE(parsed.options) << parsed.error;
    endings = 0;
    run = std::make_unique<UnattendedBenchmark>(
        *form, printing, [this](const std::string& l) { printed.push_back(l); }, [this] { ++endings; });
    run->Start(parsed.options->overrides);
  }
  void EndRun(const std::string& rate) {
    ASSERT_FALSE(run->Over());
    fake.files.AddFile(std::string(kBase) + "qconsole.log",
                       rate.empty() ? "no result here\r\n" : "2133 frames rendered in 34.4 seconds = " + rate + " fps\r\n");
    fake.processes.ExitLast(0);
  }
};

TEST_F(Unattended, OverridesShapeTheRunButAreNeverStoredAndTheOutcomeIsPrinted) {
  Install();
  fake.display.AddMode(1440, 900);
  Begin("/benchmark /resolutions=1024x768,1440x900 /runs=1 /quality=low /aa=none /af=16 /results=D:\\Other");
  ASSERT_EQ(fake.processes.children.size(), 1u);
  const std::string first = fake.processes.children[0]->request.commandLine;
  EXPECT_NE(first.find("+set r_customWidth 1024 +set r_customHeight 768"), std::string::npos) << first;
  EXPECT_NE(fake.files.Contents(std::string(kBase) + "autoexec.cfg").find("r_multiSamples"), std::string::npos);
  EndRun("61.5");
  EXPECT_NE(fake.processes.children.back()->request.commandLine.find("r_customWidth 1440"), std::string::npos);
  EXPECT_EQ(endings, 0);
  EndRun("99.5");
  ASSERT_TRUE(run->Over());
  EXPECT_EQ(endings, 1);
  EXPECT_EQ(run->Finish(), kExitAllScored);

  for (const auto& [name, value] : std::vector<std::pair<std::string, std::string>>{
           {"Quality", "2"}, {"AALevel", "2"}, {"AFLevel", "3"}, {"ResultPath", kResults}, {"RunNumber", "2"},
           {"640", "1"}, {"1024", "<missing>"}}) {
    EXPECT_EQ(Stored(name), value) << name;
  }
  EXPECT_EQ(Stored("CusRes"), "<missing>");
  const std::string report = "D:\\Other\\result_03_11_2006_14_05_09.htm";
  EXPECT_NE(fake.files.Contents(report).find("Quality: Low"), std::string::npos);
  EXPECT_NE(fake.files.Contents("D:\\Other\\results.htm"), "<missing>");
  EXPECT_TRUE(fake.shell.opened.empty()) << "the report is opened only with /open";
  EXPECT_EQ(printed, (std::vector<std::string>{"1024x768: average 62 FPS; runs: 62",
                                               "1440x900 (custom): average 100 FPS; runs: 100", report}));
  // Left as the exit button leaves: the user's autoexec.cfg back, the program ended.
  EXPECT_EQ(fake.files.Contents(std::string(kBase) + "autoexec.cfg"), "bind F12 screenshot\r\n");
  EXPECT_EQ(host.Count("end program"), 1);

  // Only what the window would offer on this display: a preset it greys out, a size the
  // display has no mode for.
  fake.display.modes.erase(fake.display.modes.begin() + 4);  // 1280 x 768
  fake.display.modes.pop_back();                              // 1440 x 900
  const std::size_t launched = fake.processes.children.size();
  for (const char* size : {"1440x900", "1280x768,1680x1050"}) {
    printed.clear();
    Begin(std::string("/benchmark /resolutions=") + size);
    ASSERT_TRUE(run->Over());
    EXPECT_EQ(run->Finish(), kExitCouldNotStart);
    ASSERT_EQ(printed.size(), 1u);
    EXPECT_TRUE(StartsWith(printed[0], "Bad value \"" + std::string(size).substr(0, 8) + "\" for /resolutions"))
        << printed[0];
    EXPECT_EQ(fake.processes.children.size(), launched);
  }
}

TEST_F(Unattended, EachWayTheBenchmarkEndsGivesItsExitCodeAndTheMessagesArePrinted) {
  Install();
  Begin("/benchmark /open");
  EndRun("");
  ASSERT_TRUE(run->Over());
  EXPECT_EQ(run->Finish(), kExitRunWithoutScore);
  ASSERT_FALSE(printed.empty());
  EXPECT_TRUE(StartsWith(printed.front(), "Error occured. Maybe the demo")) << printed.front();
  EXPECT_NE(std::find(printed.begin(), printed.end(), "640x480: no score; runs: no score"), printed.end());

  // The game gone after a scored run: the start failed, but what was measured is saved.
  printed.clear();
  Begin("/benchmark");
  fake.processes.failWithCode = 2;
  EndRun("70");
  fake.processes.failWithCode = 0;
  ASSERT_TRUE(run->Over());
  EXPECT_EQ(form->Benchmark().LastOutcome(), BenchmarkOutcome::boCouldNotStart);
  EXPECT_EQ(run->Finish(), kExitRunWithoutScore);
  EXPECT_TRUE(StartsWith(printed.front(), "Quake 4 could not be started.")) << printed.front();
  EXPECT_NE(std::find(printed.begin(), printed.end(), "640x480: average 70 FPS; runs: 70, no score"), printed.end());

  // Asked to close during the second run (a close message, Ctrl+C): cancelled, code 1, the
  // lines and the report printed, the user's files back.
  printed.clear();
  Begin("/benchmark");
  EndRun("70");
  ASSERT_FALSE(run->Over());
  run->Cancel();
  ASSERT_TRUE(run->Over());
  EXPECT_EQ(form->Benchmark().LastOutcome(), BenchmarkOutcome::boCancelled);
  EXPECT_EQ(run->Finish(), kExitRunWithoutScore);
  ASSERT_EQ(printed.size(), 2u);
  EXPECT_EQ(printed[0], "640x480: average 70 FPS; runs: 70, no score");
  EXPECT_TRUE(EndsWith(printed[1], ".htm")) << printed[1];
  EXPECT_NE(fake.files.Contents(printed[1]).find("70"), std::string::npos);
  EXPECT_EQ(fake.files.Contents(std::string(kBase) + "autoexec.cfg"), "bind F12 screenshot\r\n");

  printed.clear();
  Set("640", "0");
  Begin("/benchmark");
  ASSERT_TRUE(run->Over());
  EXPECT_EQ(endings, 1);
  EXPECT_EQ(run->Finish(), kExitCouldNotStart);
  EXPECT_EQ(printed, (std::vector<std::string>{"ERROR. Please, choose a resolution of Quake 4."}));

  // A copy from another folder benchmarks this game: refused, and nothing of it touched.
  printed.clear();
  Set("640", "1");
  const auto elsewhere = fake.marks.TryTake(BenchmarkMarkName(kGameFolder));
  ASSERT_TRUE(elsewhere.mark);
  fake.files.AddFile(std::string(kBase) + "autoexec_old.cfg", "// the other copy's back-up\r\n");
  const std::size_t launched = fake.processes.children.size();
  Begin("/benchmark /runs=1");
  ASSERT_TRUE(run->Over());
  EXPECT_EQ(endings, 1);
  EXPECT_EQ(run->Finish(), kExitAnotherCopy);
  EXPECT_EQ(printed,
            (std::vector<std::string>{"Another copy of Dextrel is benchmarking this game. Wait until it has finished."}));
  EXPECT_EQ(fake.processes.children.size(), launched);
  EXPECT_EQ(fake.files.Contents(std::string(kBase) + "autoexec.cfg"), "bind F12 screenshot\r\n");
  EXPECT_EQ(fake.files.Contents(std::string(kBase) + "autoexec_old.cfg"), "// the other copy's back-up\r\n");
}

TEST_F(Unattended, WithoutTheGameTheStartFailsWithItsMessage) {
  Install(false);
  Begin("/benchmark /runs=1");
  ASSERT_TRUE(run->Over());
  EXPECT_EQ(run->Finish(), kExitCouldNotStart);
  EXPECT_EQ(printed, (std::vector<std::string>{"ERROR. Please, install the retail version of Quake 4."}));
}

}  // namespace
}  // namespace dx::test
