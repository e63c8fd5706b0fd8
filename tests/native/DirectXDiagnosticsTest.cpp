#include "sysinfo/DirectXDiagnostics.h"

#include <gtest/gtest.h>

#include "tests/doubles/FakePlatform.h"

namespace dx {
namespace {

constexpr const char* kKey = "SOFTWARE\\Tamberlin\\Dextrel";
constexpr const char* kTool = "C:\\WINDOWS\\system32\\dxdiag.exe";
constexpr const char* kReport = "C:\\Dextrel\\dxinfo.txt";

std::string Lines(std::initializer_list<const char*> lines) {
  std::string text;
  for (const char* line : lines) text += std::string(line) + "\r\n";
  return text;
}

// The shape of the tool's report: a header, the system section, the display devices and
// the sound devices, each field right-aligned on its colon.
const std::string kTwoCardsTwoSounds = Lines({
    "------------------",
    "System Information",
    "------------------",
    "Time of this report: 12/9/2026, 06:55:27",
    "       Machine name: GAMEBOX",
    "   Operating System: Windows XP Professional (5.1, Build 2600) Service Pack 2",
    "          Processor: AMD Athlon(tm) 64 Processor 3500+,  MMX,  3DNow, ~2.2GHz",
    "             Memory: 1024MB RAM",
    "DxDiag Notes",
    "  Display Tab 1: No problems found.",
    "---------------",
    "Display Devices",
    "---------------",
    "        Card name: RADEON X800 XT",
    "     Manufacturer: ATI Technologies Inc.",
    "        Chip type: RADEON X800 XT (0x4A4A)",
    "   Display Memory: 256.0 MB",
    "      Driver Name: ati2dvag.dll",
    "   Driver Version: 6.14.0010.6575 (English)",
    "      DDI Version: 9 (or higher)",
    "        Card name: RADEON X800 XT Secondary",
    "   Display Memory: 128.0 MB",
    "   Driver Version: 6.14.0010.6576 (English)",
    "-------------",
    "Sound Devices",
    "-------------",
    "            Description: Realtek HD Audio output",
    " Default Sound Playback: Yes",
    "            Description: SB Live! Wave Device",
});

class DirectXDiagnosticsTest : public ::testing::Test {
 protected:
  DirectXDiagnosticsTest() {
    fake.registry.AddKey(kKey);
    fake.files.AddFile(kTool, "MZ");
    fake.files.AddFolder("C:\\Dextrel");
    UseHiddenStart(dxrun.StartupInfo);
  }

  // The tool "writes" its report (or none) and ends.
  void ToolEnds(const std::optional<std::string>& report, std::uint32_t exitCode = 0) {
    ASSERT_FALSE(fake.processes.children.empty());
    if (report) fake.files.AddFile(kReport, *report);
    fake.processes.ExitLast(exitCode);
  }

  void Collect(const std::optional<std::string>& report) {
    diagnostics.StartDiagnostics();
    ToolEnds(report);
  }

  test::FakePlatform fake;
  platform::Platform platform = fake.View();
  SharedRegistry registry{fake.registry};
  TJvCreateProcess dxrun{fake.processes};
  LineList diagnosticLines;
  SystemInfoRecord info;
  int benchmarkStarts = 0;
  std::function<void()> onBenchmark;
  TDirectXDiagnostics diagnostics{platform, registry, dxrun, "C:\\Dextrel\\", diagnosticLines, info,
                                  [this] {
                                    ++benchmarkStarts;
                                    if (onBenchmark) onBenchmark();
                                  }};
};

TEST_F(DirectXDiagnosticsTest, StartsTheToolWithItsReportSwitchesInTheSystemFolder) {
  diagnostics.StartDiagnostics();
  ASSERT_EQ(fake.processes.children.size(), 1u);
  const auto& request = fake.processes.children[0]->request;
  EXPECT_EQ(request.commandLine, "C:\\WINDOWS\\system32\\dxdiag.exe /whql:on /t C:\\Dextrel\\dxinfo.txt");
  EXPECT_EQ(request.currentDirectory, "C:\\WINDOWS\\system32");
  EXPECT_EQ(request.applicationName, kTool);  // started by its path, never by a search
  EXPECT_EQ(request.startup.flags, 7u);
  EXPECT_EQ(dxrun.State(), TJvProcessState::Waiting);
  EXPECT_EQ(benchmarkStarts, 0);  // not before the tool has ended
  // A second press while the tool runs neither restarts it nor starts the benchmark.
  diagnostics.StartDiagnostics();
  EXPECT_EQ(fake.processes.children.size(), 1u);
  EXPECT_EQ(benchmarkStarts, 0);
}

TEST(DiagnosticCommandLine, QuotesOnlyPathsThatHoldBlanks) {
  EXPECT_EQ(DiagnosticCommandLine("C:\\WINDOWS\\system32", "C:\\Program Files\\Dextrel\\"),
            "C:\\WINDOWS\\system32\\dxdiag.exe /whql:on /t \"C:\\Program Files\\Dextrel\\dxinfo.txt\"");
  EXPECT_EQ(DiagnosticCommandLine("C:\\My Windows\\system32", "C:\\Dextrel\\"),
            "\"C:\\My Windows\\system32\\dxdiag.exe\" /whql:on /t C:\\Dextrel\\dxinfo.txt");
}

TEST_F(DirectXDiagnosticsTest, ReportValuesFillTheRecordAndTheCacheThenTheBenchmarkStartsOnce) {
  onBenchmark = [&] {
    // Everything is in place when the benchmark starts.
    EXPECT_EQ(fake.ui.sleeps, (std::vector<std::uint32_t>{1000}));
    EXPECT_FALSE(fake.files.FileExists(kReport));
    EXPECT_EQ(info.VideoMemory, " 64.0 MB");
  };
  Collect(Lines({"Time of this report: now", "   Card name: X", "   Manufacturer: Someone",
                 "   Display Memory: 64.0 MB", "   Driver Version: 1.2", "   Other: thing",
                 "   Description: Y"}));
  EXPECT_EQ(info.GraphicsCard, " X");
  EXPECT_EQ(info.VideoMemory, " 64.0 MB");
  EXPECT_EQ(info.DriverVersion, " 1.2");
  EXPECT_EQ(info.SoundSystem, "Y");
  EXPECT_EQ(fake.registry.Get(kKey, "Display Memory"), " 64.0 MB");
  EXPECT_EQ(fake.registry.Get(kKey, "Driver Version"), " 1.2");
  EXPECT_EQ(fake.registry.Get(kKey, "Sound"), "Y");
  EXPECT_EQ(fake.registry.Get(kKey, "Card name"), "<missing>");
  EXPECT_EQ(benchmarkStarts, 1);
  EXPECT_EQ(dxrun.State(), TJvProcessState::Ready);
  // The list shrank from the front down to the sound line.
  ASSERT_EQ(diagnosticLines.Count(), 1u);
  EXPECT_EQ(diagnosticLines[0], "   Description: Y");
}

TEST_F(DirectXDiagnosticsTest, SeveralCardsAndSoundDevicesGiveTheFirstOfEach) {
  Collect(kTwoCardsTwoSounds);
  EXPECT_EQ(info.GraphicsCard, " RADEON X800 XT");
  EXPECT_EQ(info.VideoMemory, " 256.0 MB");
  EXPECT_EQ(info.DriverVersion, " 6.14.0010.6575 (English)");
  EXPECT_EQ(info.SoundSystem, "Realtek HD Audio output");
  EXPECT_EQ(benchmarkStarts, 1);
}

TEST(DiagnosticParse, MarkersMatchInAnyCaseAndEachSearchStartsWhereTheLastStopped) {
  LineList lines;
  lines.SetText(Lines({"header", "  CARD NAME: Big", "  description: early sound", "  display memory: 1 GB",
                       "  DRIVER version: 9", "  DESCRIPTION: Late Sound"}));
  auto values = ParseDiagnosticReport(lines);
  EXPECT_EQ(values.GraphicsCard, " Big");
  EXPECT_EQ(values.VideoMemory, " 1 GB");
  EXPECT_EQ(values.DriverVersion, " 9");
  // The description before the driver version is passed over.
  EXPECT_EQ(values.SoundSystem, "Late Sound");
}

TEST(DiagnosticParse, TextAfterTheFirstEqualsSignIsSearchedAndCut) {
  LineList lines;
  lines.SetText(Lines({"header", "Note=Card name: Z", "  x=y Display Memory: 2 MB=odd",
                       "  Driver Version: 3", " Description:A: B C"}));
  auto values = ParseDiagnosticReport(lines);
  EXPECT_EQ(values.GraphicsCard, " Z");
  // The cut counts from the start of the text after the "=", not from the marker.
  EXPECT_EQ(values.VideoMemory, "y: 2 MB=odd");
  EXPECT_EQ(values.DriverVersion, " 3");
  // The first colon and then the first blank are deleted, wherever they are.
  EXPECT_EQ(values.SoundSystem, "A:B C");
}

TEST(DiagnosticParse, FirstLineIsTakenWithoutRemovingItsBlanks) {
  LineList lines;
  lines.SetText(Lines({"      Card name: X", "   Display Memory: 8 MB", "   Driver Version: 7",
                       "   Description: S"}));
  auto values = ParseDiagnosticReport(lines);
  // First character dropped, five blanks kept: the cut of 10 ends inside the marker.
  EXPECT_EQ(values.GraphicsCard, "name: X");
  EXPECT_EQ(values.VideoMemory, " 8 MB");

  // The same holds for the line a search starts on: the card line, taken unchanged
  // again, also holds the memory marker.
  lines.SetText(Lines({"x", "   Card name: A Display Memory: 4 MB"}));
  values = ParseDiagnosticReport(lines);
  EXPECT_EQ(values.GraphicsCard, " A Display Memory: 4 MB");
  EXPECT_EQ(values.VideoMemory, "Display Memory: 4 MB");
  EXPECT_FALSE(values.DriverVersion.has_value());
}

TEST(DiagnosticParse, ShortAndEmptyValues) {
  LineList lines;
  lines.SetText(Lines({"", "Card name:", "Display Memory:", "  Driver Version:", "  Description:"}));
  auto values = ParseDiagnosticReport(lines);
  // "Card name:" without its first character does not hold the marker at all.
  EXPECT_FALSE(values.GraphicsCard.has_value());
  EXPECT_FALSE(values.VideoMemory.has_value());
  ASSERT_TRUE(values.DriverVersion.has_value());
  EXPECT_EQ(*values.DriverVersion, "");
  ASSERT_TRUE(values.SoundSystem.has_value());
  EXPECT_EQ(*values.SoundSystem, "");
}

TEST_F(DirectXDiagnosticsTest, MissingMarkersGiveIndeterminableAndTheBenchmarkStillStarts) {
  // No sound section at all.
  Collect(Lines({"header", "   Card name: X", "   Display Memory: 64.0 MB", "   Driver Version: 1.2"}));
  EXPECT_EQ(benchmarkStarts, 1);
  EXPECT_EQ(info.GraphicsCard, " X");
  EXPECT_EQ(info.DriverVersion, " 1.2");
  EXPECT_EQ(info.SoundSystem, kIndeterminable);
  EXPECT_EQ(fake.registry.Get(kKey, "Display Memory"), " 64.0 MB");
  EXPECT_EQ(fake.registry.Get(kKey, "Sound"), "<missing>");
  EXPECT_FALSE(fake.files.FileExists(kReport));

  // No card name: the other values are still found after it.
  ASSERT_TRUE(diagnostics.ClearDiagnosticCache());
  Collect(Lines({"header", "   Display Memory: 32 MB", "   Driver Version: 2", "   Description: S"}));
  EXPECT_EQ(benchmarkStarts, 2);
  EXPECT_EQ(info.GraphicsCard, kIndeterminable);
  EXPECT_EQ(info.VideoMemory, " 32 MB");
  EXPECT_EQ(info.DriverVersion, " 2");
  EXPECT_EQ(info.SoundSystem, "S");

  // An empty report: nothing found, nothing cached.
  ASSERT_TRUE(diagnostics.ClearDiagnosticCache());
  Collect(std::string());
  EXPECT_EQ(benchmarkStarts, 3);
  EXPECT_EQ(info.GraphicsCard, kIndeterminable);
  EXPECT_EQ(info.VideoMemory, kIndeterminable);
  EXPECT_EQ(fake.registry.Get(kKey, "Display Memory"), "");
}

TEST_F(DirectXDiagnosticsTest, EmptyValuesAreNotCachedSoTheNextBenchmarkRunsTheToolAgain) {
  Collect(Lines({"header", "   Card name: X", "   Display Memory:", "   Driver Version: 1", "   Description:"}));
  EXPECT_EQ(info.VideoMemory, "");
  EXPECT_EQ(info.SoundSystem, "");
  EXPECT_EQ(fake.registry.Get(kKey, "Display Memory"), "<missing>");
  EXPECT_EQ(fake.registry.Get(kKey, "Driver Version"), " 1");
  EXPECT_EQ(fake.registry.Get(kKey, "Sound"), "<missing>");
}

TEST_F(DirectXDiagnosticsTest, NoReportMakesAllFourIndeterminableAndCachesNothing) {
  info.GraphicsCard = " earlier card";
  Collect(std::nullopt);
  EXPECT_EQ(fake.ui.sleeps, (std::vector<std::uint32_t>{1000}));
  EXPECT_EQ(info.GraphicsCard, kIndeterminable);
  EXPECT_EQ(info.VideoMemory, kIndeterminable);
  EXPECT_EQ(info.DriverVersion, kIndeterminable);
  EXPECT_EQ(info.SoundSystem, kIndeterminable);
  EXPECT_EQ(fake.registry.ValuesOf(kKey)->size(), 0u);
  EXPECT_EQ(benchmarkStarts, 1);
}

TEST_F(DirectXDiagnosticsTest, MissingOrUnstartableToolStartsTheBenchmarkAtOnceKeepingTheCard) {
  info.GraphicsCard = " earlier card";
  fake.files.RemoveFile(kTool);
  diagnostics.StartDiagnostics();
  EXPECT_TRUE(fake.processes.children.empty());
  EXPECT_EQ(benchmarkStarts, 1);
  EXPECT_EQ(info.GraphicsCard, " earlier card");
  EXPECT_EQ(info.VideoMemory, kIndeterminable);
  EXPECT_EQ(info.DriverVersion, kIndeterminable);
  EXPECT_EQ(info.SoundSystem, kIndeterminable);
  EXPECT_TRUE(fake.ui.sleeps.empty());

  // Present but refused by the system (a broken file): the same, exactly once.
  fake.files.AddFile(kTool, "not a program");
  fake.processes.failWithCode = 193;
  fake.processes.failText = "%1 is not a valid Win32 application.";
  info.VideoMemory.clear();
  diagnostics.StartDiagnostics();
  EXPECT_EQ(benchmarkStarts, 2);
  EXPECT_EQ(info.VideoMemory, kIndeterminable);
  EXPECT_EQ(dxrun.State(), TJvProcessState::Ready);
  EXPECT_EQ(fake.registry.ValuesOf(kKey)->size(), 0u);
}

TEST_F(DirectXDiagnosticsTest, WithoutTheSettingsKeyValuesAreKeptInMemoryOnly) {
  fake.registry.RemoveKey(kKey);
  Collect(kTwoCardsTwoSounds);
  EXPECT_EQ(info.VideoMemory, " 256.0 MB");
  EXPECT_FALSE(fake.registry.HasKey(kKey));  // not created
  EXPECT_EQ(benchmarkStarts, 1);
  EXPECT_TRUE(diagnostics.ClearDiagnosticCache());
  EXPECT_FALSE(fake.registry.HasKey(kKey));
}

TEST_F(DirectXDiagnosticsTest, RefusedCacheWritesDoNotStopTheBenchmark) {
  fake.registry.RefuseWrites(kKey);
  Collect(kTwoCardsTwoSounds);
  EXPECT_EQ(benchmarkStarts, 1);
  EXPECT_EQ(info.SoundSystem, "Realtek HD Audio output");
  EXPECT_FALSE(diagnostics.ClearDiagnosticCache());
}

TEST_F(DirectXDiagnosticsTest, ClearingEmptiesTheCacheSoTheSecondCollectionRunsTheToolAgain) {
  Collect(kTwoCardsTwoSounds);
  ASSERT_EQ(fake.registry.Get(kKey, "Display Memory"), " 256.0 MB");
  fake.registry.SetString(kKey, "News", "1");
  ASSERT_TRUE(diagnostics.ClearDiagnosticCache());
  EXPECT_EQ(fake.registry.Get(kKey, "Display Memory"), "");
  EXPECT_EQ(fake.registry.Get(kKey, "Driver Version"), "");
  EXPECT_EQ(fake.registry.Get(kKey, "Sound"), "");
  EXPECT_EQ(fake.registry.Get(kKey, "News"), "1");

  // The collection may run again in the same program run; the old list is replaced.
  diagnosticLines.Add("stale line");
  Collect(Lines({"h", " Card name: B", " Display Memory: 2 MB", " Driver Version: 3", " Description: D"}));
  EXPECT_EQ(fake.processes.children.size(), 2u);
  EXPECT_EQ(info.GraphicsCard, " B");
  EXPECT_EQ(fake.registry.Get(kKey, "Display Memory"), " 2 MB");
  EXPECT_EQ(benchmarkStarts, 2);
}

}  // namespace
}  // namespace dx
